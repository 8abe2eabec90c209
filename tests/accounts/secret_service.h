#pragma once
// A Secret Service of the test's own: a session bus with no services to
// start by itself, and gnome-keyring's Secret Service on it with a fresh
// keyring, unlocked. This process is pointed at the bus before anything asks
// the store. Both processes end by PID with the object.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class SecretService {
public:
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
        for (const char *program : {"dbus-daemon", "gnome-keyring-daemon"})
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                return QStringLiteral("%1 is not installed").arg(QLatin1String(program));
        const QString address = StartBus();
        if (address.isEmpty())
            return QStringLiteral("dbus-daemon did not start: ") + QString::fromLocal8Bit(bus_.readAllStandardError());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
        for (const char *desktop : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(desktop); // the Secret Service, not KWallet
        QDir(dir_.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(dir_.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
        keyring_.setProcessEnvironment(environment);
        keyring_.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        keyring_.write("keyring password"); // a fresh login keyring, unlocked with it
        keyring_.closeWriteChannel();
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("secret-service-probe"));
        const bool answers = QTest::qWaitFor(
            [&] { return bus.interface() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")); },
            10000);
        QDBusConnection::disconnectFromBus(QStringLiteral("secret-service-probe"));
        return answers ? QString() : QStringLiteral("gnome-keyring-daemon did not answer: ") +
                                         QString::fromLocal8Bit(keyring_.readAllStandardError());
    }

private:
    QString StartBus()
    {
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                       .arg(dir_.filePath(QStringLiteral("bus")))
                       .toUtf8());
        file.close();
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus_.waitForReadyRead(5000))
            return {};
        return QString::fromLocal8Bit(bus_.readLine()).trimmed();
    }

    QTemporaryDir dir_;
    QProcess bus_;
    QProcess keyring_;
};
