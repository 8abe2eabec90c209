#include "collect/credentials_file.h"

#include "platform/private_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace credentials_file
{
namespace
{

using Fields = QMap<QString, QString>; // account key to value

// "[NAME]" gives NAME; any other line nothing.
std::optional<QString> SectionOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return std::nullopt;
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

// The key of an account line, compared as Samba does (any case, blanks
// ignored); empty for any other line, comments among them.
QString KeyOf(const QString &line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {};
    QString key = line.left(equals).toLower();
    key.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    static const QStringList keys = {QStringLiteral("username"), QStringLiteral("password"), QStringLiteral("domain")};
    return keys.contains(key) ? key : QString();
}

// Blanks after the "=" are dropped, as Samba drops them; those at the end stay.
QString ValueOf(const QString &line)
{
    qsizetype at = line.indexOf(QLatin1Char('=')) + 1;
    while (at < line.size() && (line[at] == QLatin1Char(' ') || line[at] == QLatin1Char('\t')))
        ++at;
    return line.mid(at);
}

QStringList Lines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<perf_data::Account> AccountOf(const Fields &fields)
{
    QString user = fields.value(QStringLiteral("username")).trimmed();
    if (user.isEmpty())
        return std::nullopt;
    const QString domain = fields.value(QStringLiteral("domain")).trimmed();
    if (!domain.isEmpty() && !user.contains(QLatin1Char('\\')) && !user.contains(QLatin1Char('@')))
        user = domain + QLatin1Char('\\') + user;
    return perf_data::Account{user.toStdString(), fields.value(QStringLiteral("password")).toStdString()};
}

// A DOMAIN\user account keeps its domain on a line of its own, as Samba's
// tools write it; an empty domain line stops a section taking the default's.
QStringList LinesOf(const perf_data::Account &account)
{
    QString user = QString::fromStdString(account.user);
    QString domain;
    const qsizetype slash = user.indexOf(QLatin1Char('\\'));
    if (slash >= 0) {
        domain = user.left(slash);
        user = user.mid(slash + 1);
    }
    return {QStringLiteral("username = ") + user, QStringLiteral("password = ") + QString::fromStdString(account.password),
            domain.isEmpty() ? QStringLiteral("domain =") : QStringLiteral("domain = ") + domain};
}

// Each line with the section it stands in, case-folded; none before the first.
struct Line {
    QString text;
    std::optional<QString> section;
    bool header = false;
};

std::vector<Line> Classified(const QString &text)
{
    std::vector<Line> lines;
    std::optional<QString> section;
    for (const QString &line : Lines(text)) {
        const auto name = SectionOf(line);
        if (name)
            section = name->toCaseFolded();
        lines.push_back({line, section, name.has_value()});
    }
    return lines;
}

bool Blank(const Line &line) { return line.text.trimmed().isEmpty(); }

// Where the target's lines go: after the last line of its first part that is
// not blank; -1 when the file has no part for it.
qsizetype InsertionPoint(const std::vector<Line> &lines, const std::optional<QString> &target)
{
    qsizetype point = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].header && point >= 0)
            break;
        if (lines[i].section == target && (lines[i].header || !Blank(lines[i])))
            point = qsizetype(i) + 1;
    }
    if (point < 0 && !target)
        return 0;
    return point;
}

// Sections of the target left with nothing but blank lines go whole.
void DropEmptySections(std::vector<Line> &lines, const QString &target)
{
    for (size_t start = 0; start < lines.size();) {
        size_t end = start + 1;
        while (end < lines.size() && !lines[end].header)
            ++end;
        const bool empty = lines[start].header && lines[start].section == target &&
                           std::all_of(lines.begin() + qsizetype(start) + 1, lines.begin() + qsizetype(end), Blank);
        if (empty)
            lines.erase(lines.begin() + qsizetype(start), lines.begin() + qsizetype(end));
        else
            start = end;
    }
}

} // namespace

