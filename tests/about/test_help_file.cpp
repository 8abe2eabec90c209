// The built help file: it holds every page of the guide as written, and the
// guide's contents and links lead only to pages it holds.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// The targets of href="..." and of the contents' Local entries, without anchors.
QStringList Links(const QString &text)
{
    static const QRegularExpression link(
        QStringLiteral("(?:href|name=\"Local\" value)=\"([^\"#:]+)[^\"]*\""));
    QStringList targets;
    for (const auto &match : link.globalMatch(text))
        targets << match.captured(1);
    return targets;
}

} // namespace

class HelpFile : public QObject
{
    Q_OBJECT
    const QString guideDir = QStringLiteral(TARVENIX_GUIDE_DIR);
    QStringList projectFiles; // the [FILES] section of the project

    static QString Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static QString Chmls(const QStringList &arguments)
    {
        QProcess chmls;
        chmls.start(QStringLiteral(TARVENIX_CHMLS), arguments);
        if (!chmls.waitForFinished(10000) || chmls.exitCode() != 0) return QString();
        return QString::fromUtf8(chmls.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        const QString project = Read(guideDir + QStringLiteral("/tarvenix.hhp"));
        const qsizetype files = project.indexOf(QStringLiteral("[FILES]"));
        QVERIFY(files >= 0);
        for (const QString &line : project.mid(files).split(QLatin1Char('\n')).mid(1)) {
            if (line.startsWith(QLatin1Char('['))) break;
            if (!line.trimmed().isEmpty()) projectFiles << line.trimmed();
        }
        QVERIFY(projectFiles.contains(QStringLiteral("index.html")));
    }

    void holdsEveryPageAsWritten()
    {
        QVERIFY(QFile::exists(QStringLiteral(TARVENIX_HELP_FILE)));
        const QStringList listed = Chmls({QStringLiteral("-n"), QStringLiteral("list"),
                                          QStringLiteral(TARVENIX_HELP_FILE)})
                                       .split(QLatin1Char('\n'));
        QTemporaryDir out;
        Chmls({QStringLiteral("extractall"), QStringLiteral(TARVENIX_HELP_FILE), out.path()});
        for (const QString &name : projectFiles) {
            QVERIFY2(listed.contains(QLatin1Char('/') + name), qPrintable(name));
            QCOMPARE(Read(out.filePath(name)), Read(guideDir + QLatin1Char('/') + name));
        }
    }

    void everyPageIsInTheProject()
    {
        const QStringList pages = QDir(guideDir).entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 10);
        for (const QString &page : pages)
            QVERIFY2(projectFiles.contains(page), qPrintable(page));
    }

    void contentsAndLinksLeadToPagesOfTheFile()
    {
        QStringList sources = QDir(guideDir).entryList({QStringLiteral("*.html")}, QDir::Files);
        sources << QStringLiteral("toc.hhc");
        for (const QString &source : sources) {
            const QStringList targets = Links(Read(guideDir + QLatin1Char('/') + source));
            for (const QString &target : targets)
                QVERIFY2(projectFiles.contains(target),
                         qPrintable(source + QStringLiteral(" -> ") + target));
        }
        QCOMPARE(Links(Read(guideDir + QStringLiteral("/toc.hhc"))).size(),
                 QDir(guideDir).entryList({QStringLiteral("*.html")}, QDir::Files).size());
    }
};

QTEST_MAIN(HelpFile)
#include "test_help_file.moc"
