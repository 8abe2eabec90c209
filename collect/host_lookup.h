#pragma once
// The probe's asynchronous name lookup, replaceable so that tests can stand
// in a lookup that answers late, wrongly or never.

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class THostLookup
{
public:
    // The first IPv4 address of the name (host byte order), or nothing when
    // the lookup failed or found no IPv4 address.
    using Answer = std::function<void(std::optional<quint32> address)>;

    virtual ~THostLookup() = default;
    // Starts a lookup; the answer comes later, from the event loop, once.
    virtual void Start(const QString &name, Answer answer) = 0;
    // Drops the lookup under way, if any: its answer is never delivered.
    // Destroying the lookup does the same.
    virtual void Abort() = 0;
};

// The platform's lookup through QHostInfo. An empty name is the local
// computer, as the platform's gethostbyname takes it.
std::unique_ptr<THostLookup> MakeSystemHostLookup();
