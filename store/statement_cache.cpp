#include "store/statement_cache.h"

#include "store/statement.h"

StatementCache::StatementCache(sqlite3 *db) : db_(db) {}

StatementCache::~StatementCache() = default;

Statement &StatementCache::Get(const QString &sql)
{
    auto found = statements_.find(sql);
    if (found != statements_.end())
        return *found->second;
    return *statements_.emplace(sql, std::make_unique<Statement>(db_, sql)).first->second;
}
