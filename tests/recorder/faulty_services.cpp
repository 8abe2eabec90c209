#include "tests/recorder/faulty_services.h"

#include <QtEndian>
#include <algorithm>

using Server = ScriptedServer;

namespace
{

constexpr int kMostAnswers = 40;

bool AnswersConnect(int fd)
{
    return Server::ReadRequest(fd) && Server::Write(fd, Server::Answer(0));
}

std::uint32_t OfferOf(const QByteArray &query)
{
    return query.size() < 4 ? 0 : qFromLittleEndian<std::uint32_t>(query.constData());
}

} // namespace

ScriptedServer::Script StallsMidHeader()
{
    return [](int fd) {
        if (!AnswersConnect(fd) || !Server::ReadRequest(fd)) return;
        Server::Write(fd, Server::Answer(0, QByteArray(100, 'x')).left(6));
        Server::ReadUntilClosed(fd);
    };
}

ScriptedServer::Script AnswersMoreDataForever(std::chrono::milliseconds delay, ServiceTally &tally)
{
    return [delay, &tally](int fd) {
        QByteArray query;
        if (!AnswersConnect(fd)) return;
        // A request without payload is the reader's close.
        while (tally.queries < kMostAnswers && Server::ReadRequest(fd, &query) &&
               !query.isEmpty()) {
            const std::uint32_t offer = OfferOf(query);
            ++tally.queries;
            tally.largestOffer = std::max(tally.largestOffer.load(), offer);
            std::this_thread::sleep_for(delay);
            if (!Server::Write(fd, Server::Answer(234, Server::U32(offer + 1)))) return;
        }
    };
}

ScriptedServer::Script Trickles(const QByteArray &block)
{
    return [block](int fd) {
        if (!AnswersConnect(fd) || !Server::ReadRequest(fd)) return;
        const QByteArray answer = Server::Answer(0, block);
        for (const char byte : answer) {
            if (!Server::Write(fd, QByteArray(1, byte))) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Server::ReadUntilClosed(fd);
    };
}

ScriptedServer::Script Serves(const QByteArray &block)
{
    return [block](int fd) {
        QByteArray query;
        if (!AnswersConnect(fd)) return;
        while (Server::ReadRequest(fd, &query)) {
            const auto size = std::uint32_t(block.size());
            const bool fits = OfferOf(query) >= size;
            if (!Server::Write(fd, fits ? Server::Answer(0, block)
                                        : Server::Answer(234, Server::U32(size))))
                return;
        }
    };
}
