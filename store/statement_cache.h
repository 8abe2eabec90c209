#pragma once
// Prepared statements kept by their text. A table component reads the same
// few statements at every open, and preparing one costs as much as running
// a short one.

#include <QString>
#include <map>
#include <memory>

class Statement;
struct sqlite3;

class StatementCache {
public:
    explicit StatementCache(sqlite3 *db);
    ~StatementCache();
    StatementCache(const StatementCache &) = delete;
    StatementCache &operator=(const StatementCache &) = delete;

    sqlite3 *Db() const { return db_; }
    // The statement of this text, reset after its last use by whoever used it.
    Statement &Get(const QString &sql);
    // Before the connection closes.
    void Clear() { statements_.clear(); }

private:
    sqlite3 *db_;
    std::map<QString, std::unique_ptr<Statement>> statements_;
};
