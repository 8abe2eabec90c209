#pragma once
// A one-connection TCP server on its own thread that plays a script, for
// services that answer wrongly or not at all.

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <thread>

class ScriptedServer
{
public:
    using Script = std::function<void(int fd)>;
    // FirstThatSpeaks passes over connections closed before their first
    // byte, such as a reachability probe's.
    enum class Plays { FirstConnection, FirstThatSpeaks };
    ScriptedServer(const char *address, Script script, Plays plays = Plays::FirstConnection);
    ~ScriptedServer(); // waits for the script to end

    // Helpers for scripts; false when the peer went away. payload, when
    // given, receives the request's payload.
    static bool ReadRequest(int fd, QByteArray *payload = nullptr);
    static bool Write(int fd, const QByteArray &bytes);
    static void ReadUntilClosed(int fd);
    // An answer frame: magic, status, length, payload.
    static QByteArray Answer(std::uint32_t status, const QByteArray &payload = {});
    static QByteArray U32(std::uint32_t value);

private:
    int listener_ = -1;
    std::thread thread_;
};
