// The credentials file as an administrator writes it by hand and as the
// program rewrites it: what each computer logs on with, and the lines kept.
#include "collect/credentials_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using perf_data::Account;

namespace
{

const QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

QString Shown(const std::optional<Account> &account)
{
    return account ? QString::fromStdString(account->user + "|" + account->password) : QStringLiteral("none");
}

QString Text(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class CredentialsFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tarvenix/credentials"));

private slots:
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
        QCOMPARE(Shown(account), expected);
    }

    // The program's changes leave the administrator's other lines alone, and
    // the file is its owner's alone from its first byte.
    void keepingRewritesOnlyItsLinesForTheOwnerAlone()
    {
        QCOMPARE(credentials_file::Keep(path, QStringLiteral("web01"), Account{"Administrator", "one"}), QString());
        QCOMPARE(QFile::permissions(path), kOwnerOnly);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("# kept by hand\n[db02]\nusername = sa\n# db02 note\n\n[web01]\npassword = old\n");
        file.close();
        QCOMPARE(credentials_file::Keep(path, QString(), Account{"CORP\\admin", "all pw"}), QString());
        QCOMPARE(credentials_file::Keep(path, QStringLiteral("WEB01"), Account{"ops@CORP.EXAMPLE", "two"}), QString());
        QCOMPARE(credentials_file::Keep(path, QStringLiteral("lab"), Account{"Administrator", "three"}), QString());
        QCOMPARE(credentials_file::Keep(path, QStringLiteral("db02"), std::nullopt), QString());
        QCOMPARE(Text(path), QStringLiteral("# kept by hand\nusername = admin\npassword = all pw\ndomain = CORP\n\n"
                                            "[db02]\n# db02 note\n\n[web01]\nusername = ops@CORP.EXAMPLE\n"
                                            "password = two\ndomain =\n\n[lab]\nusername = Administrator\n"
                                            "password = three\ndomain =\n"));
        QCOMPARE(QFile::permissions(path), kOwnerOnly);
        const credentials_file::Reading reading = credentials_file::Read(path);
        QCOMPARE(Shown(reading.accounts.computers.value(QStringLiteral("db02"))), QStringLiteral("CORP\\admin|all pw"));
        // What the format cannot hold is refused, and so is a file others
        // can read, by name; either way the file stays as it was.
        const QString before = Text(path);
        QVERIFY(!credentials_file::Keep(path, QString(), Account{"admin", " leading blank"}).isEmpty());
        QVERIFY(QFile::setPermissions(path, kOwnerOnly | QFile::ReadGroup));
        QVERIFY(credentials_file::Keep(path, QStringLiteral("web01"), Account{"a", "b"}).startsWith(path));
        QCOMPARE(Text(path), before);
    }
};

QTEST_GUILESS_MAIN(CredentialsFile)
#include "test_credentials_file.moc"
