// tarvenix-store as an administrator runs it: each command on small stores,
// its messages and exit statuses, a store locked by another connection, one
// with orphan rows, and prune and export while another program writes.
#include "../store/store_fixture.h"
#include "tests/store_tool/store_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

QDateTime At(const char *iso) { return QDateTime::fromString(QLatin1String(iso), Qt::ISODate); }

qint64 DaysAgo(int days) { return StoredDateTime(QDateTime::currentDateTime().addDays(-days)); }

} // namespace

class StoreToolTest : public QObject {
    Q_OBJECT
    std::unique_ptr<StoreFixture> store;

    ToolRun Tool(const QStringList &arguments, const QString &path = QString())
    {
        QProcess tool;
        QElapsedTimer clock;
        clock.start();
        tool.start(QStringLiteral(TARVENIX_STORE_TOOL),
                   QStringList{QStringLiteral("--store"), path.isEmpty() ? store->Path() : path} + arguments);
        if (!tool.waitForFinished(60000))
            qFatal("tarvenix-store did not finish");
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError()), clock.elapsed()};
    }
    qint64 Count(const QString &sql) const { return store->Scalar(sql); }
    // blocks snapshots of the computer from the stored time on, step seconds
    // apart, each with rows rows of the processes 1 to 3 in turn.
    void Fill(int computerId, int blocks, int rows, qint64 first, int step = 60) const
    {
        const qint64 before = Count(QStringLiteral("select coalesce(max(ID), 0) from t__blocks"));
        store->Sql(QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
                                  "insert into t__blocks (COMPUTER_ID, DATETIME) select %2, %3 + i * %4 from n")
                       .arg(blocks - 1)
                       .arg(computerId)
                       .arg(first)
                       .arg(step));
        store->Sql(QStringLiteral("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) "
                                  "select b.ID, 1 + r.j % 3, r.j, 0, 1000, 8, 1 from t__blocks b, "
                                  "(with recursive r(j) as (select 0 union all select j + 1 from r where j < %1) "
                                  "select j from r) r where b.ID > %2")
                       .arg(rows - 1)
                       .arg(before));
    }

