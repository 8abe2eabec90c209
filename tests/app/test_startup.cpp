// Start-up and shutdown of the data module with the main window: the store
// opened, the lists filled, the settings restored and saved.
#include "../store/store_fixture.h"
#include "private_settings.h"
#include "app/data_module.h"
#include "core/error_box.h"
#include "platform/settings_store.h"
#include "ui/data_set_list_model.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_list_box.h"
#include "ui/main_window.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {

std::string Stored(const char *name)
{
    std::string error;
    return OpenUserSettings("software", error)->ReadString("Brenmoor Tarvenix", name, "<absent>");
}

void Store(const char *name, const char *value)
{
    std::string error;
    QVERIFY(OpenUserSettings("software", error)->WriteString("Brenmoor Tarvenix", name, value, error));
}

} // namespace

class Startup : public QObject {
    Q_OBJECT
    QStringList errors;
    PrivateSettings settings;

private slots:
    void initTestCase()
    {
        SetErrorSink([this](const QString &text) { errors << text; });
    }
    void init()
    {
        errors.clear();
        QFile::remove(settings.File());
    }

    void firstStartShowsTheDefaultsAndSavesThem()
    {
        StoreFixture fixture;
        {
            TfrmMain window;
            TdmMain module(window);
            QCOMPARE(window.edTimer->text(), QStringLiteral("10"));
            QCOMPARE(window.edTimeOut->text(), QStringLiteral("10"));
            QCOMPARE(window.cbMainType->currentText(), QStringLiteral("Analyse"));
            QCOMPARE(window.cbAnalyze->currentText(), QStringLiteral("Process memory usage"));
            QVERIFY(qAbs(window.dtpAnalyze->dateTime().secsTo(QDateTime::currentDateTime())) < 60);
            QVERIFY(errors.isEmpty());
        }
        QCOMPARE(Stored("Timer"), std::string("10"));
        QCOMPARE(Stored("Timeout"), std::string("10"));
    }

    void storedTextsComeBackWholeAndAsTyped()
    {
        StoreFixture fixture;
        Store("Timer", "120");
        Store("Timeout", "soon");
        {
            TfrmMain window;
            TdmMain module(window);
            QCOMPARE(window.edTimer->text(), QStringLiteral("120")); // longer than the edit's typing limit
            QCOMPARE(window.edTimeOut->text(), QStringLiteral("soon"));
            window.edTimeOut->setText(QStringLiteral("5"));
        }
        QCOMPARE(Stored("Timer"), std::string("120"));
        QCOMPARE(Stored("Timeout"), std::string("5"));
    }

    void typingCannotGrowAnEditPastTwoCharacters()
    {
        StoreFixture fixture;
        TfrmMain window;
        TdmMain module(window);
        window.edTimer->clear();
        QTest::keyClicks(window.edTimer, QStringLiteral("1234"));
        QCOMPARE(window.edTimer->text(), QStringLiteral("12"));
    }

    void missingStoreShowsOneErrorAndEmptyLists()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Store("Timer", "5");
        {
            TfrmMain window;
            TdmMain module(window);
            QCOMPARE(errors.size(), 1);
            QVERIFY(errors[0].startsWith(QStringLiteral("Could not find file '")));
            QVERIFY(errors[0].endsWith(QStringLiteral("Tarvenix.mdb'"))); // a quote ends it: no full stop
            QCOMPARE(window.llbxComputers->model()->rowCount(), 0);
            QCOMPARE(window.dbgFiltered->model()->rowCount(), 0);
            QCOMPARE(window.edTimer->text(), QStringLiteral("10")); // settings were not read
            QCOMPARE(window.cbMainType->currentIndex(), -1);
        }
        QDir::setCurrent(previous);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Tarvenix.mdb"))));
        QCOMPARE(Stored("Timer"), std::string("5")); // not overwritten by the defaults
        QCOMPARE(errors.size(), 1);
    }

    void listsAndHistoryShowWhatIsStored()
    {
        StoreFixture fixture;
        fixture.Sql(QStringLiteral("insert into t__computers (NAME) values ('zeta'), ('alpha');"
                                   "insert into t__process (NAME, TYPE_ID) values ('sshd', 1), ('init', 2);"));
        fixture.AddBlock(1, 1, QDateTime::currentDateTime());
        fixture.AddRow(1, 1, 10);
        fixture.AddRow(1, 2, 1);
        TfrmMain window;
        TdmMain module(window);
        QAbstractItemModel *computers = window.llbxComputers->model();
        QCOMPARE(computers->rowCount(), 2);
        QCOMPARE(computers->index(0, 0).data().toString(), QStringLiteral("zeta")); // table order, unsorted
        QCOMPARE(computers->index(1, 0).data(DataSetListModel::KeyRole).toInt(), 2);
        QCOMPARE(window.dbgFiltered->model()->rowCount(), 2);
        QCOMPARE(window.dbgFiltered->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Computer"));
        QCOMPARE(window.dbgCurrent->model()->rowCount(), 0);
        QCOMPARE(window.dbgCurrent->model()->columnCount(), 6); // the two hidden fields have no column
        // A row appended through the table shows in the list at once.
        module.adotComputers.Append();
        module.adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("new"));
        module.adotComputers.Post();
        QCOMPARE(computers->rowCount(), 3);
    }
};

QTEST_MAIN(Startup)
#include "test_startup.moc"
