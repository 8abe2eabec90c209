// tarvenix-store: upkeep of a monitoring store from the command line, safe
// to run from a timer while the program collects into the same store.

#include "tools/store_tool/store_file.h"
#include "tools/store_tool/tool_commands.h"
#include "tools/store_tool/tool_options.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvenix-store"));
    try {
        const ToolOptions options = ParseToolOptions(QCoreApplication::arguments().mid(1));
        if (options.help) {
            std::fputs(ToolUsage().toLocal8Bit().constData(), stdout);
            return kDone;
        }
        return RunToolCommand(options, stdout, stderr);
    } catch (const EUsage &error) {
        std::fprintf(stderr, "tarvenix-store: %s\nTry tarvenix-store --help.\n", error.what());
        return kBadArguments;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tarvenix-store: %s\n", error.what());
        return kStoreFailed;
    }
}
