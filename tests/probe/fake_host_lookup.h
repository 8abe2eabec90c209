#pragma once
// A name lookup under the test's control: it answers after a delay with a
// given address or failure, or never answers at all.

#include "collect/host_lookup.h"

#include <QObject>
#include <QTimer>

#include <memory>

struct LookupLog {
    int starts = 0;
    int aborts = 0;
    QString name;
};

class FakeHostLookup : public THostLookup
{
public:
    // reply empty: the lookup never answers.
    FakeHostLookup(std::shared_ptr<LookupLog> log, std::optional<std::optional<quint32>> reply,
                   int delayMs = 20)
        : log_(std::move(log)), reply_(reply), delayMs_(delayMs)
    {
    }

    void Start(const QString &name, Answer answer) override
    {
        ++log_->starts;
        log_->name = name;
        if (reply_)
            QTimer::singleShot(delayMs_, context_.get(),
                               [answer, reply = *reply_] { answer(reply); });
    }

    void Abort() override
    {
        ++log_->aborts;
        context_ = std::make_unique<QObject>();
    }

private:
    std::shared_ptr<LookupLog> log_;
    std::optional<std::optional<quint32>> reply_;
    int delayMs_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};
