#include "store/monitoring_store.h"

namespace {

FieldDef Data(const QString &name, FieldType type, const QString &label = QString(), int width = 0,
              bool visible = true)
{
    FieldDef field;
    field.name = name;
    field.type = type;
    field.label = label;
    field.displayWidth = width;
    field.visible = visible;
    return field;
}

// A text field that shows the NAME of the catalogue row whose ID is the row's process_id.
FieldDef ProcessName(const QString &name, Query &catalogue, int width = 0)
{
    FieldDef field = Data(name, FieldType::Text, QString(), width);
    field.lookup = {QStringLiteral("process_id"), &catalogue, QStringLiteral("ID"), QStringLiteral("NAME")};
    return field;
}

// The process columns of a snapshot row as both snapshot grids show them.
std::vector<FieldDef> ProcessColumns(int nameWidth)
{
    return {
        Data(QStringLiteral("PROCESSNAME"), FieldType::Text, QStringLiteral("Process"), nameWidth),
        Data(QStringLiteral("PID"), FieldType::Integer16, QStringLiteral("Process ID")),
        Data(QStringLiteral("PARENTPID"), FieldType::Integer16, QStringLiteral("Parent PID")),
        Data(QStringLiteral("MEMORY"), FieldType::Integer32, QStringLiteral("Memory")),
        Data(QStringLiteral("PRIORITY"), FieldType::Integer16, QStringLiteral("Priority")),
        Data(QStringLiteral("THREADS"), FieldType::Integer16, QStringLiteral("Threads")),
    };
}

void Name(QObject &object, const char *name) { object.setObjectName(QLatin1String(name)); }

} // namespace

TMonitoringStore::TMonitoringStore(QObject *owner)
    : adocMain(owner), adotComputers(adocMain, QStringLiteral("t__computers"), owner),
      adotBlocks(adocMain, QStringLiteral("t__blocks"), owner),
      adotProcess(adocMain, QStringLiteral("t__process"), owner),
      adotData(adocMain, QStringLiteral("t__data"), owner), adoqProcess(adocMain, owner),
      adoqProcessTypes(adocMain, owner), adoqProcessByType(adocMain, owner), adoqLast(adocMain, owner),
      adoqFull(adocMain, owner), adoqCompRule(adocMain, owner), adoqDataAdd(adocMain, owner),
      adoqStatByMemory(adocMain, owner), adoqStatByCount(adocMain, owner),
      adoqAnalyseByMemory(adocMain, owner), adoqAnalyseByCount(adocMain, owner),
      adoqAnalyzeTimeline(adocMain, owner), dsComputers(adotComputers, owner), dsBlocks(adotBlocks, owner),
      dsProcess(adotProcess, owner), dsTemp(adotData, owner), dsProcessTypes(adoqProcessTypes, owner),
      dsProcessByType(adoqProcessByType, owner), dsLast(adoqLast, owner), dsFull(adoqFull, owner),
      dsCompRule(adoqCompRule, owner)
{
    Name(adocMain, "adocMain");
    Name(adotComputers, "adotComputers");
    Name(adotBlocks, "adotBlocks");
    Name(adotProcess, "adotProcess");
    Name(adotData, "adotData");
    Name(adoqProcess, "adoqProcess");
    Name(adoqProcessTypes, "adoqProcessTypes");
    Name(adoqProcessByType, "adoqProcessByType");
    Name(adoqLast, "adoqLast");
    Name(adoqFull, "adoqFull");
    Name(adoqCompRule, "adoqCompRule");
    Name(adoqDataAdd, "adoqDataAdd");
    Name(adoqStatByMemory, "adoqStatByMemory");
    Name(adoqStatByCount, "adoqStatByCount");
    Name(adoqAnalyseByMemory, "adoqAnalyseByMemory");
    Name(adoqAnalyseByCount, "adoqAnalyseByCount");
    Name(adoqAnalyzeTimeline, "adoqAnalyzeTimeline");
    Name(dsComputers, "dsComputers");
    Name(dsBlocks, "dsBlocks");
    Name(dsProcess, "dsProcess");
    Name(dsTemp, "dsTemp");
    Name(dsProcessTypes, "dsProcessTypes");
    Name(dsProcessByType, "dsProcessByType");
    Name(dsLast, "dsLast");
    Name(dsFull, "dsFull");
    Name(dsCompRule, "dsCompRule");

    adoqProcess.SetSQL({QStringLiteral("select * from t__process order by name;")});
    adoqProcessTypes.SetSQL({QStringLiteral("select id, name from t__ptype;")});

    adoqProcessByType.SetSQL(
        {QStringLiteral("select id, name from t__process where type_id = :ProcessType order by name;")});
    adoqProcessByType.AddParam(QStringLiteral("ProcessType"), FieldType::Integer32, 0);

    adoqLast.SetSQL(LastStatementLines());
    adoqLast.AddParam(QStringLiteral("CID1"), FieldType::Integer32, 0);
    adoqLast.AddParam(QStringLiteral("CID2"), FieldType::Integer32, 0);
    std::vector<FieldDef> last = ProcessColumns(12);
    last.push_back(Data(QStringLiteral("COMPUTERNAME"), FieldType::Text, QString(), 15, false));
    last.push_back(Data(QStringLiteral("DATETIME"), FieldType::DateTime, QString(), 0, false));
    adoqLast.SetPersistentFields(std::move(last));
    adoqLast.SetRowKey({QStringLiteral("d.ID"), QStringLiteral("t__data"), {}});

    adoqFull.SetSQL(FullStatementLines());
    std::vector<FieldDef> full = {
        Data(QStringLiteral("COMPUTERNAME"), FieldType::Text, QStringLiteral("Computer"), 15),
        Data(QStringLiteral("DATETIME"), FieldType::DateTime, QStringLiteral("Date and time")),
    };
    const std::vector<FieldDef> process = ProcessColumns(15);
    full.insert(full.end(), process.begin(), process.end());
    adoqFull.SetPersistentFields(std::move(full));
    // The history is read a window at a time. Ties of a sorted column are
    // broken in the order the store's indexes walk the join, so that a
    // window of a sorted history is a walk along an index, not a sort.
    adoqFull.SetRowKey({QStringLiteral("d.ID"),
                        QStringLiteral("t__data"),
                        {{QStringLiteral("computername"), {QStringLiteral("c.ID"), QStringLiteral("b.ID")}},
                         {QStringLiteral("datetime"), {QStringLiteral("b.ID")}},
                         {QStringLiteral("processname"), {QStringLiteral("p.ID")}}}});

    adoqCompRule.SetSQL({QStringLiteral("select count(b.id) as count, min(b.datetime) as min, max(b.datetime) as max"),
                         QStringLiteral("from t__blocks b"), QStringLiteral("where b.computer_id = :comp;")});
    adoqCompRule.AddParam(QStringLiteral("comp"), FieldType::Integer32, 0);
    // The engine cannot type these aggregates; the columns they come from are date-times.
    adoqCompRule.SetColumnType(QStringLiteral("min"), FieldType::DateTime);
    adoqCompRule.SetColumnType(QStringLiteral("max"), FieldType::DateTime);

    adoqDataAdd.SetSQL(
        {QStringLiteral("INSERT INTO t__data ( BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS )"),
         QStringLiteral("VALUES ( :BLOCK_ID, :PROCESS_ID, :PID, :PARENTPID, :MEMORY, :PRIORITY, :THREADS )")});
    for (const char *name : {"BLOCK_ID", "PROCESS_ID", "PID", "PARENTPID", "MEMORY", "PRIORITY", "THREADS"})
        adoqDataAdd.AddParam(QLatin1String(name), FieldType::Integer32, 255);

    adoqStatByMemory.SetSQL({QStringLiteral("select b.datetime, avg(d.memory) as mem"),
                             QStringLiteral("from t__data d, t__blocks b"), QStringLiteral("where d.block_id = b.id"),
                             QStringLiteral("group by b.datetime")});
    adoqStatByCount.SetSQL({QStringLiteral("select b.datetime, count(d.id) as count"),
                            QStringLiteral("from t__data d, t__blocks b"), QStringLiteral("where d.block_id = b.id"),
                            QStringLiteral("group by b.datetime")});

    adoqAnalyseByMemory.SetPersistentFields({Data(QStringLiteral("process_id"), FieldType::Integer32),
                                             Data(QStringLiteral("mem"), FieldType::Float),
                                             ProcessName(QStringLiteral("name"), adoqProcess)});
    adoqAnalyseByCount.SetPersistentFields({Data(QStringLiteral("Expr1000"), FieldType::Integer32),
                                            Data(QStringLiteral("process_id"), FieldType::Integer32),
                                            ProcessName(QStringLiteral("NAME"), adoqProcess)});
    adoqAnalyzeTimeline.SetPersistentFields({Data(QStringLiteral("process_id"), FieldType::Integer32),
                                             Data(QStringLiteral("starttime"), FieldType::DateTime),
                                             Data(QStringLiteral("endtime"), FieldType::DateTime),
                                             ProcessName(QStringLiteral("name"), adoqProcess, 15)});

    for (auto [source, name] : {std::pair{&dsComputers, "dsComputers"}, {&dsBlocks, "dsBlocks"},
                                {&dsProcess, "dsProcess"}, {&dsTemp, "dsTemp"},
                                {&dsProcessTypes, "dsProcessTypes"}, {&dsProcessByType, "dsProcessByType"},
                                {&dsLast, "dsLast"}, {&dsFull, "dsFull"}, {&dsCompRule, "dsCompRule"}})
        Name(*source, name);
}

