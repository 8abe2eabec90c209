#pragma once
// One client of the service. Requests are answered one at a time: the next
// one is read only when the last answer has left, so a client that never
// reads holds one answer and its idle timer closes it.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>

class QTcpSocket;

class PerfdConnection : public QObject
{
    Q_OBJECT
public:
    // Takes the socket over; deletes itself when the connection ends.
    PerfdConnection(QTcpSocket *socket, QString procDir, std::chrono::milliseconds idle,
                    QObject *parent = nullptr);

private:
    void ProcessRequests();
    // False when the request ends the connection.
    bool Handle(std::uint32_t op, const QByteArray &payload);
    void AnswerQuery(const QByteArray &payload);
    void Send(std::uint32_t status, const QByteArray &payload);
    void Drop();

    QTcpSocket *socket_;
    QString procDir_;
    QTimer idle_;
    bool keyOpen_ = false;
};
