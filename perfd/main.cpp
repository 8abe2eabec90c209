// tarvenix-perfd: serves this computer's process table as performance data
// to Tarvenix on TCP port 445.
#include "perfd/event_loop.h"
#include "perfd/perfd_error.h"
#include "perfd/perfd_log.h"
#include "perfd/perfd_server.h"
#include "perfd/stop_signals.h"

#include <cstdio>

namespace
{

int Serve(const PerfdOptions &options)
{
    EventLoop loop;
    PerfdServer server(loop, options);
    server.Listen();
    QuitOnStopSignals(loop);
    loop.Run();
    PerfdLog("stopped");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    PerfdOptions options;
    try {
        options = ParsePerfdOptions({argv + 1, argv + argc});
    } catch (const PerfdError &e) {
        PerfdLog(e.what());
        std::fputs(kPerfdUsage, stderr);
        return 1;
    }
    if (options.help) return std::fputs(kPerfdUsage, stdout) < 0;
    try {
        return Serve(options);
    } catch (const PerfdError &e) {
        PerfdLog(e.what());
        return 1;
    }
}
