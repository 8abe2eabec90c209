#pragma once
// One prepared statement on the store's connection. Failures raise
// EDatabaseError with the engine's message.

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

class Statement {
public:
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds a named parameter (":Name"); an unknown name is refused.
    void Bind(const QString &name, const QVariant &value);
    void Bind(int index, const QVariant &value);
    int ParameterCount() const;
    QString ParameterName(int index) const; // 1-based, without the colon

    // Steps once; true while a row is available.
    bool Step();
    void Reset();

    int ColumnCount() const;
    // Result column names, with unnamed expressions called "Expr1000", "Expr1001", ...
    QStringList ColumnNames() const;
    QString DeclaredType(int column) const;
    sqlite3_stmt *Handle() const { return stmt_; }

private:
    // The engine's message (what, when it has none), naming the file that
    // could not be written when that was the failure.
    QString ErrorMessage(const QString &what) const;
    [[noreturn]] void Fail(const QString &what) const;

    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
    QString sql_;
};
