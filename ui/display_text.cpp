#include "ui/display_text.h"

#include "store/date_text.h"

QString DisplayText(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QString();
    if (type == FieldType::DateTime)
        return DateTimeText(value.toDateTime());
    if (type == FieldType::Float)
        return QLocale().toString(value.toDouble(), 'g', 15);
    return value.toString();
}
