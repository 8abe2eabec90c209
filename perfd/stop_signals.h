#pragma once
// SIGTERM and SIGINT end the event loop of the application instead of the
// process, so that the service closes its sockets first.

class QCoreApplication;

void QuitOnStopSignals(QCoreApplication &app);
