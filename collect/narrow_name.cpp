#include "collect/narrow_name.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace
{

// Then the narrow bytes are the UTF-8 result itself.
bool NarrowIsUtf8()
{
    static const bool utf8 =
        qstrcmp(QStringEncoder(QStringConverter::System).name(), "UTF-8") == 0;
    return utf8;
}

} // namespace

std::string NarrowName(std::u16string_view text)
{
    // Invalid input comes out as NUL, which a name cannot hold otherwise.
    QStringEncoder encode(QStringConverter::System,
                          QStringConverter::Flag::Stateless |
                              QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray narrow = encode.encode(QStringView(text.data(), qsizetype(text.size())));
    narrow.replace('\0', '?');
    if (NarrowIsUtf8()) return narrow.toStdString();
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::Stateless);
    return QString(decode.decode(narrow)).toStdString();
}