QStringList TMonitoringStore::LastStatementLines()
{
    return {QStringLiteral("select c.NAME AS COMPUTERNAME,b.DATETIME,p.NAME AS PROCESSNAME,d.PID,d.PARENTPID,"
                           "d.MEMORY,d.PRIORITY,d.THREADS"),
            QStringLiteral("from t__data d,t__computers c,t__blocks b,t__process p"),
            QStringLiteral("where"),
            QStringLiteral("b.ID = d.BLOCK_ID and"),
            QStringLiteral("b.id = (SELECT max(ID) FROM t__blocks WHERE COMPUTER_ID = :CID1 ) and"),
            QStringLiteral("d.PROCESS_ID = p.ID and"),
            QStringLiteral("b.COMPUTER_ID = c.ID and"),
            QStringLiteral("c.ID = :CID2;")};
}

QStringList TMonitoringStore::FullStatementLines()
{
    return {QStringLiteral("select c.NAME AS COMPUTERNAME,b.DATETIME,p.NAME AS PROCESSNAME,d.PID,d.PARENTPID,"
                           "d.MEMORY,d.PRIORITY,d.THREADS"),
            QStringLiteral("from t__data d,t__computers c,t__blocks b,t__process p"),
            QStringLiteral("where"),
            QStringLiteral("b.ID = d.BLOCK_ID and"),
            QStringLiteral("d.PROCESS_ID = p.ID and"),
            QStringLiteral("c.ID = b.COMPUTER_ID")};
}

QList<DataSet *> TMonitoringStore::StartupDataSets()
{
    return {&adotComputers, &adotProcess, &adotBlocks, &adoqProcess, &adoqProcessTypes, &adoqLast, &adoqFull};
}
