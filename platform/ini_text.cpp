#include "platform/ini_text.h"

#include <QStringList>
#include <QUrl>

namespace ini_text
{
namespace
{

QString LineEnd(const QString &text) { return text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n"); }

bool IsHeader(const QString &line) { return line.trimmed().startsWith(QLatin1Char('[')); }

bool IsHeaderOf(const QString &line, const QString &section)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return false;
    const QString name = trimmed.mid(1, trimmed.size() - 2);
    return name == section || name == QString::fromLatin1(QUrl::toPercentEncoding(section));
}

// The value part of "name=value", nothing for any other line.
std::optional<QString> Assignment(const QString &line, const QString &name)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || line.left(equals).trimmed() != name)
        return std::nullopt;
    return line.mid(equals + 1);
}

// Values with surrounding blanks or quotes are written quoted, so that they
// come back exactly as they were typed.
QString Quoted(const QString &value)
{
    const bool plain = value.trimmed() == value && !value.contains(QLatin1Char('"')) &&
                       !value.contains(QLatin1Char('\\')) && !value.contains(QLatin1Char(';'));
    if (plain)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("\""), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString Unquoted(const QString &raw)
{
    const QString value = raw.trimmed();
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) || !value.endsWith(QLatin1Char('"')))
        return value;
    QString text;
    for (qsizetype i = 1; i < value.size() - 1; ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size() - 1)
            ++i;
        text += value[i];
    }
    return text;
}

struct Place {
    qsizetype header = -1; // line of the section's header
    qsizetype value = -1;  // line of the value
    qsizetype end = -1;    // one past the section's last line that is not blank
};

Place Find(const QStringList &lines, const QString &section, const QString &name)
{
    Place place;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (IsHeader(lines[i])) {
            inside = place.header < 0 && IsHeaderOf(lines[i], section);
            if (inside)
                place.header = place.end = i;
        } else if (inside && !lines[i].trimmed().isEmpty()) {
            place.end = i;
            if (place.value < 0 && Assignment(lines[i], name))
                place.value = i;
        }
    }
    if (place.end >= 0)
        ++place.end;
    return place;
}

} // namespace

std::optional<QString> Value(const QString &text, const QString &section, const QString &name)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const Place place = Find(lines, section, name);
    if (place.value < 0)
        return std::nullopt;
    QString raw = *Assignment(lines[place.value], name);
    if (raw.endsWith(QLatin1Char('\r')))
        raw.chop(1);
    return Unquoted(raw);
}

QString WithValue(const QString &text, const QString &section, const QString &name, const QString &value)
{
    const QString end = LineEnd(text);
    QStringList lines = text.split(QLatin1Char('\n'));
    const Place place = Find(lines, section, name);
    const QString carriage = end.size() == 2 ? QStringLiteral("\r") : QString();
    const QString line = name + QLatin1Char('=') + Quoted(value) + carriage;
    if (place.value >= 0) {
        lines[place.value] = line;
    } else if (place.header >= 0) {
        lines.insert(place.end, line);
    } else {
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            lines.last() += carriage;
        else if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty())
            lines << carriage; // a blank line before the new section
        lines << QLatin1Char('[') + section + QLatin1Char(']') + carriage << line << QString();
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace ini_text
