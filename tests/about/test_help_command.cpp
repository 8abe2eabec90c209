// "Help Index": the file handed over, its owner, and a missing file that
// opens nothing and shows nothing. The real opener runs against a fake
// desktop handler: a URL handler for local files that only writes down what
// it was given.
#include "core/error_box.h"
#include "ui/help_command.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class FakeDesktop : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class HelpCommand : public QObject
{
    Q_OBJECT
    QTemporaryDir scratch;
    FakeDesktop desktop;
    QStringList errors;
    QString startDir;

    QString MakeDir(const QString &name, bool withHelpFile)
    {
        const QString dir = scratch.filePath(name);
        QDir().mkpath(dir);
        if (withHelpFile) {
            QFile file(dir + QStringLiteral("/Tarvenix.chm"));
            file.open(QIODevice::WriteOnly);
        }
        return dir;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        SetErrorSink([this](const QString &text) { errors << text; });
        startDir = QDir::currentPath();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void cleanup()
    {
        SetHelpOpener(nullptr);
        QDir::setCurrent(startDir);
        desktop.opened.clear();
        errors.clear();
    }

    void handsTheBareFileNameWithTheMainWindowAsOwner()
    {
        QWidget main;
        main.show();
        QList<std::pair<std::string, void *>> calls;
        SetHelpOpener([&calls](const std::string &file, void *owner) {
            calls.append({file, owner});
            return true;
        });

        OpenHelpFile(&main);

        QCOMPARE(calls.size(), 1);
        QCOMPARE(QString::fromStdString(calls[0].first), QStringLiteral("Tarvenix.chm"));
        QCOMPARE(calls[0].second, reinterpret_cast<void *>(main.winId()));
    }

    void realOpenerHandsTheWorkingDirectoryFileToTheDesktop()
    {
        const QString dir = MakeDir(QStringLiteral("with-help"), true);
        QVERIFY(QDir::setCurrent(dir));
        OpenHelpFile(nullptr);
        QCOMPARE(desktop.opened,
                 QList<QUrl>{QUrl::fromLocalFile(dir + QStringLiteral("/Tarvenix.chm"))});
        QVERIFY(errors.isEmpty());
    }

    void missingFileOpensNothing()
    {
        QVERIFY(QDir::setCurrent(MakeDir(QStringLiteral("no-help"), false)));
        OpenHelpFile(nullptr);
        QVERIFY(desktop.opened.isEmpty());
        QVERIFY(errors.isEmpty());
    }
};

QTEST_MAIN(HelpCommand)
#include "test_help_command.moc"
