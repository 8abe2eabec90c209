#include "collect/narrow_name.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString NarrowName(const char16_t *text, qsizetype length)
{
    // Invalid input comes out as NUL, which a name cannot hold otherwise.
    QStringEncoder encode(QStringConverter::System,
                          QStringConverter::Flag::Stateless |
                              QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray narrow = encode.encode(QStringView(text, length));
    narrow.replace('\0', '?');
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::Stateless);
    return decode.decode(narrow);
}
