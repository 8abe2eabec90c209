#include "collect/host_lookup.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>

namespace
{

std::optional<quint32> FirstIPv4(const QHostInfo &info)
{
    if (info.error() != QHostInfo::NoError) return std::nullopt;
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) return address.toIPv4Address();
    }
    return std::nullopt;
}

class TSystemHostLookup : public THostLookup
{
public:
    ~TSystemHostLookup() override { Abort(); }

    void Start(const QString &name, Answer answer) override
    {
        Abort();
        const QString target = name.isEmpty() ? QHostInfo::localHostName() : name;
        // The answer is matched by id: one already queued when Abort ran is dropped.
        pending_ = QHostInfo::lookupHost(target, &context_, [this, answer](const QHostInfo &info) {
            if (info.lookupId() != pending_) return;
            pending_ = kNone;
            answer(FirstIPv4(info));
        });
    }

    void Abort() override
    {
        if (pending_ != kNone) QHostInfo::abortHostLookup(pending_);
        pending_ = kNone;
    }

private:
    static constexpr int kNone = -1;
    QObject context_; // answers die with it
    int pending_ = kNone;
};

} // namespace

std::unique_ptr<THostLookup> MakeSystemHostLookup()
{
    return std::make_unique<TSystemHostLookup>();
}
