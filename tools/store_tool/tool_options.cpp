#include "tools/store_tool/tool_options.h"

#include "tools/store_tool/store_file.h"

#include <QCommandLineParser>
#include <map>

namespace {

// The commands, each with the options it takes beside --store and --wait.
const std::map<QString, QStringList> kCommandOptions = {
    {QStringLiteral("prune"), {QStringLiteral("older-than"), QStringLiteral("computer")}},
    {QStringLiteral("export"),
     {QStringLiteral("format"), QStringLiteral("computer"), QStringLiteral("from"), QStringLiteral("to")}},
    {QStringLiteral("check"), {}},
    {QStringLiteral("stats"), {}}};

int WholeNumber(const QString &text, const QString &option, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        throw EUsage(QStringLiteral("--%1 takes a whole number from %2 to %3, not '%4'").arg(option).arg(least).arg(most).arg(text));
    return value;
}

ExportFormat FormatNamed(const QString &text)
{
    if (text == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (text == QLatin1String("json"))
        return ExportFormat::Json;
    throw EUsage(QStringLiteral("--format takes csv or json, not '%1'").arg(text));
}

void CheckOptionsOf(const QCommandLineParser &parser, const QString &command)
{
    const QStringList allowed = kCommandOptions.at(command);
    for (const QString &name : parser.optionNames()) {
        if (name != QLatin1String("store") && name != QLatin1String("wait") && !allowed.contains(name))
            throw EUsage(QStringLiteral("%1 takes no --%2").arg(command, name));
    }
}

ToolOptions OptionsOf(const QCommandLineParser &parser)
{
    ToolOptions options;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || !kCommandOptions.count(positional[0]))
        throw EUsage(positional.isEmpty() ? QStringLiteral("No command given")
                                          : QStringLiteral("Unknown command '%1'").arg(positional.join(' ')));
    options.command = positional[0];
    CheckOptionsOf(parser, options.command);
    if (parser.isSet(QStringLiteral("store")))
        options.store = parser.value(QStringLiteral("store"));
    if (parser.isSet(QStringLiteral("wait")))
        options.waitSeconds = WholeNumber(parser.value(QStringLiteral("wait")), QStringLiteral("wait"), 0, 3600);
    if (options.command == QLatin1String("prune")) {
        if (!parser.isSet(QStringLiteral("older-than")))
            throw EUsage(QStringLiteral("prune needs --older-than DAYS"));
        options.olderThanDays =
            WholeNumber(parser.value(QStringLiteral("older-than")), QStringLiteral("older-than"), 0, 100000);
    }
    options.computer = parser.value(QStringLiteral("computer"));
    if (parser.isSet(QStringLiteral("format")))
        options.format = FormatNamed(parser.value(QStringLiteral("format")));
    if (parser.isSet(QStringLiteral("from")))
        options.from = ParseToolTime(parser.value(QStringLiteral("from")), false);
    if (parser.isSet(QStringLiteral("to")))
        options.to = ParseToolTime(parser.value(QStringLiteral("to")), true);
    if (options.from && options.to && *options.from > *options.to)
        throw EUsage(QStringLiteral("--from is later than --to"));
    return options;
}

} // namespace

QDateTime ParseToolTime(const QString &text, bool endOfDay)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid())
        return endOfDay ? QDateTime(date, QTime(23, 59, 59)) : QDateTime(date, QTime(0, 0));
    QString iso = text;
    iso.replace(QLatin1Char(' '), QLatin1Char('T'));
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
    if (!time.isValid() || time.timeSpec() != Qt::LocalTime)
        throw EUsage(QStringLiteral("'%1' is no time: write YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS], local time").arg(text));
    return time;
}

ToolOptions ParseToolOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("store"), QString(), QStringLiteral("FILE")},
                       {QStringLiteral("wait"), QString(), QStringLiteral("SECONDS")},
                       {QStringLiteral("older-than"), QString(), QStringLiteral("DAYS")},
                       {QStringLiteral("computer"), QString(), QStringLiteral("NAME")},
                       {QStringLiteral("format"), QString(), QStringLiteral("FORMAT")},
                       {QStringLiteral("from"), QString(), QStringLiteral("T")},
                       {QStringLiteral("to"), QString(), QStringLiteral("T")},
                       {{QStringLiteral("h"), QStringLiteral("help")}, QString()}});
    if (!parser.parse(QStringList{QStringLiteral("tarvenix-store")} + arguments))
        throw EUsage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        ToolOptions help;
        help.help = true;
        return help;
    }
    return OptionsOf(parser);
}

QString ToolUsage()
{
    return QStringLiteral(
        "Usage: tarvenix-store [--store FILE] [--wait SECONDS] COMMAND [OPTIONS]\n"
        "Upkeep of a Tarvenix store (default Tarvenix.mdb in the current directory),\n"
        "safe while the program collects into it.\n"
        "\n"
        "Commands:\n"
        "  prune --older-than DAYS [--computer NAME]\n"
        "      Deletes the snapshots taken more than DAYS days ago, with their rows,\n"
        "      in short transactions. Computers and process names are kept.\n"
        "  export [--format csv|json] [--computer NAME] [--from T] [--to T]\n"
        "      Writes the history rows to standard output, oldest first. T is\n"
        "      YYYY-MM-DD (the whole day) or YYYY-MM-DD HH:MM[:SS], local time.\n"
        "  check\n"
        "      Integrity, snapshots without rows, rows without snapshots.\n"
        "  stats\n"
        "      Rows, snapshots, computers, first and last snapshot, bytes per row.\n"
        "\n"
        "--wait: how long to wait for another program's lock (default 10 s).\n"
        "Exit status: 0 done; 1 check found problems; 2 bad arguments;\n"
        "3 the store is missing, not a store, locked or failed.\n");
}
