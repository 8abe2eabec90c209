// The "Windows logon" dialog with a Secret Service that answers: the password
// kept in the store and only the user name in the settings, read back from
// the store at the next start, and removed from both.
#include "logon_steps.h"
#include "secret_service.h"

#include <QFile>
#include <QtTest>

using namespace LogonSteps;

class WindowsLogonStore : public QObject {
    Q_OBJECT
    SecretService service;

    static QString Settings(const AppFixture &app)
    {
        QFile file(app.settings.File());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        if (const QString why = service.Start(); !why.isEmpty())
            QSKIP(qPrintable(QStringLiteral("No Secret Service can be started here (%1); the dialog with a secret "
                                            "store was not tested").arg(why)));
    }

    void thePasswordGoesToTheStoreAndComesBackAtTheNextStart()
    {
        AppFixture app;
        app.store.Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"));
        app.Start();
        TfrmMain *window = app.window.get();
        QVERIFY(UserInput::ShowActive(window));
        WindowsLogonDialog *dialog = OpenDialog(window, window->miWindowsLogonSelected, 0);
        QVERIFY(dialog);
        Type(dialog, QStringLiteral("ops@CORP.EXAMPLE"), QStringLiteral("stored pw"));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        QVERIFY(Closed(window));
        QCOMPARE(LogsOnWith(app, QStringLiteral("alpha")), QStringLiteral("ops@CORP.EXAMPLE|stored pw"));
        QCOMPARE(LogsOnWith(app, QStringLiteral("beta")), QStringLiteral("|"));
        QVERIFY(Settings(app).contains(QStringLiteral("ops@CORP.EXAMPLE")));
        QVERIFY(!Settings(app).contains(QStringLiteral("stored pw")));
        QVERIFY(!QFile::exists(QFileInfo(app.settings.File()).dir().filePath(QStringLiteral("credentials"))));

        Restart(app);
        window = app.window.get();
        QVERIFY(UserInput::ShowActive(window));
        QTRY_COMPARE(LogsOnWith(app, QStringLiteral("ALPHA")), QStringLiteral("ops@CORP.EXAMPLE|stored pw"));
        dialog = OpenDialog(window, window->miWindowsLogonSelected, 0);
        QVERIFY(dialog);
        QCOMPARE(dialog->lbStatus->text(), QStringLiteral("Kept in the desktop's secret store."));
        QTest::mouseClick(dialog->btnRemove, Qt::LeftButton);
        QVERIFY(Closed(window));

        Restart(app);
        QVERIFY(UserInput::ShowActive(app.window.get()));
        dialog = OpenDialog(app.window.get(), app.window->miWindowsLogonSelected, 0);
        QVERIFY(dialog);
        QCOMPARE(dialog->edUser->text(), QString());
        QCOMPARE(LogsOnWith(app, QStringLiteral("alpha")), QStringLiteral("|"));
    }
};

QTEST_MAIN(WindowsLogonStore)
#include "test_windows_logon_store.moc"
