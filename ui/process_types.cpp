#include "ui/process_types.h"

#include "core/exception.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/table.h"

void ShowNamesOfType(Query &adoqProcessByType, const QVariant &typeKey)
{
    adoqProcessByType.Close();
    adoqProcessByType.SetParam(QStringLiteral("ProcessType"), typeKey);
    adoqProcessByType.Open();
}

namespace {

void SetTypeOfRow(Table &adotProcess, const QVariant &processKey, int type)
{
    if (processKey.isNull() || !adotProcess.Locate(QStringLiteral("ID"), processKey))
        return;
    adotProcess.Edit();
    adotProcess.SetValue(QStringLiteral("TYPE_ID"), type);
    adotProcess.Post();
}

} // namespace

void SetProcessType(Connection &adocMain, Table &adotProcess, Query &adoqProcessByType, const QVariantList &processKeys,
                    int type)
{
    adocMain.BeginTrans();
    try {
        for (const QVariant &key : processKeys)
            SetTypeOfRow(adotProcess, key, type);
        adocMain.CommitTrans();
    } catch (...) {
        adotProcess.Cancel(); // the failed row keeps its old type
        adocMain.RollbackTrans();
        // Rows posted before the failure hold their old types in the file
        // again; the table reads them back.
        if (processKeys.size() > 1) {
            adotProcess.Close();
            adotProcess.Open();
        }
        throw;
    }
    adoqProcessByType.Close();
    adoqProcessByType.Open();
}

int ChosenType(const QVariant &typeKey)
{
    bool ok = false;
    const int type = typeKey.toInt(&ok);
    if (typeKey.isNull() || !ok)
        throw EVariantError();
    return type;
}
