// A client of the stand-in service tarvenix-perfd on port 445 of the named
// computer. It blocks the calling thread, as the registry calls do, but each
// exchange ends by its deadline; anything unexpected is a failure status and
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

class ServiceSession : public Session
{
public:
    explicit ServiceSession(std::chrono::milliseconds exchangeTimeout)
        : exchangeTimeout_(exchangeTimeout)
    {
    }

    ~ServiceSession() override
    {
        if (socket_.state() == QAbstractSocket::ConnectedState) {
            Send(OpClose, {});
            socket_.waitForBytesWritten(int(exchangeTimeout_.count()));
        }
        socket_.abort();
    }

    Status Open(const std::string &computerName, std::uint32_t predefinedKey)
    {
        const QDeadlineTimer deadline(exchangeTimeout_);
        socket_.connectToHost(QString::fromLocal8Bit(computerName), kPort);
        if (!socket_.waitForConnected(Remaining(deadline))) return kBadNetPath;
        AnswerHeader answer;
        if (!Send(OpConnect, U32(predefinedKey)) || !Flush(deadline) ||
            !ReadHeader(answer, deadline) || answer.length != 0)
            return Broken();
        return answer.status;
    }

    Status Query(const std::string &valueName, unsigned char *data,
                 std::uint32_t &byteCount) override
    {
        if (socket_.state() != QAbstractSocket::ConnectedState) return kCallFailed;
        const QDeadlineTimer deadline(exchangeTimeout_);
        AnswerHeader answer;
        if (!Send(OpQuery, U32(byteCount) + QByteArray::fromStdString(valueName)) ||
            !Flush(deadline) || !ReadHeader(answer, deadline))
            return Broken();
        if (answer.status == kSuccess) return ReadData(answer.length, data, byteCount, deadline);
        if (answer.status == kMoreData) return ReadNeededCount(answer.length, byteCount, deadline);
        if (answer.length > kMaxRequestPayload || !Skip(answer.length, deadline)) return Broken();
        return answer.status;
    }

private:
    static int Remaining(const QDeadlineTimer &deadline)
    {
        return int(std::max<qint64>(deadline.remainingTime(), 0));
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

    bool Flush(const QDeadlineTimer &deadline)
    {
        while (socket_.bytesToWrite() > 0) {
            if (!socket_.waitForBytesWritten(Remaining(deadline))) return false;
        }
        return true;
    }

    bool ReadExactly(char *into, qint64 count, const QDeadlineTimer &deadline)
    {
        while (count > 0) {
            if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(Remaining(deadline)))
                return false;
            const qint64 got = socket_.read(into, count);
            if (got < 0) return false;
            into += got;
            count -= got;
        }
        return true;
    }

    bool Skip(std::uint32_t count, const QDeadlineTimer &deadline)
    {
        QByteArray discard(qsizetype(count), '\0');
        return ReadExactly(discard.data(), count, deadline);
    }

    bool ReadHeader(AnswerHeader &answer, const QDeadlineTimer &deadline)
    {
        char header[kFrameHeaderSize];
        if (!ReadExactly(header, kFrameHeaderSize, deadline) || std::memcmp(header, kMagic, 4) != 0)
            return false;
        answer.status = qFromLittleEndian<std::uint32_t>(header + 4);
        answer.length = qFromLittleEndian<std::uint32_t>(header + 8);
        return true;
    }

    Status ReadData(std::uint32_t length, unsigned char *data, std::uint32_t &byteCount,
                    const QDeadlineTimer &deadline)
    {
        if (length > byteCount || !ReadExactly(reinterpret_cast<char *>(data), length, deadline))
            return Broken();
        byteCount = length;
        return kSuccess;
    }

    Status ReadNeededCount(std::uint32_t length, std::uint32_t &byteCount,
                           const QDeadlineTimer &deadline)
    {
        char needed[4];
        if (length != 4 || !ReadExactly(needed, 4, deadline)) return Broken();
        byteCount = qFromLittleEndian<std::uint32_t>(needed);
        return kMoreData;
    }

    std::chrono::milliseconds exchangeTimeout_;
    QTcpSocket socket_;
};

} // namespace

Status OpenServiceSession(const std::string &computerName, std::uint32_t predefinedKey,
                          std::chrono::milliseconds exchangeTimeout,
                          std::unique_ptr<Session> &session)
{
    auto opened = std::make_unique<ServiceSession>(exchangeTimeout);
    const Status status = opened->Open(computerName, predefinedKey);
    if (status == kSuccess) session = std::move(opened);
    return status;
}

} // namespace perf_data
