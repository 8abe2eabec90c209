// What the program remembers of each computer's collections in this run, as
// "Lookup selected" and a monitoring pass leave it, and how the computer list
// on the Monitoring page shows it: a mark per entry and a tooltip.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "../perfd/perfd_runner.h"
#include "../perfd/proc_fixture.h"
#include "../perfd/scripted_server.h"
#include "../probe/loopback_listener.h"
#include "ui/computer_health_delegate.h"
#include "ui/db_lookup_list_box.h"

#include <QLineEdit>
#include <QToolTip>
#include <QtTest>

namespace {

// Computers 1 to 4, in this order.
constexpr const char *kAnswering = "127.0.0.80";
constexpr const char *kRefusing = "127.0.0.81";
constexpr const char *kSilent = "127.0.0.82";     // its listening queue is full
constexpr const char *kUnreadable = "127.0.0.83"; // answers the probe, hangs up on the reading

} // namespace

class CollectionHealthTest : public QObject {
    Q_OBJECT
    QTemporaryDir proc;
    std::unique_ptr<PerfdRunner> service;
    std::unique_ptr<AppFixture> app;

    CollectionOutcomes Of(int computerId) const { return app->module->health.Of(computerId); }
    qint64 Blocks(int computerId) const
    {
        return app->store.Scalar(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = %1").arg(computerId));
    }
    void Lookup(int computerId)
    {
        app->module->adotComputers.SetRecNo(computerId);
        app->module->actlComputers.actLookupSelected->trigger();
    }
    // The tooltip of the list entry as hovering over it shows it.
    QString ToolTipOf(int row)
    {
        DbLookupListBox *list = app->window->llbxComputers;
        const QPoint at = UserInput::EntryCentre(list, row);
        QHelpEvent hover(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &hover);
        return QToolTip::text();
    }
    // How many pixels of the entry's row have the colour.
    int PixelsOf(int row, const QColor &colour)
    {
        DbLookupListBox *list = app->window->llbxComputers;
        const QImage shown = list->viewport()->grab().toImage();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += shown.pixelColor(x, y) == colour;
        return count;
    }

private slots:
    void initTestCase()
    {
        WriteFixtureProcess(proc.path(), {1, "init", 0, 20, 1, "9000"});
        service = std::make_unique<PerfdRunner>(QStringList{"--listen", kAnswering, "--proc", proc.path()});
        QVERIFY(service->Listening());
    }
    void init()
    {
        app = std::make_unique<AppFixture>();
        app->store.Sql(QStringLiteral("insert into t__computers (NAME) values ('%1'), ('%2'), ('%3'), ('%4')")
                           .arg(kAnswering, kRefusing, kSilent, kUnreadable));
        app->Start();
        app->window->edTimeOut->setText(QStringLiteral("1"));
    }
    void cleanup() { app.reset(); }

    void everyComputerIsUntriedAtStart()
    {
        for (int id = 1; id <= 4; ++id)
            QCOMPARE(int(Of(id).state), int(CollectionState::NeverTried));
    }

    // One pass over the four: each failing one keeps its reason, stores
    // nothing and shows no message.
    void passRecordsEachOutcomeAndItsReason()
    {
        LoopbackListener silent(kSilent, 445, 0);
        silent.FillQueue();
        ScriptedServer unreadable(kUnreadable, [](int fd) { ScriptedServer::ReadRequest(fd); },
                                  ScriptedServer::Plays::FirstThatSpeaks);
        const QDateTime before = QDateTime::currentDateTime();
        app->window->edTimer->setText(QStringLiteral("60"));
        app->module->actlComputers.actStartMonitor->trigger();
        QMetaObject::invokeMethod(&app->module->tiMonitor, "timeout", Qt::DirectConnection);
        QVERIFY2(app->errors.isEmpty(), qPrintable(app->errors.join('\n')));

        const CollectionOutcomes answering = Of(1);
        QCOMPARE(int(answering.state), int(CollectionState::Answering));
        QVERIFY(answering.lastSuccess >= before);
        QVERIFY(!answering.lastFailure.isValid());
        QCOMPARE(Blocks(1), 1);

        const std::pair<int, QString> failures[] = {
            {2, "Connection Failed"}, {3, "Connection Timed out"}, {4, "the reading failed or outlasted the answer time-out"}};
        for (const auto &[id, reason] : failures) {
            const CollectionOutcomes failing = Of(id);
            QCOMPARE(int(failing.state), int(CollectionState::Failing));
            QCOMPARE(failing.failureReason, reason);
            QVERIFY(failing.lastFailure >= before);
            QVERIFY(!failing.lastSuccess.isValid());
            QCOMPARE(Blocks(id), 0);
        }
    }

    // A computer that failed and then answers is answering again, and still
    // tells when and why it last failed.
    void recoveryKeepsTheLastFailure()
    {
        Lookup(2);
        app->store.Sql(QStringLiteral("update t__computers set NAME = '%1' where ID = 2").arg(kAnswering));
        app->module->adotComputers.Close();
        app->module->adotComputers.Open();
        Lookup(2);
        const CollectionOutcomes outcomes = Of(2);
        QCOMPARE(int(outcomes.state), int(CollectionState::Answering));
        QVERIFY(outcomes.lastSuccess >= outcomes.lastFailure);
        QCOMPARE(outcomes.failureReason, QStringLiteral("Connection Failed"));
        QCOMPARE(Blocks(2), 1);
    }

    // A store failure is a failed collection too, and is told as before.
    void storeFailureIsAFailureWithTheStoresMessage()
    {
        app->store.Sql(QStringLiteral("create trigger full before insert on t__data "
                                      "begin select raise(abort, 'database or disk is full'); end"));
        Lookup(1);
        QCOMPARE(app->errors, QStringList({"database or disk is full."}));
        QCOMPARE(int(Of(1).state), int(CollectionState::Failing));
        QCOMPARE(Of(1).failureReason, QStringLiteral("database or disk is full"));
    }

    // The list marks each entry in its state's colour and tells the details
    // in the entry's tooltip.
    void listShowsMarksAndTooltips()
    {
        QVERIFY(UserInput::ShowActive(app->window.get()));
        Lookup(1);
        Lookup(2);
        UserInput::Settle();
        const QColor answering = ComputerHealthDelegate::StateColor(CollectionState::Answering);
        const QColor failing = ComputerHealthDelegate::StateColor(CollectionState::Failing);
        QVERIFY(PixelsOf(0, answering) > 20);
        QCOMPARE(PixelsOf(0, failing), 0);
        QVERIFY(PixelsOf(1, failing) > 20);
        QCOMPARE(PixelsOf(1, answering), 0);
        QVERIFY(PixelsOf(2, ComputerHealthDelegate::StateColor(CollectionState::NeverTried)) > 5);
        QCOMPARE(PixelsOf(2, answering) + PixelsOf(2, failing), 0);

        const QStringList first = ToolTipOf(0).split('\n');
        QCOMPARE(first.value(0), QStringLiteral("Answering"));
        QVERIFY2(first.value(1).startsWith(QStringLiteral("Last success: ")) && first.value(1).size() > 20,
                 qPrintable(first.value(1)));
        QCOMPARE(first.value(2), QStringLiteral("Last failure: none this run"));
        const QStringList second = ToolTipOf(1).split('\n');
        QCOMPARE(second.value(0), QStringLiteral("Failing"));
        QCOMPARE(second.value(1), QStringLiteral("Last success: none this run"));
        QVERIFY2(second.value(2).endsWith(QStringLiteral(": Connection Failed")), qPrintable(second.value(2)));
        QVERIFY(ToolTipOf(3).startsWith(QStringLiteral("Not collected from since the program started")));
    }
};

QTEST_MAIN(CollectionHealthTest)
#include "test_collection_health.moc"
