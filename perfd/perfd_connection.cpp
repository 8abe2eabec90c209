#include "perfd/perfd_connection.h"

#include "perfd/perf_block_cache.h"
#include "perfd/perf_query.h"
#include "perfd/perfd_protocol.h"
#include "platform/perf_data.h"

#include <QTcpSocket>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <exception>

using namespace perfd_protocol;

namespace
{

constexpr int kSendBuffer = 128 * 1024;

QByteArray U32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

std::uint32_t ReadU32(const char *at)
{
    return qFromLittleEndian<std::uint32_t>(at);
}

} // namespace

PerfdConnection::PerfdConnection(QTcpSocket *socket, PerfBlockCache &blocks,
                                 std::chrono::milliseconds idle, QObject *parent)
    : QObject(parent), socket_(socket), blocks_(blocks)
{
    socket_->setParent(this);
    socket_->setReadBufferSize(kFrameHeaderSize + kMaxRequestPayload);
    // Keeps what a client that stops reading can make us build and hold small.
    socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBuffer);
    idle_.setSingleShot(true);
    idle_.setInterval(idle);
    connect(&idle_, &QTimer::timeout, this, &PerfdConnection::Drop);
    connect(socket_, &QTcpSocket::readyRead, this, &PerfdConnection::ProcessRequests);
    connect(socket_, &QTcpSocket::bytesWritten, this, &PerfdConnection::AnswerLeft);
    connect(socket_, &QTcpSocket::disconnected, this, &PerfdConnection::Finish);
    Progress();
}

void PerfdConnection::Progress()
{
    lastProgress_ = std::chrono::steady_clock::now();
    idle_.start();
}

void PerfdConnection::AnswerLeft()
{
    if (socket_->bytesToWrite() > 0) return;
    Progress();
    ProcessRequests();
}

void PerfdConnection::ProcessRequests()
{
    try {
        while (socket_->state() == QAbstractSocket::ConnectedState &&
               socket_->bytesToWrite() == 0 && socket_->bytesAvailable() >= kFrameHeaderSize) {
            char header[kFrameHeaderSize];
            socket_->peek(header, kFrameHeaderSize);
            const std::uint32_t op = ReadU32(header + 4);
            const std::uint32_t length = ReadU32(header + 8);
            if (std::memcmp(header, kMagic, 4) != 0 || length > kMaxRequestPayload) return Drop();
            if (socket_->bytesAvailable() < kFrameHeaderSize + qint64(length)) return;
            socket_->skip(kFrameHeaderSize);
            Progress();
            if (!Handle(op, socket_->read(length))) return;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tarvenix-perfd: dropped a client: %s\n", e.what());
        Drop();
    }
}

bool PerfdConnection::Handle(std::uint32_t op, const QByteArray &payload)
{
    switch (op) {
    case OpConnect:
        if (payload.size() != 4) break;
        keyOpen_ = ReadU32(payload.constData()) == perf_data::kPerformanceDataKey;
        Send(keyOpen_ ? perf_data::kSuccess : perf_data::kInvalidHandle, {});
        return true;
    case OpQuery:
        if (payload.size() < 4) break;
        AnswerQuery(payload);
        return true;
    case OpClose:
        socket_->disconnectFromHost();
        return false;
    }
    Drop();
    return false;
}

void PerfdConnection::AnswerQuery(const QByteArray &payload)
{
    if (!keyOpen_) return Send(perf_data::kInvalidHandle, {});
    const PerfQueryResult result = AnswerPerfQuery(payload.mid(4), ReadU32(payload.constData()),
                                                   [this] { return blocks_.Block(); });
    if (result.status == perf_data::kMoreData)
        return Send(result.status, U32(std::uint32_t(result.block.size())));
    Send(result.status, result.block);
}

void PerfdConnection::Send(std::uint32_t status, const QByteArray &payload)
{
    QByteArray header(kMagic, 4);
    header += U32(status);
    header += U32(std::uint32_t(payload.size()));
    socket_->write(header);
    // Written on its own, the shared block is queued without a copy.
    if (!payload.isEmpty()) socket_->write(payload);
}

void PerfdConnection::Drop()
{
    socket_->abort();
    Finish();
}

void PerfdConnection::Finish()
{
    if (finished_) return;
    finished_ = true;
    idle_.stop();
    emit Finished(this);
    deleteLater();
}
