// tarvenix-perfd: serves this computer's process table as performance data
// to Tarvenix on TCP port 445.
#include "core/exception.h"
#include "perfd/perfd_server.h"
#include "perfd/stop_signals.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        PerfdServer server(ParsePerfdOptions(app.arguments()));
        server.Listen();
        QuitOnStopSignals(app);
        const int status = app.exec();
        PerfdLog(QStringLiteral("stopped"));
        return status;
    } catch (const Exception &e) {
        PerfdLog(e.message());
        return 1;
    }
}
