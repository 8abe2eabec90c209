#pragma once
// Floods the service from one address: a thread keeps several connections
// full of pipelined small-offer queries and drains their answers.

#include <QByteArray>
#include <atomic>
#include <thread>
#include <vector>

class QueryFlood
{
public:
    QueryFlood(const char *server, int connections);
    ~QueryFlood();
    // False when a connection could not be opened.
    bool Running() const { return !fds_.empty(); }
    // Answer bytes received so far, over all connections.
    qint64 AnswerBytes() const { return answerBytes_; }

private:
    void Run();
    // False when the service closed that connection.
    bool Pump(size_t index, short events);

    std::vector<int> fds_;
    std::vector<qsizetype> sent_; // offset into the repeating requests
    QByteArray requests_;
    std::atomic<qint64> answerBytes_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
