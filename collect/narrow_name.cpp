#include "collect/narrow_name.h"

#include <QStringDecoder>
#include <QStringEncoder>

std::string NarrowName(std::u16string_view text)
{
    // Invalid input comes out as NUL, which a name cannot hold otherwise.
    QStringEncoder encode(QStringConverter::System,
                          QStringConverter::Flag::Stateless |
                              QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray narrow = encode.encode(QStringView(text.data(), qsizetype(text.size())));
    narrow.replace('\0', '?');
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::Stateless);
    return QString(decode.decode(narrow)).toStdString();
}
