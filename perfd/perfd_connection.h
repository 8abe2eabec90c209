#pragma once
// One client of the service. Requests are answered one at a time: the next
// one is read only when the last answer has left, so a client that never
// reads holds one answer and its idle timer closes it. The idle time counts
// from the last whole request or whole answer, not from the last byte, so a
// client that trickles bytes is closed like a silent one.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>

class PerfBlockCache;
class QTcpSocket;

class PerfdConnection : public QObject
{
    Q_OBJECT
public:
    // Takes the socket over; deletes itself when the connection ends.
    PerfdConnection(QTcpSocket *socket, PerfBlockCache &blocks, std::chrono::milliseconds idle,
                    QObject *parent = nullptr);

    // When a request was last taken whole or an answer last left whole.
    std::chrono::steady_clock::time_point LastProgress() const { return lastProgress_; }
    // Ends the connection now, to make room for another.
    void Close() { Drop(); }

signals:
    // Once, when the connection has ended for whatever reason.
    void Finished(PerfdConnection *connection);

private:
    void Progress();
    void AnswerLeft();
    void ProcessRequests();
    // False when the request ends the connection.
    bool Handle(std::uint32_t op, const QByteArray &payload);
    void AnswerQuery(const QByteArray &payload);
    void Send(std::uint32_t status, const QByteArray &payload);
    void Drop();
    void Finish();

    QTcpSocket *socket_;
    PerfBlockCache &blocks_;
    QTimer idle_;
    std::chrono::steady_clock::time_point lastProgress_;
    bool keyOpen_ = false;
    bool finished_ = false;
};
