// The settings file: one value changed leaves every other byte of the file
// as it was, values come back exactly as typed, and a file that cannot be
// read or written is told while the window is still shown.
#include "../store/ordinary_user.h"
#include "app_fixture.h"
#include "platform/ini_text.h"

#include <QFile>
#include <QLineEdit>
#include <QtTest>

namespace {

QString Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<unreadable>");
}

void Write(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

class Settings : public QObject {
    Q_OBJECT
    const QString section = QStringLiteral("Brenmoor Tarvenix");

private slots:
    void changingOneValueKeepsEverythingElse()
    {
        const QString text = QStringLiteral("; kept by hand\r\n[Other]\r\nTimer=99\r\n\r\n[Brenmoor%20Tarvenix]\r\n"
                                            "Timer=5\r\nColour=blue\r\n\r\n[Last]\r\nx=1");
        QCOMPARE(ini_text::Value(text, section, QStringLiteral("Timer")), QStringLiteral("5"));
        QCOMPARE(ini_text::Value(text, section, QStringLiteral("Timeout")), std::nullopt);
        QString changed = ini_text::WithValue(text, section, QStringLiteral("Timer"), QStringLiteral("7"));
        QCOMPARE(changed, QString(text).replace(QStringLiteral("Timer=5"), QStringLiteral("Timer=7")));
        changed = ini_text::WithValue(changed, section, QStringLiteral("Timeout"), QStringLiteral("3"));
        QCOMPARE(changed, QString(text)
                              .replace(QStringLiteral("Timer=5"), QStringLiteral("Timer=7"))
                              .replace(QStringLiteral("Colour=blue\r\n"), QStringLiteral("Colour=blue\r\nTimeout=3\r\n")));
        QCOMPARE(ini_text::WithValue(QString(), section, QStringLiteral("Timer"), QStringLiteral("10")),
                 QStringLiteral("[Brenmoor Tarvenix]\nTimer=10\n"));
        QCOMPARE(ini_text::WithValue(QStringLiteral("[A]\na=1"), section, QStringLiteral("Timer"), QStringLiteral("10")),
                 QStringLiteral("[A]\na=1\n\n[Brenmoor Tarvenix]\nTimer=10\n"));
    }

    void valuesComeBackExactlyAsTyped_data()
    {
        QTest::addColumn<QString>("value");
        for (const char *value : {"10", "soon", " 5", "5 ", "a\"b", "back\\slash", "x;y", "", "=="})
            QTest::newRow(value) << QString::fromUtf8(value);
    }
    void valuesComeBackExactlyAsTyped()
    {
        QFETCH(QString, value);
        const QString text = ini_text::WithValue(QStringLiteral("[Brenmoor Tarvenix]\nTimer=1\n"), section,
                                                 QStringLiteral("Timer"), value);
        QCOMPARE(ini_text::Value(text, section, QStringLiteral("Timer")), value);
        QCOMPARE(text.count(QLatin1Char('\n')), 2);
    }

    void savingAtExitKeepsWhateverElseTheFileHolds()
    {
        AppFixture app;
        const QString before = QStringLiteral("# mine\n[Brenmoor Tarvenix]\nTimeout=4\nTimer=5\nNote=keep\n");
        Write(app.settings.File(), before);
        app.Start();
        QCOMPARE(app.window->edTimer->text(), QStringLiteral("5"));
        app.window->edTimer->setText(QStringLiteral("12"));
        app.window->show();
        app.window->close();
        QCOMPARE(Read(app.settings.File()), QString(before).replace(QStringLiteral("Timer=5"), QStringLiteral("Timer=12")));
        app.module.reset(); // the program ends: nothing is written a second time
        QCOMPARE(Read(app.settings.File()), QString(before).replace(QStringLiteral("Timer=5"), QStringLiteral("Timer=12")));
        QVERIFY(app.errors.isEmpty());
    }

    void fileThatCannotBeWrittenIsToldWhileTheWindowShows()
    {
        AppFixture app;
        Write(app.settings.File(), QStringLiteral("[Brenmoor Tarvenix]\nTimer=10\n"));
        app.Start();
        app.window->show();
        QList<bool> shownWhenTold;
        const ErrorSink previous = SetErrorSink([&](const QString &text) {
            app.errors << text;
            shownWhenTold << app.window->isVisible();
        });
        {
            const QString folder = QFileInfo(app.settings.File()).path();
            OrdinaryUser user(QFileInfo(folder).path());
            QVERIFY(user.Ok());
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner)); // nothing new can go in
            app.window->close();
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        app.module.reset();
        SetErrorSink(previous);
        QCOMPARE(shownWhenTold, QList<bool>({true}));
        QVERIFY2(app.errors[0].startsWith(QStringLiteral("Cannot write the settings file ") + app.settings.File()),
                 qPrintable(app.errors[0]));
        QCOMPARE(Read(app.settings.File()), QStringLiteral("[Brenmoor Tarvenix]\nTimer=10\n"));
    }

    void unreadableFileIsToldAndNeverOverwritten()
    {
        AppFixture app;
        QVERIFY(QDir().mkpath(app.settings.File()));
        app.Start();
        QCOMPARE(app.errors.size(), 1);
        QVERIFY2(app.errors[0].startsWith(QStringLiteral("Cannot read the settings file ")), qPrintable(app.errors[0]));
        app.window->show();
        app.window->close();
        app.module.reset();
        QCOMPARE(app.errors.size(), 1);
        QVERIFY(QFileInfo(app.settings.File()).isDir());
    }
};

QTEST_MAIN(Settings)
#include "test_settings.moc"
