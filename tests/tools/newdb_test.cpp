// The store creation tool: the schema it writes and the files it refuses.

#include "core/exception.h"
#include "store/summary_version.h"
#include "tests/tools/store_reader.h"
#include "tools/store_schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace
{

struct ToolRun {
    int exitCode;
    QString errors;
};

ToolRun RunTool(const QStringList &arguments, const QString &workingDirectory)
{
    QProcess tool;
    tool.setWorkingDirectory(workingDirectory);
    tool.start(QStringLiteral(TARVENIX_NEWDB), arguments);
    if (!tool.waitForFinished(10000)) qFatal("tarvenix-newdb did not finish");
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardError())};
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

class NewDbTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void tablesHaveTheirColumnsAndDeclaredTypes();
    void typesIndexesAndJournal();
    void namesSortRegardlessOfCase();
    void storeAndItsSideFilesAreForTheOwnerOnly();
    void computersAreAppendedInOrder();
    void defaultFileIsTarvenixMdbInTheWorkingDirectory();
    void existingFileIsRefusedAndLeftUnchanged_data();
    void existingFileIsRefusedAndLeftUnchanged();
    void failedCreationLeavesNothing();
    void keysAreNeverReused_data();
    void keysAreNeverReused();
    void longTextsAndWideIntegersAreKeptWhole();
    void upgradeInPlaceKeepsTheFiveTablesAndTheirRows();
    void upgradeRefusesWhatIsNotAStore();

private:
    QString path(const QString &name) const { return dir_->filePath(name); }
    QString dirPath() const { return dir_->path(); }
    QString newStore(const QStringList &computers = {})
    {
        const QString file = path(QStringLiteral("Tarvenix.mdb"));
        CreateStore(file, computers);
        return file;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void NewDbTest::tablesHaveTheirColumnsAndDeclaredTypes()
{
    const StoreReader store(newStore());
    const QList<QPair<QString, QStringList>> expected = {
        {"t__computers", {"ID INTEGER", "NAME VARCHAR(15)"}},
        {"t__blocks", {"ID INTEGER", "COMPUTER_ID INTEGER", "DATETIME DATETIME"}},
        {"t__data",
         {"ID INTEGER", "BLOCK_ID INTEGER", "PROCESS_ID INTEGER", "PID SMALLINT",
          "PARENTPID SMALLINT", "MEMORY INTEGER", "PRIORITY SMALLINT", "THREADS SMALLINT"}},
        {"t__process", {"ID INTEGER", "NAME VARCHAR(15)", "TYPE_ID INTEGER"}},
        {"t__ptype", {"ID INTEGER", "NAME VARCHAR(20)"}},
    };
    for (const auto &[table, columns] : expected) {
        QStringList found;
        for (const QVariantList &column : store.rows("PRAGMA table_info(" + table + ")")) {
            found << column[1].toString() + ' ' + column[2].toString();
            // Only ID is the key.
            QCOMPARE(column[5].toInt() == 1, column[1].toString() == "ID");
        }
        QCOMPARE(found, columns);
    }
}

void NewDbTest::typesIndexesAndJournal()
{
    const StoreReader store(newStore());
    const QList<QVariantList> types = {{1, "Unknown"}, {2, "System"}, {3, "User"}, {4, "Danger"}};
    QCOMPARE(store.rows("select ID, NAME from t__ptype order by ID"), types);

    QStringList indexes;
    for (const QVariantList &index :
         store.rows("select m.tbl_name, group_concat(i.name, ',') from sqlite_master m, "
                    "pragma_index_info(m.name) i where m.type = 'index' group by m.name"))
        indexes << index[0].toString() + '(' + index[1].toString() + ')';
    indexes.sort();
    const QStringList expected = {"t__blocks(COMPUTER_ID,DATETIME)",
                                  "t__blocks(COMPUTER_ID,ID)",
                                  "t__blocks(DATETIME)",
                                  "t__computers(NAME)",
                                  "t__data(BLOCK_ID,PROCESS_ID,PID,PARENTPID)",
                                  "t__data(PROCESS_ID)",
                                  "t__process(NAME)",
                                  "t__process(TYPE_ID,NAME)"};
    QCOMPARE(indexes, expected);
    QCOMPARE(store.value("PRAGMA journal_mode").toString(), "wal");
}

// The program's statements sort names with "order by name" alone.
void NewDbTest::namesSortRegardlessOfCase()
{
    const StoreReader store(newStore());
    store.rows("insert into t__process (NAME, TYPE_ID) values ('Zeta.exe', 1), ('alpha.exe', 1), ('Beta', 1)");
    const QList<QVariantList> sorted = {{"alpha.exe"}, {"Beta"}, {"Zeta.exe"}};
    QCOMPARE(store.rows("select name from t__process where type_id = 1 order by name"), sorted);
    QCOMPARE(store.rows("select name from t__process order by name"), sorted);
    store.rows("insert into t__computers (NAME) values ('beta'), ('Alpha')");
    QCOMPARE(store.value("select NAME from t__computers order by NAME").toString(), "Alpha");
}

void NewDbTest::storeAndItsSideFilesAreForTheOwnerOnly()
{
    const QString file = newStore();
    const StoreReader store(file); // open: the side files exist
    store.rows("insert into t__computers (NAME) values ('x')");
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                        QFile::WriteOther | QFile::ExeOther;
    for (const char *suffix : {"", "-wal", "-shm"}) {
        const QFileInfo info(file + suffix);
        QVERIFY2(info.exists(), suffix);
        QCOMPARE(info.permissions() & (others | QFile::ReadOwner | QFile::WriteOwner),
                 QFile::ReadOwner | QFile::WriteOwner);
    }
}

void NewDbTest::computersAreAppendedInOrder()
{
    const QString file = path("order.mdb");
    const ToolRun run = RunTool(
        {"--computer", "zeta", "--computer", "127.0.0.1", "--computer", "alpha", file}, dirPath());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.errors.isEmpty());
    const QList<QVariantList> computers = {{1, "zeta"}, {2, "127.0.0.1"}, {3, "alpha"}};
    QCOMPARE(StoreReader(file).rows("select ID, NAME from t__computers order by ID"), computers);
}