private slots:
    void init()
    {
        store = std::make_unique<StoreFixture>();
        store->Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta'), ('lab \"7\", floor 2');"
                                  "insert into t__process (NAME, TYPE_ID) values ('init', 2), ('sshd', 2), ('bash', 3)"));
    }
    void cleanup() { store.reset(); }

    void statsOfAnEmptyAndAFilledStore()
    {
        ToolRun run = Tool({"stats"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains("Rows: 0\n") && run.out.contains("First snapshot: none\n") &&
                     run.out.contains("Bytes per row: -\n"),
                 qPrintable(run.out));
        Fill(1, 5, 4, StoredDateTime(At("2024-03-04T10:00:00")), 3600);
        Fill(2, 3, 2, StoredDateTime(At("2024-03-05T23:59:30")));
        run = Tool({"stats"});
        QCOMPARE(run.status, 0);
        for (const char *line : {"Rows: 26\n", "Snapshots: 8\n", "Computers: 3\n", "Process names: 3\n",
                                 "First snapshot: 2024-03-04T10:00:00\n", "Last snapshot: 2024-03-06T00:01:30\n"})
            QVERIFY2(run.out.contains(QLatin1String(line)), qPrintable(run.out));
        QVERIFY2(run.out.contains(QRegularExpression("Bytes per row: [1-9][0-9]*\\.[0-9]\n")), qPrintable(run.out));
    }

    void exportWritesEveryRowWithItsComputerTimeAndName()
    {
        Fill(1, 5, 4, StoredDateTime(At("2024-03-04T10:00:00")), 3600);
        Fill(2, 3, 2, StoredDateTime(At("2024-03-05T23:59:30")));
        Fill(3, 1, 1, StoredDateTime(At("2024-03-07T08:00:00")));
        ToolRun run = Tool({"export"});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + 27);
        QCOMPARE(lines[0], QStringLiteral("computer,datetime,process,pid,parentpid,memory,priority,threads"));
        QCOMPARE(lines[1], QStringLiteral("alpha,2024-03-04T10:00:00,init,0,0,1000,8,1"));
        QCOMPARE(lines[2], QStringLiteral("alpha,2024-03-04T10:00:00,sshd,1,0,1000,8,1"));
        QCOMPARE(lines.last(), QStringLiteral("\"lab \"\"7\"\", floor 2\",2024-03-07T08:00:00,init,0,0,1000,8,1"));
        QCOMPARE(run.err, QStringLiteral("Exported 27 rows.\n"));

        run = Tool({"export", "--format", "json", "--computer", "beta"});
        QCOMPARE(run.status, 0);
        QJsonParseError error;
        const QJsonArray rows = QJsonDocument::fromJson(run.out.toUtf8(), &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(rows.size(), 6);
        const QJsonObject first = rows[0].toObject();
        QCOMPARE(first["computer"].toString(), QStringLiteral("beta"));
        QCOMPARE(first["datetime"].toString(), QStringLiteral("2024-03-05T23:59:30"));
        QCOMPARE(first["process"].toString(), QStringLiteral("init"));
        QCOMPARE(first["memory"].toInteger(), 1000);
        QCOMPARE(rows[5].toObject()["pid"].toInteger(), 1);

        // A day alone is the whole day.
        QCOMPARE(Tool({"export", "--to", "2024-03-05"}).err, QStringLiteral("Exported 22 rows.\n"));
        QCOMPARE(Tool({"export", "--from", "2024-03-04 12:00", "--to", "2024-03-04T13:00:00"}).err,
                 QStringLiteral("Exported 8 rows.\n"));
        const ToolRun none = Tool({"export", "--format", "json", "--from", "2030-01-01"});
        QCOMPARE(QJsonDocument::fromJson(none.out.toUtf8()).array().size(), 0);
        QVERIFY(QJsonDocument::fromJson(none.out.toUtf8()).isArray());
    }

    void checkFindsOrphans()
    {
        Fill(1, 3, 4, DaysAgo(1));
        ToolRun run = Tool({"check"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("Integrity: ok\n") && run.out.endsWith("The store is sound.\n"), qPrintable(run.out));

        store->Sql(QStringLiteral(
            "insert into t__blocks (ID, COMPUTER_ID, DATETIME) values (100, 1, 0), (101, 42, 0);"
            "insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) values "
            "(555, 1, 1, 0, 1, 1, 1), (555, 1, 2, 0, 1, 1, 1), (1, 99, 3, 0, 1, 1, 1), (101, 2, 4, 0, 1, 1, 1)"));
        run = Tool({"check"});
        QCOMPARE(run.status, 1);
        for (const char *line : {"Snapshots without rows: 1\n", "Rows without a snapshot: 2\n",
                                 "Rows whose process name is not in the catalogue: 1\n",
                                 "Snapshots of computers no longer listed: 1\n", "The store has problems.\n"})
            QVERIFY2(run.out.contains(QLatin1String(line)), qPrintable(run.out));
        // The export leaves the rows without a snapshot out, and says what it lacks.
        run = Tool({"export", "--format", "json"});
        const QJsonArray rows = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(rows.size(), 12 + 1 + 1);
        QVERIFY(rows[4]["process"].isNull());
        QCOMPARE(rows.last()["computer"].toString(), QString());
    }

    void pruneDeletesOldSnapshotsWithTheirRowsOnly()
    {
        // Summaries kept by triggers must follow the deletions.
        store->Sql(QStringLiteral("create table summary (rows integer); insert into summary values (0);"
                                  "create trigger counted after insert on t__data begin update summary set rows = rows + 1; end;"
                                  "create trigger uncounted after delete on t__data begin update summary set rows = rows - 1; end;"));
        Fill(1, 3, 4, DaysAgo(10));
        Fill(1, 2, 4, DaysAgo(1));
        Fill(2, 2, 5, DaysAgo(10));
        ToolRun run = Tool({"prune", "--older-than", "5", "--computer", "alpha"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("Deleted 3 snapshots and 12 rows taken before "), qPrintable(run.out));
        QCOMPARE(Count("select count(*) from t__blocks where COMPUTER_ID = 1"), 2);
        QCOMPARE(Count("select count(*) from t__blocks where COMPUTER_ID = 2"), 2);
        QCOMPARE(Count("select count(*) from t__data"), 8 + 10);
        run = Tool({"prune", "--older-than", "5"});
        QVERIFY2(run.out.startsWith("Deleted 2 snapshots and 10 rows"), qPrintable(run.out));
        QCOMPARE(Count("select count(*) from t__data"), 8);
        QCOMPARE(Count("select rows from summary"), 8);
        QCOMPARE(Count("select count(*) from t__process"), 3);
        QCOMPARE(Count("select count(*) from t__computers"), 3);
        QCOMPARE(Tool({"check"}).status, 0);
        QVERIFY(Tool({"prune", "--older-than", "5"}).out.startsWith("Deleted 0 snapshots and 0 rows"));
    }

    void badArgumentsAndForeignFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file"); // in the store's folder; empty: the store
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QStringList{"stats"} << "nothing.mdb" << 3 << "There is no store at";
        QTest::newRow("text file") << QStringList{"check"} << "notes.txt" << 3
                                   << "is not a Tarvenix store: file is not a database";
        QTest::newRow("other database") << QStringList{"export"} << "other.db" << 3
                                        << "is not a Tarvenix store: table t__computers is missing";
        QTest::newRow("no command") << QStringList{} << "" << 2 << "No command given";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "" << 2 << "Unknown command 'frobnicate'";
        QTest::newRow("unknown option") << QStringList{"stats", "--bogus"} << "" << 2 << "Unknown option 'bogus'";
        QTest::newRow("prune without age") << QStringList{"prune"} << "" << 2 << "prune needs --older-than DAYS";
        QTest::newRow("negative age") << QStringList{"prune", "--older-than", "-1"} << "" << 2
                                      << "--older-than takes a whole number from 0";
        QTest::newRow("age in words") << QStringList{"prune", "--older-than", "week"} << "" << 2
                                      << "--older-than takes a whole number";
        QTest::newRow("format") << QStringList{"export", "--format", "xml"} << "" << 2
                                << "--format takes csv or json, not 'xml'";
        QTest::newRow("time") << QStringList{"export", "--from", "yesterday"} << "" << 2 << "'yesterday' is no time";
        QTest::newRow("span") << QStringList{"export", "--from", "2024-03-05", "--to", "2024-03-04"} << "" << 2
                              << "--from is later than --to";
        QTest::newRow("option of another command") << QStringList{"stats", "--format", "csv"} << "" << 2
                                                   << "stats takes no --format";
        QTest::newRow("unknown computer") << QStringList{"prune", "--older-than", "1", "--computer", "nobody"} << ""
                                          << 2 << "No computer named 'nobody'";
    }
    void badArgumentsAndForeignFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString folder = QFileInfo(store->Path()).absolutePath();
        QFile text(folder + "/notes.txt");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("computer list\nalpha\n");
        text.close();
        sqlite3 *other = nullptr;
        sqlite3_open((folder + "/other.db").toUtf8().constData(), &other);
        sqlite3_exec(other, "create table notes (text)", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        const qint64 before = QFileInfo(store->Path()).size();

        const ToolRun run = Tool(arguments, file.isEmpty() ? QString() : folder + "/" + file);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith("tarvenix-store: ") && run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(folder + "/nothing.mdb")); // never created
        QCOMPARE(QFileInfo(store->Path()).size(), before);
    }

    // A writer that holds the lock longer than --wait: prune gives up with
    // a message that says so; an exclusive holder keeps readers out too.
    void lockedStoreIsToldAfterTheWait()
    {
        Fill(1, 2, 2, DaysAgo(10));
        sqlite3 *holder = nullptr;
        sqlite3_open(store->Path().toUtf8().constData(), &holder);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE; insert into t__computers (NAME) values ('gamma')", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        ToolRun run = Tool({"--wait", "1", "prune", "--older-than", "1"});
        QCOMPARE(run.status, 3);
        QVERIFY2(run.err.contains("is locked by another program; gave up after waiting 1 s"), qPrintable(run.err));
        QVERIFY2(run.ms >= 900, qPrintable(QString::number(run.ms)));
        QCOMPARE(Tool({"stats"}).status, 0); // readers go on beside a writer
        sqlite3_exec(holder, "ROLLBACK; PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr,
                     nullptr);
        run = Tool({"--wait", "1", "export"});
        QCOMPARE(run.status, 3);
        QVERIFY2(run.err.contains("is locked by another program"), qPrintable(run.err));
        sqlite3_close(holder);
        QCOMPARE(Tool({"prune", "--older-than", "1"}).status, 0);
        QCOMPARE(Count("select count(*) from t__blocks"), 0);
    }

    // The program goes on storing blocks while old ones are pruned and while
    // the store is exported: it never fails, never waits long, and the
    // export holds whole blocks only.
    void pruneAndExportWhileAnotherProgramWrites()
    {
        Fill(1, 600, 50, DaysAgo(30), 10);
        {
            StoreWriter writer(store->Path(), 2, DaysAgo(0), 20);
            QTest::qWait(50);
            const ToolRun run = Tool({"prune", "--older-than", "7"});
            QCOMPARE(run.status, 0);
            QVERIFY2(run.out.startsWith("Deleted 600 snapshots and 30000 rows"), qPrintable(run.out));
            QTest::qWait(50);
            QVERIFY(writer.Blocks() > 0);
            QCOMPARE(writer.Failures(), 0);
            QVERIFY2(writer.LongestWaitMs() < 1000, qPrintable(QString::number(writer.LongestWaitMs())));
        }
        QCOMPARE(Count("select count(*) from t__blocks where COMPUTER_ID = 1"), 0);
        QCOMPARE(Count("select count(*) from t__data d, t__blocks b where d.BLOCK_ID = b.ID and b.COMPUTER_ID = 2"),
                 20 * Count("select count(*) from t__blocks where COMPUTER_ID = 2"));

        Fill(1, 300, 50, DaysAgo(30), 10);
        StoreWriter writer(store->Path(), 2, DaysAgo(0), 20);
        QTest::qWait(50);
        const ToolRun run = Tool({"export", "--computer", "beta"});
        QCOMPARE(run.status, 0);
        const qint64 rows = run.out.count(QStringLiteral("\r\n")) - 1;
        QVERIFY(rows > 0);
        QCOMPARE(rows % 20, 0);
        QCOMPARE(writer.Failures(), 0);
    }
};

QTEST_MAIN(StoreToolTest)
#include "test_store_tool.moc"
