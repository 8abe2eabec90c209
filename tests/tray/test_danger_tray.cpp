// The danger status outside the window. Offscreen there is no system tray:
// the program makes no icon and works as before. Where an icon exists, its
// colour and tooltip follow the status, and each rise is noticed with the
// process and the computer.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "../perfd/perfd_runner.h"
#include "../perfd/proc_fixture.h"
#include "ui/action_button.h"
#include "ui/color_label.h"
#include "ui/danger_tray.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr const char *kComputer = "127.0.0.85";
} // namespace

class DangerTrayTest : public QObject {
    Q_OBJECT
    QTemporaryDir proc;
    std::unique_ptr<PerfdRunner> service;
    std::unique_ptr<AppFixture> app;

    void Lookup()
    {
        app->module->adotComputers.SetRecNo(1);
        app->module->actlComputers.actLookupSelected->trigger();
    }
    void SetType(const char *name, int type)
    {
        app->store.Sql(QStringLiteral("update t__process set TYPE_ID = %1 where NAME = '%2'").arg(type).arg(QLatin1String(name)));
        app->module->adotProcess.Close();
        app->module->adotProcess.Open();
    }
    QColor IconColour() const
    {
        const QImage image = app->module->tray->Icon().icon().pixmap(32, 32).toImage();
        return image.pixelColor(16, 16);
    }
    QString ToolTip() const { return app->module->tray->Icon().toolTip(); }

private slots:
    void initTestCase()
    {
        WriteFixtureProcess(proc.path(), {1, "init", 0, 20, 1, "9000"});
        WriteFixtureProcess(proc.path(), {300, "miner", 1, 20, 2, "5000"});
        service = std::make_unique<PerfdRunner>(QStringList{"--listen", kComputer, "--proc", proc.path()});
        QVERIFY(service->Listening());
    }
    void init()
    {
        app = std::make_unique<AppFixture>();
        app->store.Sql(QStringLiteral("insert into t__computers (NAME) values ('%1')").arg(kComputer));
        app->Start();
        app->window->edTimeOut->setText(QStringLiteral("2"));
    }
    void cleanup() { app.reset(); }

    void withoutATrayNothingChanges()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!app->module->tray);
        Lookup();
        QCOMPARE(app->window->lbDangerStatus->text(), QStringLiteral("Yellow : init"));
        QVERIFY(UserInput::ShowActive(app->window.get()));
        QTest::mouseClick(app->window->btnResetStatus, Qt::LeftButton);
        QCOMPARE(app->window->lbDangerStatus->text(), QStringLiteral("Green"));
        QVERIFY(app->errors.isEmpty());
    }

    void iconFollowsTheStatusAndNoticesEachRise()
    {
        app->module->tray = std::make_unique<DangerTray>(*app->window);
        QSignalSpy notices(app->module->tray.get(), &DangerTray::Noticed);
        Lookup();
        QCOMPARE(IconColour(), QColor(255, 255, 0));
        QCOMPARE(ToolTip(), QStringLiteral("Yellow : init"));
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices[0][1].toString(), QStringLiteral("Unknown process \"init\" on 127.0.0.85"));

        Lookup(); // still yellow: no new notice
        QCOMPARE(notices.size(), 1);

        SetType("miner", 4);
        Lookup();
        QCOMPARE(IconColour(), QColor(255, 0, 0));
        QCOMPARE(ToolTip(), QStringLiteral("R E D : miner"));
        QCOMPARE(notices.size(), 2);
        QCOMPARE(notices[1][0].toString(), QStringLiteral("Danger status red"));
        QCOMPARE(notices[1][1].toString(), QStringLiteral("Dangerous process \"miner\" on 127.0.0.85"));

        QVERIFY(UserInput::ShowActive(app->window.get()));
        QTest::mouseClick(app->window->btnResetStatus, Qt::LeftButton);
        QCOMPARE(IconColour(), QColor(0, 255, 0));
        QCOMPARE(ToolTip(), QStringLiteral("Green"));
        QCOMPARE(notices.size(), 2); // going down is no news
        QVERIFY(app->errors.isEmpty());
    }
};

QTEST_MAIN(DangerTrayTest)
#include "test_danger_tray.moc"
