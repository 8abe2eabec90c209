#pragma once
// Compact column-wise storage of a data set's rows. Integers are kept in the
// narrowest width that has held every value so far (16, 32 or 64 bits), texts
// as indexes into one pool of distinct values, and a null mask is made only
// for a column that ever held a null. A million history rows fit in about
// 30 bytes each.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

class RowStore {
public:
    enum class Kind { Integer16, Integer32, Float, Text };

    void Reset(const std::vector<Kind> &kinds);
    int RowCount() const { return rows_; }
    int ColumnCount() const { return int(columns_.size()); }

    void AppendRow(); // cells 0 or empty, not null
    void RemoveRow(int row);
    void Squeeze(); // gives back spare capacity after a bulk fill

    bool IsNull(int row, int column) const;
    int64_t Integer(int row, int column) const;
    double Float(int row, int column) const;
    const QString &Text(int row, int column) const;

    void SetNull(int row, int column);
    void SetInteger(int row, int column, int64_t value);
    void SetFloat(int row, int column, double value);
    void SetText(int row, int column, const QString &value);
    void SetTextUtf8(int row, int column, const char *data, int size);

    // For each pool index, its rank among the distinct texts in locale order.
    std::vector<int> TextRanks() const;

    size_t MemoryUsage() const;

private:
    using Ints = std::variant<std::vector<int16_t>, std::vector<int32_t>, std::vector<int64_t>>;
    struct Column {
        Kind kind;
        Ints ints;                  // Integer kinds; Text holds pool indexes here
        std::vector<double> floats; // Float
        std::vector<bool> nulls;    // empty until the first null
    };

    void MarkNotNull(Column &column, int row);
    uint32_t Intern(const QByteArray &utf8, const QString *text);

    std::vector<Column> columns_;
    int rows_ = 0;
    std::vector<QString> pool_;
    QHash<QByteArray, uint32_t> poolIndex_;
};
