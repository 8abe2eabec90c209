// "Lookup selected" against stand-in services that stall, trickle, keep
// asking for more room or answer absurdly, on 127.0.0.70: the window waits
// no longer than the answer time-out and nothing is stored. The longest
// stall of each is printed.
#include "../app/app_fixture.h"
#include "tests/reader/synthetic_block.h"
#include "tests/recorder/faulty_services.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace
{

constexpr char kAddress[] = "127.0.0.70";
constexpr qint64 kMarginMs = 1000;

// The longest the event loop went without running a 10-ms timer.
class StallMeter
{
public:
    StallMeter()
    {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
        clock_.start();
        timer_.start(10);
    }
    qint64 Longest()
    {
        Tick();
        return longest_;
    }

private:
    void Tick() { longest_ = std::max(longest_, clock_.restart()); }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

SynObject Processes(int count, int distinctNames)
{
    SynObject object;
    for (int i = 0; i < count; ++i)
        object.instances.push_back(
            {u"p" + QString::number(i % distinctNames).toStdU16String(), i + 1, 0, 4096, 1, 8});
    return object;
}

// A million instances declared, as many as 10 MB hold present.
QByteArray MillionInstances()
{
    SynBlock block = SyntheticBlock({Processes(70000, 16)});
    PatchU32(block.bytes, block.objects[0] + syn::kObjNumInstances, 1000000);
    return block.bytes;
}

// Two plain processes, then one named with a million characters.
QByteArray EnormousName()
{
    SynObject object = Processes(2, 2);
    object.instances.push_back({std::u16string(1000000, u'n'), 3, 0, 4096, 1, 8});
    return SyntheticBlock({object}).bytes;
}

enum class Fault {
    StallMidHeader,
    MoreDataFast,
    MoreDataSlow,
    Trickle,
    MillionInstances,
    EnormousName
};

} // namespace

Q_DECLARE_METATYPE(Fault)

class RecorderFaultyServices : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> app;

    qint64 Count(const char *table) const
    {
        return app->store.Scalar(
            QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
    }

    ScriptedServer::Script ScriptOf(Fault fault, ServiceTally &tally) const
    {
        switch (fault) {
        case Fault::StallMidHeader:
            return StallsMidHeader();
        case Fault::MoreDataFast:
            return AnswersMoreDataForever(std::chrono::milliseconds(0), tally);
        case Fault::MoreDataSlow:
            return AnswersMoreDataForever(std::chrono::milliseconds(450), tally);
        case Fault::Trickle:
            return Trickles(SyntheticBlock({Processes(3, 3)}).bytes);
        case Fault::MillionInstances:
            return Serves(MillionInstances());
        case Fault::EnormousName:
            return Serves(EnormousName());
        }
        return {};
    }

    // Looks up the one computer at the time-out while the fault plays, and
    // gives the window's longest stall.
    qint64 RecordAgainst(Fault fault, const QString &timeOut, ServiceTally &tally)
    {
        ScriptedServer service(kAddress, ScriptOf(fault, tally),
                               ScriptedServer::Plays::FirstThatSpeaks);
        app->window->edTimeOut->setText(timeOut);
        app->module->adotComputers.SetRecNo(1);
        StallMeter meter;
        app->module->actlComputers.actLookupSelected->trigger();
        return meter.Longest();
    }

private slots:
    void init()
    {
        app = std::make_unique<AppFixture>();
        app->store.Sql(QStringLiteral("insert into t__computers (NAME) values ('%1')")
                           .arg(QLatin1String(kAddress)));
        app->Start();
    }
    void cleanup() { app.reset(); }

    void faultEndsWithinTheTimeOutAndStoresNothing_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("holdsOn"); // the fault lasts beyond any time-out
        const std::pair<const char *, Fault> faults[] = {
            {"stall mid-header", Fault::StallMidHeader},
            {"more data forever, fast", Fault::MoreDataFast},
            {"more data forever, slow", Fault::MoreDataSlow},
            {"trickle", Fault::Trickle},
            {"million instances", Fault::MillionInstances},
            {"enormous name", Fault::EnormousName}};
        for (const auto &[name, fault] : faults) {
            const bool holdsOn = fault != Fault::MoreDataFast && fault != Fault::MillionInstances &&
                                 fault != Fault::EnormousName;
            for (int seconds : {1, 2})
                QTest::addRow("%s, %d s", name, seconds) << fault << seconds << holdsOn;
        }
    }
    void faultEndsWithinTheTimeOutAndStoresNothing()
    {
        QFETCH(Fault, fault);
        QFETCH(int, seconds);
        QFETCH(bool, holdsOn);
        ServiceTally tally;
        const qint64 stall = RecordAgainst(fault, QString::number(seconds), tally);
        qInfo("%s: longest stall %lld ms at Answer timeout %d s", QTest::currentDataTag(), stall,
              seconds);
        if (tally.queries > 0)
            qInfo("%d queries, largest offer %u bytes", tally.queries.load(),
                  tally.largestOffer.load());
        QVERIFY2(stall < seconds * 1000 + kMarginMs, qPrintable(QString::number(stall)));
        if (holdsOn)
            QVERIFY2(stall >= seconds * 900,
                     qPrintable(QString::number(stall))); // the user's time-out
        QVERIFY(tally.queries <= 6);
        QVERIFY(tally.largestOffer < 4u * 1024 * 1024);
        QCOMPARE(Count("t__blocks"), 0);
        QCOMPARE(Count("t__data"), 0);
        QCOMPARE(Count("t__process"), 0);
        QVERIFY(app->errors.isEmpty());
    }

    // 0 puts no limit on the probe, but the reading ends after a second.
    void noTimeOutStillEndsTheReadingAfterASecond()
    {
        ServiceTally tally;
        const qint64 stall = RecordAgainst(Fault::StallMidHeader, QStringLiteral("0"), tally);
        qInfo("stall mid-header: longest stall %lld ms at Answer timeout 0", stall);
        QVERIFY2(stall >= 900 && stall < 1000 + kMarginMs, qPrintable(QString::number(stall)));
        QCOMPARE(Count("t__blocks"), 0);
    }
};

QTEST_MAIN(RecorderFaultyServices)
#include "test_recorder_faulty_services.moc"
