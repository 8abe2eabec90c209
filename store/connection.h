#pragma once
// The store's one connection (adocMain). It keeps the connection string the
// program was designed with and opens the file named by its DBQ attribute,
// relative to the working directory, through Qt SQL's SQLite driver. The file
// is never created here: a store is made by tarvenix-newdb.

#include <QObject>
#include <QString>

struct sqlite3;

class Connection : public QObject {
    Q_OBJECT
public:
    static const QString DefaultConnectionString;

    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    QString ConnectionString() const { return connectionString_; }
    void SetConnectionString(const QString &text);
    // The DBQ attribute of the connection string.
    QString DatabaseFile() const;

    void Open();
    void Close();
    bool Connected() const { return db_ != nullptr; }

    // Raises EDatabaseError when not connected.
    sqlite3 *Handle() const;
    void Execute(const QString &sql);

    // A block of writes that stands or falls as a whole.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

signals:
    void AfterConnect();
    void BeforeDisconnect();

private:
    void CheckTables();

    QString connectionString_;
    QString qtName_;
    sqlite3 *db_ = nullptr;
};
