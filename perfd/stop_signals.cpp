#include "perfd/stop_signals.h"

#include "perfd/event_loop.h"
#include "perfd/perfd_error.h"

#include <csignal>

namespace
{

EventLoop *stopping = nullptr;

void OnStopSignal(int)
{
    stopping->Quit();
}

} // namespace

void QuitOnStopSignals(EventLoop &loop)
{
    stopping = &loop;
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGTERM, &action, nullptr) != 0 || sigaction(SIGINT, &action, nullptr) != 0)
        throw PerfdError("cannot install the stop signal handlers");
}
