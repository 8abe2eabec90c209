#pragma once
// Scripts of stand-in services that hold a reading up or answer absurdly:
// each answers the connect request, then misbehaves on the queries.

#include "tests/perfd/scripted_server.h"

#include <atomic>
#include <chrono>

// What a script saw of the reader, for the test to check afterwards.
struct ServiceTally {
    std::atomic<int> queries{0};
    std::atomic<std::uint32_t> largestOffer{0};
};

// Sends the first 6 bytes of the query's answer, then waits.
ScriptedServer::Script StallsMidHeader();
// Answers every query with "more data" after the delay, asking one byte more
// than was offered; a peer that keeps asking gets a few dozen answers.
ScriptedServer::Script AnswersMoreDataForever(std::chrono::milliseconds delay, ServiceTally &tally);
// Sends a good answer one byte every 50 ms.
ScriptedServer::Script Trickles(const QByteArray &block);
// Answers "more data" to offers smaller than the block, then the block.
ScriptedServer::Script Serves(const QByteArray &block);
