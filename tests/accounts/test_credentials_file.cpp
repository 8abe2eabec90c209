// The credentials file as an administrator writes it by hand and as the
// program rewrites it: what each computer logs on with, the lines kept, and
// a file others can read refused by name.
#include "collect/credentials_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using perf_data::Account;

namespace
{

QString UserOf(const std::optional<Account> &account)
{
    return account ? QString::fromStdString(account->user + "|" + account->password) : QStringLiteral("none");
}

int ModeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777) : -1;
}

QString Text(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void Write(const QString &path, const QByteArray &text, int mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

} // namespace

class CredentialsFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString Path() const { return dir.filePath(QStringLiteral("Tarvenix/credentials")); }

private slots:
    void init() { QDir(dir.path()).removeRecursively(); }

    // A section takes the lines it lacks from the ones before it; the file is
    // read as Samba reads it (keys in any case, blanks after "=" dropped).
    void sectionsOverrideLineByLine_data()
    {
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << QString() << QStringLiteral("CORP\\admin|top secret ");
        QTest::newRow("own password") << QStringLiteral("web01") << QStringLiteral("CORP\\admin|web pw");
        QTest::newRow("own user, domain dropped") << QStringLiteral("lab") << QStringLiteral("Administrator|lab pw");
        QTest::newRow("domain in the user") << QStringLiteral("db02") << QStringLiteral("DB\\sa|top secret ");
        QTest::newRow("principal") << QStringLiteral("kdc") << QStringLiteral("ops@CORP.EXAMPLE|top secret ");
        QTest::newRow("no section") << QStringLiteral("other") << QStringLiteral("none");
    }
    void sectionsOverrideLineByLine()
    {
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        const auto accounts = credentials_file::Parse(QStringLiteral(
            "# username = commented\r\nUserName = admin\r\npassword =\t top secret \r\n Domain=CORP\r\n"
            "[web01]\npassword = web pw\n[ lab ]\nusername = Administrator\npassword = lab pw\ndomain =\n"
            "[db02]\nusername = DB\\sa\n[kdc]\nusername = ops@CORP.EXAMPLE\n"));
        std::optional<Account> account = accounts.all;
        if (!computer.isEmpty())
            account = accounts.computers.contains(computer) ? std::optional(accounts.computers[computer]) : std::nullopt;
        QCOMPARE(UserOf(account), expected);
    }

    // The program's changes leave the administrator's other lines alone, and
    // the file is its owner's alone from its first byte.
    void keepingRewritesOnlyItsLinesForTheOwnerAlone()
    {
        QCOMPARE(credentials_file::Keep(Path(), QStringLiteral("web01"), Account{"Administrator", "one"}), QString());
        QCOMPARE(ModeOf(Path()), 0600);
        Write(Path(), "# kept by hand\n[db02]\nusername = sa\n# db02 note\n\n[web01]\npassword = old\n", 0600);
        QCOMPARE(credentials_file::Keep(Path(), QString(), Account{"CORP\\admin", "all pw"}), QString());
        QCOMPARE(credentials_file::Keep(Path(), QStringLiteral("WEB01"), Account{"ops@CORP.EXAMPLE", "two"}), QString());
        QCOMPARE(credentials_file::Keep(Path(), QStringLiteral("lab"), Account{"Administrator", "three"}), QString());
        QCOMPARE(credentials_file::Keep(Path(), QStringLiteral("db02"), std::nullopt), QString());
        QCOMPARE(Text(Path()), QStringLiteral("# kept by hand\nusername = admin\npassword = all pw\ndomain = CORP\n\n"
                                              "[db02]\n# db02 note\n\n[web01]\nusername = ops@CORP.EXAMPLE\n"
                                              "password = two\ndomain =\n\n[lab]\nusername = Administrator\n"
                                              "password = three\ndomain =\n"));
        QCOMPARE(ModeOf(Path()), 0600);
        const credentials_file::Reading reading = credentials_file::Read(Path());
        QCOMPARE(reading.error, QString());
        QCOMPARE(UserOf(reading.accounts.computers.value(QStringLiteral("lab"))), QStringLiteral("Administrator|three"));
        QCOMPARE(UserOf(reading.accounts.computers.value(QStringLiteral("db02"))), QStringLiteral("CORP\\admin|all pw"));
        // What the format cannot hold is refused, and the file stays as it was.
        const QString before = Text(Path());
        QVERIFY(!credentials_file::Keep(Path(), QString(), Account{"admin", " leading blank"}).isEmpty());
        QCOMPARE(Text(Path()), before);
    }

    void fileOthersCanReadIsRefusedByName_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("group") << 0640;
        QTest::newRow("others") << 0604;
    }
    void fileOthersCanReadIsRefusedByName()
    {
        QFETCH(int, mode);
        QVERIFY(QDir().mkpath(QFileInfo(Path()).absolutePath()));
        Write(Path(), "username = admin\npassword = secret\n", mode);
        const credentials_file::Reading reading = credentials_file::Read(Path());
        QVERIFY2(reading.error.contains(Path()) && reading.error.contains(QStringLiteral("other users")),
                 qPrintable(reading.error));
        QVERIFY(!reading.error.contains(QStringLiteral("secret")));
        QVERIFY(!reading.accounts.all);
        QVERIFY(credentials_file::Keep(Path(), QStringLiteral("web01"), Account{"a", "b"}).contains(Path()));
        QCOMPARE(ModeOf(Path()), mode);
    }
};

QTEST_GUILESS_MAIN(CredentialsFile)
#include "test_credentials_file.moc"
