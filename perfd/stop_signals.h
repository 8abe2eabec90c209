#pragma once
// SIGTERM and SIGINT end the event loop instead of the process, so that the
// service closes its sockets first.

class EventLoop;

// Raises PerfdError when the handlers cannot be installed.
void QuitOnStopSignals(EventLoop &loop);
