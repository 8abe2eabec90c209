#include "ui/process_types.h"

#include "core/exception.h"
#include "store/query.h"
#include "store/table.h"

void ShowNamesOfType(Query &adoqProcessByType, const QVariant &typeKey)
{
    adoqProcessByType.Close();
    adoqProcessByType.SetParam(QStringLiteral("ProcessType"), typeKey);
    adoqProcessByType.Open();
}

void SetProcessType(Table &adotProcess, Query &adoqProcessByType, const QVariant &processKey, int type)
{
    if (!processKey.isNull() && adotProcess.Locate(QStringLiteral("ID"), processKey)) {
        adotProcess.Edit();
        adotProcess.SetValue(QStringLiteral("TYPE_ID"), type);
        try {
            adotProcess.Post();
        } catch (...) {
            adotProcess.Cancel(); // the row keeps its old type
            throw;
        }
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
