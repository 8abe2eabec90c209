#pragma once
// A field of a data set: its name (matched without regard to case), type,
// display label, visibility and display width, and for a look-up field the
// data set and fields it takes its value from.

#include <QString>

class DataSet;

enum class FieldType { Integer16, Integer32, Float, DateTime, Text };

struct LookupSpec {
    QString keyField;             // field of this data set holding the key
    DataSet *lookupDataSet = nullptr;
    QString lookupKeyField;       // key field of the look-up data set
    QString lookupResultField;    // field whose value is shown
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    QString label; // empty: the field name is shown
    bool visible = true;
    int displayWidth = 0; // characters; 0: the type's default
    LookupSpec lookup;    // set for look-up fields only

    bool IsLookup() const { return lookup.lookupDataSet != nullptr; }
    QString DisplayLabel() const { return label.isEmpty() ? name : label; }
};

// The field type a declared column type stands for; nothing when the column
// has no declared type (an expression).
bool FieldTypeFromDeclared(const QString &declared, FieldType *type);
