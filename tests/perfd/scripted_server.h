#pragma once
// A one-connection TCP server on its own thread that plays a script, for
// services that answer wrongly or not at all.

#include <QByteArray>
#include <functional>
#include <thread>

class ScriptedServer
{
public:
    using Script = std::function<void(int fd)>;
    ScriptedServer(const char *address, Script script);
    ~ScriptedServer(); // waits for the script to end

    // Helpers for scripts; false when the peer went away.
    static bool ReadRequest(int fd);
    static bool Write(int fd, const QByteArray &bytes);
    static void ReadUntilClosed(int fd);

private:
    int listener_ = -1;
    std::thread thread_;
};