void NewDbTest::defaultFileIsTarvenixMdbInTheWorkingDirectory()
{
    QCOMPARE(RunTool({}, dirPath()).exitCode, 0);
    // Nothing but the store: no scratch file, no journal beside it.
    QCOMPARE(QDir(dirPath()).entryList(QDir::Files), QStringList{"Tarvenix.mdb"});
    QCOMPARE(StoreReader(path("Tarvenix.mdb")).value("select count(*) from t__computers").toInt(),
             0);
}

void NewDbTest::existingFileIsRefusedAndLeftUnchanged_data()
{
    QTest::addColumn<bool>("isStore");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << false << QByteArray();
    QTest::newRow("not a store") << false << QByteArray("Monday's notes\n");
    QTest::newRow("a store") << true << QByteArray();
}

void NewDbTest::existingFileIsRefusedAndLeftUnchanged()
{
    QFETCH(bool, isStore);
    QFETCH(QByteArray, content);
    const QString file = path("Tarvenix.mdb");
    if (isStore) {
        newStore({"kept"});
        content = FileBytes(file);
    } else {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    const ToolRun run = RunTool({"--computer", "intruder", "Tarvenix.mdb"}, dirPath());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("Tarvenix.mdb"), qPrintable(run.errors));
    QCOMPARE(FileBytes(file), content);
    QVERIFY_THROWS_EXCEPTION(Exception, CreateStore(file));
    QCOMPARE(FileBytes(file), content);
    QCOMPARE(QDir(dirPath()).entryList(QDir::Files), QStringList{"Tarvenix.mdb"});
}

void NewDbTest::failedCreationLeavesNothing()
{
    const ToolRun run = RunTool({path("missing/Tarvenix.mdb")}, dirPath());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("missing/Tarvenix.mdb"), qPrintable(run.errors));
    QVERIFY(QDir(dirPath()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));

    // Too many files is a usage error, not a store.
    QCOMPARE(RunTool({"a.mdb", "b.mdb"}, dirPath()).exitCode, 1);
    QVERIFY(QDir(dirPath()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

void NewDbTest::keysAreNeverReused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("computers") << "t__computers"
                               << "NAME";
    QTest::newRow("blocks") << "t__blocks"
                            << "COMPUTER_ID";
    QTest::newRow("data") << "t__data"
                          << "BLOCK_ID";
    QTest::newRow("process") << "t__process"
                             << "NAME";
}

void NewDbTest::keysAreNeverReused()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    const StoreReader store(newStore());
    const QString insert = QString("insert into %1 (%2) values (7)").arg(table, column);
    for (int i = 0; i < 3; ++i)
        store.rows(insert);
    store.rows(QString("delete from %1 where ID = 3").arg(table));
    store.rows(insert);
    QCOMPARE(store.value("select max(ID) from " + table).toInt(), 4);
}

