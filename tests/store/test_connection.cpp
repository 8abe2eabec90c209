// Opening the store: the file named by the connection string, never created.
#include "store_fixture.h"

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
