// Opening the store: the file named by the connection string, never created.
#include "ordinary_user.h"
#include "store_fixture.h"

#include "store/store_files.h"

#include <QFile>
#include <QtTest>

class ConnectionTest : public QObject {
    Q_OBJECT

    static QString OpenError(Connection &connection)
    {
        try {
            connection.Open();
        } catch (const EDatabaseError &e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void fileComesFromTheDbqAttribute()
    {
        Connection connection;
        QCOMPARE(connection.DatabaseFile(), QStringLiteral("Tarvenix.mdb"));
        QVERIFY(connection.ConnectionString().startsWith(
            QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DSN=MS Access 97 Database;")));
        QVERIFY(connection.ConnectionString().endsWith(QStringLiteral("UID=admin;\"")));
    }

    void missingFileIsNamedAndNotCreated()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Connection connection;
        const QString error = OpenError(connection);
        QDir::setCurrent(previous);
        QVERIFY2(error.contains(dir.filePath(QStringLiteral("Tarvenix.mdb"))), qPrintable(error));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Tarvenix.mdb"))));
        QVERIFY(!connection.Connected());
    }

    void fileThatIsNotAStoreIsRefused()
    {
        StoreFixture fixture;
        fixture.Sql(QStringLiteral("drop table t__ptype"));
        Connection connection;
        QString error = OpenError(connection);
        QVERIFY2(error.contains(QStringLiteral("not a Tarvenix store")) && error.contains(QStringLiteral("t__ptype")),
                 qPrintable(error));
        QFile file(fixture.Path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
        file.close();
        error = OpenError(connection);
        QVERIFY2(error.contains(QStringLiteral("not a Tarvenix store")), qPrintable(error));
    }

    void othersMayUseTheFileMeanwhile()
    {
        StoreFixture fixture;
        TMonitoringStore store;
        store.adocMain.Open();
        store.adotComputers.Open();
        fixture.Sql(QStringLiteral("insert into t__computers (NAME) values ('other')"));
        store.adotComputers.Append();
        store.adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("mine"));
        store.adotComputers.Post();
        QCOMPARE(fixture.Scalar(QStringLiteral("select count(*) from t__computers")), 2);
        Query mode(store.adocMain);
        mode.SetSQL({QStringLiteral("pragma journal_mode")});
        mode.Open();
        QCOMPARE(mode.ValueAt(0, 0).toString(), QStringLiteral("wal"));
    }

    // Opened while read-only, the store leaves read-only side files behind;
    // once the store is writable again, so is the next run.
    void storeMadeWritableAgainTakesWritesAgain()
    {
        StoreFixture fixture;
        OrdinaryUser user(QFileInfo(fixture.Path()).path());
        QVERIFY(user.Ok());
        QVERIFY(QFile::setPermissions(fixture.Path(), QFile::ReadOwner));
        {
            TMonitoringStore store;
            store.adocMain.Open();
            store.adotComputers.Open();
            store.adotComputers.Append();
            store.adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("refused"));
            try {
                store.adotComputers.Post();
                QFAIL("a read-only store took a write");
            } catch (const EDatabaseError &e) {
                QVERIFY2(e.message().endsWith(fixture.Path() + QStringLiteral(" cannot be written")), qPrintable(e.message()));
            }
            store.adotComputers.Cancel();
        }
        QVERIFY(!QFileInfo(fixture.Path() + QStringLiteral("-shm")).isWritable());
        QVERIFY(QFile::setPermissions(fixture.Path(), QFile::ReadOwner | QFile::WriteOwner));
        TMonitoringStore store;
        store.adocMain.Open();
        store.adotComputers.Open();
        store.adotComputers.Append();
        store.adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("taken"));
        store.adotComputers.Post();
        QCOMPARE(fixture.Scalar(QStringLiteral("select count(*) from t__computers")), 1);
    }

    void sideFileThatStaysReadOnlyIsNamed()
    {
        StoreFixture fixture;
        fixture.Sql(QStringLiteral("select 1")); // nothing open: no side files yet
        TMonitoringStore store;
        store.adocMain.Open();
        store.adotComputers.Open();
        OrdinaryUser user(QFileInfo(fixture.Path()).path());
        QVERIFY(user.Ok());
        QVERIFY(QFile::setPermissions(fixture.Path() + QStringLiteral("-wal"), QFile::ReadOwner));
        QCOMPARE(UnwritableStoreFile(fixture.Path()), fixture.Path() + QStringLiteral("-wal"));
        QVERIFY(QFile::setPermissions(fixture.Path() + QStringLiteral("-wal"), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(UnwritableStoreFile(fixture.Path()), QString());
    }

    void transactionsStandOrFallWhole()
    {
        StoreFixture fixture;
        TMonitoringStore store;
        store.adocMain.Open();
        store.adocMain.BeginTrans();
        store.adocMain.Execute(QStringLiteral("insert into t__computers (NAME) values ('x')"));
        store.adocMain.RollbackTrans();
        QVERIFY(!store.adocMain.InTransaction());
        QCOMPARE(fixture.Scalar(QStringLiteral("select count(*) from t__computers")), 0);
    }
};

QTEST_GUILESS_MAIN(ConnectionTest)
#include "test_connection.moc"