QString UserFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tarvenix/credentials");
}

Reading Read(const QString &path)
{
    std::string error;
    const auto bytes = private_file::Read(QFile::encodeName(path).toStdString(), error);
    if (!bytes)
        return {{}, QString::fromLocal8Bit(error)};
    return {Parse(QString::fromUtf8(*bytes)), {}};
}

Accounts Parse(const QString &text)
{
    Fields all;
    QMap<QString, std::pair<QString, Fields>> sections; // by folded name: name as written, own lines
    std::optional<QString> section;
    for (const QString &line : Lines(text)) {
        if (const auto name = SectionOf(line)) {
            section = name->toCaseFolded();
            if (!sections.contains(*section))
                sections.insert(*section, {*name, {}});
            continue;
        }
        const QString key = KeyOf(line);
        if (!key.isEmpty())
            (section ? sections[*section].second : all).insert(key, ValueOf(line));
    }
    Accounts accounts;
    accounts.all = AccountOf(all);
    for (const auto &[name, own] : sections) {
        Fields fields = all;
        fields.insert(own);
        if (const auto account = AccountOf(fields))
            accounts.computers.insert(name, *account);
    }
    return accounts;
}

QString WithAccount(const QString &text, const QString &computer, const std::optional<perf_data::Account> &account)
{
    const std::optional<QString> target =
        computer.isEmpty() ? std::nullopt : std::optional<QString>(computer.toCaseFolded());
    std::vector<Line> lines = Classified(text);
    std::erase_if(lines, [&](const Line &line) {
        return !line.header && line.section == target && !KeyOf(line.text).isEmpty();
    });
    if (!account) {
        if (target)
            DropEmptySections(lines, *target);
    } else {
        std::vector<Line> added;
        qsizetype point = InsertionPoint(lines, target);
        if (point < 0) {
            point = qsizetype(lines.size());
            if (!lines.empty() && !Blank(lines.back()))
                added.push_back({QString(), target});
            added.push_back({QLatin1Char('[') + computer + QLatin1Char(']'), target, true});
        }
        for (const QString &line : LinesOf(*account))
            added.push_back({line, target});
        if (point < qsizetype(lines.size()) && lines[size_t(point)].header)
            added.push_back({QString(), target}); // a blank line before the next section
        lines.insert(lines.begin() + point, added.begin(), added.end());
    }
    while (!lines.empty() && Blank(lines.back()))
        lines.pop_back();
    QString result;
    for (const Line &line : lines)
        result += line.text + QLatin1Char('\n');
    return result;
}

QString Unwritable(const perf_data::Account &account)
{
    const QString password = QString::fromStdString(account.password);
    const auto breaks = [](const QString &text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    };
    if (breaks(password) || breaks(QString::fromStdString(account.user)))
        return QStringLiteral("An account with a line break or another control character cannot be kept in the "
                              "credentials file");
    if (password.startsWith(QLatin1Char(' ')) || password.startsWith(QLatin1Char('\t')))
        return QStringLiteral("A password that begins with a blank cannot be kept in the credentials file");
    return {};
}

QString Keep(const QString &path, const QString &computer, const std::optional<perf_data::Account> &account)
{
    if (account) {
        if (const QString why = Unwritable(*account); !why.isEmpty())
            return why;
    }
    const std::string name = QFile::encodeName(path).toStdString();
    std::string error;
    const auto bytes = private_file::Read(name, error);
    if (!error.empty())
        return QString::fromLocal8Bit(error);
    const QString before = bytes ? QString::fromUtf8(*bytes) : QString();
    const QString after = WithAccount(before, computer, account);
    if ((bytes && after == before) || (!bytes && !account))
        return {};
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("Cannot make the folder of %1").arg(path);
    if (!private_file::Write(name, after.toUtf8().toStdString(), error))
        return QString::fromLocal8Bit(error);
    return {};
}

} // namespace credentials_file
