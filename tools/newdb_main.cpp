// tarvenix-newdb: creates an empty monitoring store for the program, or
// upgrades one made by an earlier version in place.

#include "core/exception.h"
#include "tools/store_schema.h"
#include "tools/store_upgrade.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace
{

const char *UpgradeMessage(UpgradeOutcome outcome)
{
    switch (outcome) {
    case UpgradeOutcome::SummariesAdded:
        return "upgraded: indexes and summaries added";
    case UpgradeOutcome::SummariesRefilled:
        return "summaries computed afresh";
    case UpgradeOutcome::SummariesUpdated:
        return "upgraded: summaries brought to the current layout";
    case UpgradeOutcome::StatisticsAdded:
        return "upgraded: computer name index and planner statistics added";
    case UpgradeOutcome::AlreadyCurrent:
        break;
    }
    return "already up to date; not changed";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvenix-newdb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates a new Tarvenix store; an existing file is never touched."));
    parser.addHelpOption();
    const QCommandLineOption computer(
        QStringLiteral("computer"), QStringLiteral("Appends a computer to the list (repeatable)."),
        QStringLiteral("NAME"));
    parser.addOption(computer);
    const QCommandLineOption upgrade(
        QStringLiteral("upgrade"),
        QStringLiteral("Upgrades the existing store FILE in place: adds the indexes and summaries it lacks "
                       "for speed, leaving its tables and rows as they are."));
    parser.addOption(upgrade);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Store to create (default Tarvenix.mdb)."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) parser.showHelp(1);
    const QString file = files.value(0, QStringLiteral("Tarvenix.mdb"));
    if (parser.isSet(upgrade) && parser.isSet(computer)) parser.showHelp(1);
    try {
        if (parser.isSet(upgrade))
            std::printf("%s: %s\n", qPrintable(file), UpgradeMessage(UpgradeStore(file)));
        else
            CreateStore(file, parser.values(computer));
    } catch (const Exception &error) {
        std::fprintf(stderr, "tarvenix-newdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
