#pragma once
// A Secret Service of the test's own: a session bus that starts no services
// by itself, and gnome-keyring's Secret Service on it with a fresh keyring,
// unlocked. This process is pointed at the bus before anything asks the
// store. Both processes end by PID with the object.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/prctl.h>

class SecretService {
public:
    SecretService()
    {
        // A test that crashes takes them along.
        for (QProcess *process : {&keyring_, &bus_})
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    ~SecretService()
    {
        for (QProcess *process : {&keyring_, &bus_}) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(3000);
        }
    }

    // Empty when the service answers, else why it could not be started.
    QString Start()
    {
        QFile config(dir_.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return config.errorString();
        config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1/bus</listen>"
                                    "<auth>EXTERNAL</auth><policy context=\"default\">"
                                    "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>")
                         .arg(dir_.path())
                         .toUtf8());
        config.close();
        bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                   QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus_.waitForReadyRead(5000))
            return QStringLiteral("dbus-daemon did not start: ") + bus_.errorString();
        const QString address = QString::fromLocal8Bit(bus_.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
        for (const char *desktop : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(desktop); // the Secret Service, not KWallet

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir_.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        keyring_.setProcessEnvironment(environment);
        keyring_.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        keyring_.write("keyring password"); // makes a fresh login keyring, unlocked
        keyring_.closeWriteChannel();
        bool answers = false;
        {
            const QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("probe"));
            answers = QTest::qWaitFor([&] {
                return bus.interface() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"));
            }, 10000);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("probe"));
        return answers ? QString() : QStringLiteral("gnome-keyring-daemon did not answer: ") + keyring_.errorString();
    }

private:
    QTemporaryDir dir_;
    QProcess bus_;
    QProcess keyring_;
};