void NewDbTest::longTextsAndWideIntegersAreKeptWhole()
{
    const StoreReader store(newStore());
    const QString name = "twenty-characters-xy";
    QCOMPARE(name.size(), 20);
    store.rows("insert into t__computers (NAME) values ('" + name + "')");
    store.rows("insert into t__process (NAME, TYPE_ID) values ('" + name + "', 1)");
    store.rows("insert into t__data (PID, PARENTPID, PRIORITY, THREADS) values "
               "(40000, -1, 40000, -1)");
    QCOMPARE(store.value("select NAME from t__computers").toString(), name);
    QCOMPARE(store.value("select NAME from t__process").toString(), name);
    const QList<QVariantList> wide = {{40000, -1, 40000, -1}};
    QCOMPARE(store.rows("select PID, PARENTPID, PRIORITY, THREADS from t__data"), wide);
}

namespace
{

// The five tables as they are declared and every row they hold.
QList<QVariantList> TablesAndRows(const StoreReader &store)
{
    QList<QVariantList> all = store.rows("select name, sql from sqlite_master where type = 'table' and "
                                         "name like 't\\_\\_%' escape '\\' order by name");
    for (const char *table : {"t__computers", "t__blocks", "t__data", "t__process", "t__ptype"})
        all += store.rows(QStringLiteral("select * from %1 order by ID").arg(QLatin1String(table)));
    return all;
}

} // namespace

void NewDbTest::upgradeInPlaceKeepsTheFiveTablesAndTheirRows()
{
    const QString file = path("Tarvenix.mdb");
    CreateStore(file, {"alpha", "beta"}, StoreExtras::None);
    QList<QVariantList> before;
    {
        const StoreReader store(file);
        store.rows("insert into t__process (NAME, TYPE_ID) values ('init', 2), ('x', 1)");
        store.rows("insert into t__blocks (COMPUTER_ID, DATETIME) values (1, 1773014400), (1, 1773014410), "
                   "(2, 'not a time')");
        store.rows("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) values "
                   "(1, 1, 4, 0, 100, 8, 2), (1, 2, 8, 4, 300, 8, 1), (2, 1, 4, 0, 50, 8, 2), (3, 2, 8, 4, 7, 8, 1)");
        before = TablesAndRows(store);
    }
    const ToolRun run = RunTool({"--upgrade", "Tarvenix.mdb"}, dirPath());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.errors.isEmpty());
    const StoreReader store(file);
    QCOMPARE(TablesAndRows(store), before);
    // The summaries hold the rows as they were, less the one of the block
    // whose time is no time: that one is counted as left out.
    const QList<QVariantList> blocks = {{1, 2, 400}, {2, 1, 50}, {3, 1, 7}};
    QCOMPARE(store.rows("select * from s__blocks order by BLOCK_ID"), blocks);
    const QList<QVariantList> state = {{kSummaryVersion, 1, 0}};
    QCOMPARE(store.rows("select VERSION, IRREGULAR, STALE from s__state"), state);
    const QList<QVariantList> instances = {{1, 4, 0, 2, 1773014400, 1773014410}, {2, 8, 4, 1, 1773014400, 1773014400}};
    QCOMPARE(store.rows("select PROCESS_ID, PID, PARENTPID, ROWS, FIRST, LAST from s__instances order by 1"),
             instances);
    QVERIFY(store.value("select count(*) from sqlite_master where name = 'i__data_instance'").toInt() == 1);
    QVERIFY(store.value("select count(*) from sqlite_master where name = 'i__data_block'").toInt() == 0);

    const ToolRun again = RunTool({"--upgrade", "Tarvenix.mdb"}, dirPath());
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(TablesAndRows(store), before);
}

void NewDbTest::upgradeRefusesWhatIsNotAStore()
{
    const QString file = path("notes.mdb");
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
    }
    const StoreReader other(file); // an SQLite file, but not a store
    other.rows("create table notes (line text)");
    const QByteArray content = FileBytes(file);
    const ToolRun run = RunTool({"--upgrade", "notes.mdb"}, dirPath());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("not a Tarvenix store"), qPrintable(run.errors));
    QCOMPARE(FileBytes(file), content);
    QCOMPARE(RunTool({"--upgrade", "missing.mdb"}, dirPath()).exitCode, 1);
    QVERIFY(!QFileInfo::exists(path("missing.mdb")));
}

QTEST_GUILESS_MAIN(NewDbTest)
#include "newdb_test.moc"
