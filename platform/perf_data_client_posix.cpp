// A client of the stand-in service tarvenix-perfd on port 445 of the named
// computer. It blocks the calling thread, as the registry calls do, but only
// within the bounds of the whole reading, so that a service that stalls,
// trickles or keeps answering cannot hold it longer; anything unexpected, a
// spent deadline or an abandoned reading included, is a failure status and
// the connection is dropped.
#include "perfd/perfd_protocol.h"
#include "platform/perf_data_posix.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QtEndian>
#include <cstring>

using namespace perfd_protocol;

namespace perf_data
{
namespace
{

struct AnswerHeader {
    std::uint32_t status = 0;
    std::uint32_t length = 0;
};

// The longest single wait on the socket: an abandoned reading ends this soon.
constexpr int kSliceMs = 100;

class ServiceSession : public Session
{
public:
    explicit ServiceSession(const Bounds &bounds)
        : bounds_(bounds), deadline_(bounds.deadline, Qt::PreciseTimer)
    {
    }

    ~ServiceSession() override
    {
        if (socket_.state() == QAbstractSocket::ConnectedState && !bounds_.Abandoned()) {
            Send(OpClose, {});
            socket_.waitForBytesWritten(std::min(Remaining(), kSliceMs));
        }
        socket_.abort();
    }

    Status Open(const std::string &computerName, std::uint32_t predefinedKey)
    {
        socket_.connectToHost(QString::fromLocal8Bit(computerName), kPort);
        if (!socket_.waitForConnected(Remaining())) return kBadNetPath;
        AnswerHeader answer;
        if (!Send(OpConnect, U32(predefinedKey)) || !Flush() || !ReadHeader(answer) ||
            answer.length != 0)
            return Broken();
        return answer.status;
    }

    Status Query(const std::string &valueName, unsigned char *data,
                 std::uint32_t &byteCount) override
    {
        if (socket_.state() != QAbstractSocket::ConnectedState) return kCallFailed;
        AnswerHeader answer;
        if (!Send(OpQuery, U32(byteCount) + QByteArray::fromStdString(valueName)) || !Flush() ||
            !ReadHeader(answer))
            return Broken();
        if (answer.status == kSuccess) return ReadData(answer.length, data, byteCount);
        if (answer.status == kMoreData) return ReadNeededCount(answer.length, byteCount);
        if (answer.length > kMaxRequestPayload || !Skip(answer.length)) return Broken();
        return answer.status;
    }

private:
    // 0 once spent: the socket's waits then only look, never block.
    int Remaining() const { return int(std::max<qint64>(deadline_.remainingTime(), 0)); }

    // Runs a wait of the socket in slices, until it succeeds, fails otherwise
    // than by time, the deadline passes or the reading is abandoned. (A
    // connect cannot be sliced: its wait drops the attempt when it times out.)
    template <class Wait> bool Await(Wait wait)
    {
        for (;;) {
            if (bounds_.Abandoned()) return false;
            const int remaining = Remaining();
            if (wait(std::min(remaining, kSliceMs))) return true;
            if (remaining <= kSliceMs || socket_.error() != QAbstractSocket::SocketTimeoutError)
                return false;
        }
    }

    static QByteArray U32(std::uint32_t value)
    {
        QByteArray bytes(4, '\0');
        qToLittleEndian(value, bytes.data());
        return bytes;
    }

    Status Broken()
    {
        socket_.abort();
        return kCallFailed;
    }

    bool Send(std::uint32_t op, const QByteArray &payload)
    {
        const QByteArray frame =
            QByteArray(kMagic, 4) + U32(op) + U32(std::uint32_t(payload.size())) + payload;
        return socket_.write(frame) == frame.size();
    }

    bool Flush()
    {
        while (socket_.bytesToWrite() > 0) {
            if (!Await([this](int ms) { return socket_.waitForBytesWritten(ms); })) return false;
        }
        return true;
    }

    bool ReadExactly(char *into, qint64 count)
    {
        while (count > 0) {
            if (socket_.bytesAvailable() == 0 &&
                !Await([this](int ms) { return socket_.waitForReadyRead(ms); }))
                return false;
            const qint64 got = socket_.read(into, count);
            if (got < 0) return false;
            into += got;
            count -= got;
        }
        return true;
    }

    bool Skip(std::uint32_t count)
    {
        QByteArray discard(qsizetype(count), '\0');
        return ReadExactly(discard.data(), count);
    }

    bool ReadHeader(AnswerHeader &answer)
    {
        char header[kFrameHeaderSize];
        if (!ReadExactly(header, kFrameHeaderSize) || std::memcmp(header, kMagic, 4) != 0)
            return false;
        answer.status = qFromLittleEndian<std::uint32_t>(header + 4);
        answer.length = qFromLittleEndian<std::uint32_t>(header + 8);
        return true;
    }

    Status ReadData(std::uint32_t length, unsigned char *data, std::uint32_t &byteCount)
    {
        if (length > byteCount || !ReadExactly(reinterpret_cast<char *>(data), length))
            return Broken();
        byteCount = length;
        return kSuccess;
    }

    Status ReadNeededCount(std::uint32_t length, std::uint32_t &byteCount)
    {
        char needed[4];
        if (length != 4 || !ReadExactly(needed, 4)) return Broken();
        byteCount = qFromLittleEndian<std::uint32_t>(needed);
        return kMoreData;
    }

    Bounds bounds_;
    QDeadlineTimer deadline_;
    QTcpSocket socket_;
};

} // namespace

Status OpenServiceSession(const std::string &computerName, std::uint32_t predefinedKey,
                          const Bounds &bounds, std::unique_ptr<Session> &session)
{
    auto opened = std::make_unique<ServiceSession>(bounds);
    const Status status = opened->Open(computerName, predefinedKey);
    if (status == kSuccess) session = std::move(opened);
    return status;
}

} // namespace perf_data
