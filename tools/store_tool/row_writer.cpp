#include "tools/store_tool/row_writer.h"

#include "core/exception.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

std::string_view TextOf(sqlite3_stmt *columns, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(columns, column));
    return text ? std::string_view(text, std::size_t(sqlite3_column_bytes(columns, column))) : std::string_view();
}

class CsvWriter : public RowWriter {
public:
    explicit CsvWriter(std::FILE *out) : RowWriter(out) {}

    void Begin() override { Put("computer,datetime,process,pid,parentpid,memory,priority,threads\r\n"); }
    void Row(std::string_view computer, std::string_view time, sqlite3_stmt *columns) override
    {
        Field(computer);
        Put(',');
        Put(time);
        Put(',');
        Field(TextOf(columns, 0));
        for (int column = 1; column <= 5; ++column) {
            Put(',');
            PutNumber(columns, column, {});
        }
        Put("\r\n");
        FlushWhenFull();
    }
    void End() override { Flush(); }

private:
    // Quoted, with its quotes doubled, when it holds a separator.
    void Field(std::string_view text)
    {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            Put(text);
            return;
        }
        Put('"');
        for (char c : text) {
            if (c == '"')
                Put('"');
            Put(c);
        }
        Put('"');
    }
};

class JsonWriter : public RowWriter {
public:
    explicit JsonWriter(std::FILE *out) : RowWriter(out) {}

    void Begin() override { Put('['); }
    void Row(std::string_view computer, std::string_view time, sqlite3_stmt *columns) override
    {
        Put(first_ ? "\n{\"computer\":" : ",\n{\"computer\":");
        first_ = false;
        String(computer);
        Put(",\"datetime\":");
        String(time);
        Put(",\"process\":");
        if (sqlite3_column_type(columns, 0) == SQLITE_NULL)
            Put("null");
        else
            String(TextOf(columns, 0));
        for (int column = 1; column <= 5; ++column) {
            Put(",\"");
            Put(kNames[column]);
            Put("\":");
            PutNumber(columns, column, "null");
        }
        Put('}');
        FlushWhenFull();
    }
    void End() override
    {
        Put("\n]\n");
        Flush();
    }

private:
    void String(std::string_view text)
    {
        Put('"');
        for (char c : text) {
            if (c == '"' || c == '\\') {
                Put('\\');
                Put(c);
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
                Put(escape);
            } else {
                Put(c);
            }
        }
        Put('"');
    }

    bool first_ = true;
};

} // namespace

std::unique_ptr<RowWriter> RowWriter::For(ExportFormat format, std::FILE *out)
{
    if (format == ExportFormat::Json)
        return std::make_unique<JsonWriter>(out);
    return std::make_unique<CsvWriter>(out);
}

void RowWriter::Put(std::string_view text) { buffer_.append(text); }

void RowWriter::PutNumber(sqlite3_stmt *columns, int column, std::string_view null)
{
    if (sqlite3_column_type(columns, column) == SQLITE_NULL) {
        Put(null);
        return;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(columns, column)).ptr;
    Put(std::string_view(digits, std::size_t(end - digits)));
}

void RowWriter::FlushWhenFull()
{
    if (buffer_.size() >= kFlushAt)
        Flush();
}

void RowWriter::Flush()
{
    const bool complete = std::fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
    buffer_.clear();
    if (!complete || std::fflush(out_) != 0)
        throw Exception(QStringLiteral("Cannot write the export: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
}
