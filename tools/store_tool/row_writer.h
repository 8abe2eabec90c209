#pragma once
// Writes exported history rows as CSV (a header line, then one line per row)
// or as one JSON array (one object per line), through a buffer of bounded
// size. A failed write raises Exception.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3_stmt;

enum class ExportFormat { Csv, Json };

class RowWriter {
public:
    static std::unique_ptr<RowWriter> For(ExportFormat format, std::FILE *out);
    virtual ~RowWriter() = default;

    virtual void Begin() = 0;
    // columns holds the process name, then PID, parent PID, memory,
    // priority and threads.
    virtual void Row(std::string_view computer, std::string_view time, sqlite3_stmt *columns) = 0;
    virtual void End() = 0;

protected:
    explicit RowWriter(std::FILE *out) : out_(out) {}
    void Put(std::string_view text);
    void Put(char c) { buffer_.push_back(c); }
    // The integer column, or nothing for a null.
    void PutNumber(sqlite3_stmt *columns, int column, std::string_view null);
    void FlushWhenFull();
    void Flush();

    static constexpr const char *kNames[] = {"process", "pid", "parentpid", "memory", "priority", "threads"};

private:
    std::FILE *out_;
    std::string buffer_;
};
