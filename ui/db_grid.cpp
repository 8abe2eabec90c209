#include "ui/db_grid.h"

#include "store/data_set.h"
#include "store/data_source.h"
#include "ui/data_set_table_model.h"

#include <QHeaderView>

DbGrid::DbGrid(QWidget *parent) : QTableView(parent)
{
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSortIndicatorShown(false);
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    // The selection stays visible when the grid loses the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (model_ && section < model_->columnCount())
            emit TitleClick(model_->GetDataSet().Field(model_->FieldOfColumn(section)).name);
        else if (model_)
            emit TitleClick(QString());
    });
}

void DbGrid::SetDataSource(DataSource &source)
{
    model_ = new DataSetTableModel(source.GetDataSet(), this);
    setModel(model_);
    DataSet &dataSet = source.GetDataSet();
    connect(model_, &QAbstractItemModel::modelReset, this, &DbGrid::SizeColumns);
    connect(&dataSet, &DataSet::CurrentChanged, this, &DbGrid::ShowCurrent);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [&dataSet](const QModelIndex &index) {
        if (index.isValid() && dataSet.Active() && index.row() != dataSet.Position())
            dataSet.SetRecNo(index.row() + 1);
    });
    SizeColumns();
}

void DbGrid::SizeColumns()
{
    const int charWidth = fontMetrics().averageCharWidth();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const FieldDef &field = model_->GetDataSet().Field(model_->FieldOfColumn(c));
        const int characters = field.displayWidth > 0 ? field.displayWidth : field.type == FieldType::DateTime ? 20 : 10;
        setColumnWidth(c, (characters + 2) * charWidth);
    }
}

void DbGrid::ShowCurrent(int position)
{
    if (position >= 0 && position < model_->rowCount())
        selectionModel()->setCurrentIndex(model_->index(position, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
