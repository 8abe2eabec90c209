#pragma once
// The store's components, by the names the rest of the program uses: the
// connection, the four table components, the query components with their
// fixed statements, parameters and result fields, and the data sources.

#include "store/connection.h"
#include "store/data_source.h"
#include "store/query.h"
#include "store/table.h"

class TMonitoringStore {
public:
    explicit TMonitoringStore(QObject *owner = nullptr);
    virtual ~TMonitoringStore() = default;

    Connection adocMain;

    Table adotComputers;
    Table adotBlocks;
    Table adotProcess;
    Table adotData;

    Query adoqProcess;
    Query adoqProcessTypes;
    Query adoqProcessByType;
    Query adoqLast;
    Query adoqFull;
    Query adoqCompRule;
    Query adoqDataAdd;
    Query adoqStatByMemory;
    Query adoqStatByCount;
    Query adoqAnalyseByMemory;
    Query adoqAnalyseByCount;
    Query adoqAnalyzeTimeline;

    DataSource dsComputers;
    DataSource dsBlocks;
    DataSource dsProcess;
    DataSource dsTemp;
    DataSource dsProcessTypes;
    DataSource dsProcessByType;
    DataSource dsLast;
    DataSource dsFull;
    DataSource dsCompRule;

    // The seven data sets opened at start, in their opening order.
    QList<DataSet *> StartupDataSets();

    static QStringList LastStatementLines();
    // The statement the history page starts from; the filter adds conditions.
    static QStringList FullStatementLines();
};
