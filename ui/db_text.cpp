#include "ui/db_text.h"

#include "store/data_set.h"
#include "store/data_source.h"
#include "ui/display_text.h"

DbText::DbText(QWidget *parent) : QLabel(parent) {}

void DbText::SetDataField(DataSource &source, const QString &field)
{
    source_ = &source;
    field_ = field;
    DataSet &dataSet = source.GetDataSet();
    connect(&dataSet, &DataSet::CurrentChanged, this, &DbText::Refresh);
    connect(&dataSet, &DataSet::RowChanged, this, &DbText::Refresh);
    connect(&dataSet, &DataSet::AfterReset, this, &DbText::Refresh);
    Refresh();
}

void DbText::Refresh()
{
    const DataSet &dataSet = source_->GetDataSet();
    const int field = dataSet.FieldIndex(field_);
    if (field < 0) {
        clear();
        return;
    }
    setText(DisplayText(dataSet.ValueAt(dataSet.Position(), field), dataSet.Field(field).type));
}
