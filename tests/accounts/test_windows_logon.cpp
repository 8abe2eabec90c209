// The "Windows logon" dialog where no secret store answers, as a user works
// it: the account offered to and kept in the credentials file, one computer's
// own account over the one for all, removed again, and a file others can read
// refused by name at start.
#include "logon_steps.h"
#include "collect/credentials_file.h"

#include <QFile>
#include <QtTest>

using namespace LogonSteps;

class WindowsLogon : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    QString CredentialsPath() const { return QFileInfo(app->settings.File()).dir().filePath(QStringLiteral("credentials")); }
    QString Read(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        // No session bus: no secret store can answer, whatever desktop runs the test.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        qunsetenv("DISPLAY");
    }
    void init()
    {
        app = new AppFixture;
        app->store.Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"));
        app->Start();
        QVERIFY(UserInput::ShowActive(app->window.get()));
    }
    void cleanup() { delete app; }

    void theFileIsOfferedAndAComputersOwnAccountOverridesTheDefault()
    {
        TfrmMain *window = app->window.get();
        WindowsLogonDialog *dialog = OpenDialog(window, window->miWindowsLogon);
        QVERIFY(dialog);
        Type(dialog, QStringLiteral("CORP\\a\\b"), QStringLiteral("x"));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        QCOMPARE(dialog->lbStatus->text(), QStringLiteral("Type the user as DOMAIN\\user, user@REALM or user."));
        Type(dialog, QStringLiteral("CORP\\admin"), QStringLiteral("first pw"));
        QTest::keyClick(dialog->edPassword, Qt::Key_Return);
        QTRY_VERIFY(dialog->btnKeepInFile->isVisible());
        QVERIFY2(dialog->lbStatus->text().startsWith(QStringLiteral("No secret store took the password")) &&
                     dialog->lbStatus->text().contains(CredentialsPath()),
                 qPrintable(dialog->lbStatus->text()));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("alpha")), QStringLiteral("|")); // nothing kept yet
        QTest::mouseClick(dialog->btnKeepInFile, Qt::LeftButton);
        QVERIFY(Closed(window));
        QCOMPARE(QFile::permissions(CredentialsPath()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        dialog = OpenDialog(window, window->miWindowsLogonSelected, 1);
        QVERIFY(dialog);
        Type(dialog, QStringLiteral("Administrator"), QStringLiteral("beta pw"));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        QTRY_VERIFY(dialog->btnKeepInFile->isVisible());
        QTest::mouseClick(dialog->btnKeepInFile, Qt::LeftButton);
        QVERIFY(Closed(window));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("BETA")), QStringLiteral("Administrator|beta pw"));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("alpha")), QStringLiteral("CORP\\admin|first pw"));
        QVERIFY(!Read(app->settings.File()).contains(QStringLiteral("pw")));

        // Read back at the next start; removing the computer's own account
        // leaves it the one for all computers.
        Restart(*app);
        window = app->window.get();
        QVERIFY(UserInput::ShowActive(window));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("beta")), QStringLiteral("Administrator|beta pw"));
        dialog = OpenDialog(window, window->miWindowsLogonSelected, 1);
        QVERIFY(dialog);
        QCOMPARE(dialog->edUser->text(), QStringLiteral("Administrator"));
        QTest::mouseClick(dialog->btnRemove, Qt::LeftButton);
        QVERIFY(Closed(window));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("beta")), QStringLiteral("CORP\\admin|first pw"));
        QCOMPARE(Read(CredentialsPath()), QStringLiteral("username = admin\npassword = first pw\ndomain = CORP\n"));
        QVERIFY(app->errors.isEmpty());
    }

    void aFileOthersCanReadIsRefusedByNameAtStart()
    {
        QCOMPARE(credentials_file::Keep(CredentialsPath(), QString(), perf_data::Account{"admin", "exposed"}), QString());
        QVERIFY(QFile::setPermissions(CredentialsPath(), QFile::permissions(CredentialsPath()) | QFile::ReadOther));
        Restart(*app);
        QCOMPARE(app->errors, QStringList(CredentialsPath() + QStringLiteral(" can be read by other users: it is not "
                                                                            "used until only you can read it (chmod 600 ") +
                                          CredentialsPath() + QStringLiteral(")")));
        QCOMPARE(LogsOnWith(*app, QStringLiteral("alpha")), QStringLiteral("|"));
    }
};

QTEST_MAIN(WindowsLogon)
#include "test_windows_logon.moc"
