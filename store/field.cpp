#include "store/field.h"

bool FieldTypeFromDeclared(const QString &declared, FieldType *type)
{
    const QString t = declared.toUpper();
    if (t.isEmpty())
        return false;
    if (t.contains(QLatin1String("SMALLINT")))
        *type = FieldType::Integer16;
    else if (t.contains(QLatin1String("INT")))
        *type = FieldType::Integer32;
    else if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        *type = FieldType::DateTime;
    else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
             t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("NUM")))
        *type = FieldType::Float;
    else
        *type = FieldType::Text;
    return true;
}
