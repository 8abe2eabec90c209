// tarvenix-newdb: creates an empty monitoring store for the program.

#include "core/exception.h"
#include "tools/store_schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

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
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Store to create (default Tarvenix.mdb)."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) parser.showHelp(1);
    const QString file = files.value(0, QStringLiteral("Tarvenix.mdb"));
    try {
        CreateStore(file, parser.values(computer));
    } catch (const Exception &error) {
        std::fprintf(stderr, "tarvenix-newdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
