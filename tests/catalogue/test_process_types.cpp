// Sorting process names into types on the control page.
#include "../app/app_fixture.h"
#include "fake_prompts.h"
#include "ui/data_set_list_model.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"

#include <QtTest>

class ProcessTypes : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;

    QStringList ByType() const
    {
        QStringList names;
        QAbstractItemModel *model = window->dblbxProcessByType->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }
    qint64 TypeOf(const char *name) const
    {
        return fixture->Scalar(QStringLiteral("select TYPE_ID from t__process where NAME = '%1'").arg(QLatin1String(name)));
    }
    void ChooseType(int type)
    {
        window->dbcbxProcessType->SetKeyValue(type);
        emit window->dbcbxProcessType->CloseUp();
    }
    int RowOf(DbLookupListBox *list, const char *name) const
    {
        QAbstractItemModel *model = list->model();
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data().toString() == QLatin1String(name))
                return r;
        return -1;
    }

private slots:
    void init()
    {
        app = new AppFixture;
        fixture = &app->store;
        fixture->Sql(QStringLiteral("insert into t__process (NAME, TYPE_ID) values ('zsh', 1), ('nc', 4), "
                                    "('bash', 1), ('cron', 2), ('miner', 4);"));
        app->Start();
        window = app->window.get();
        module = app->module.get();
        module->prompts = std::make_unique<FakePrompts>();
    }
    void cleanup()
    {
        delete app;
    }

    void choosingATypeListsItsNamesAlphabetically()
    {
        ChooseType(4);
        QCOMPARE(ByType(), QStringList({"miner", "nc"}));
        window->dblbxProcessByType->SelectRow(1);
        emit window->dblbxProcessByType->DblClick(); // clears the type
        QCOMPARE(TypeOf("nc"), 1);
        QCOMPARE(ByType(), QStringList({"miner"}));
        emit window->dbcbxProcessType->CloseUp(); // closed without a new choice: same list
        QCOMPARE(ByType(), QStringList({"miner"}));
    }

    void movingANameIntoTheChosenType()
    {
        ChooseType(3);
        window->dblbxAllProcess->SelectRow(RowOf(window->dblbxAllProcess, "zsh"));
        emit window->dblbxAllProcess->DblClick();
        QCOMPARE(TypeOf("zsh"), 3);
        QCOMPARE(ByType(), QStringList({"zsh"}));
        window->dblbxAllProcess->SelectRow(RowOf(window->dblbxAllProcess, "bash"));
        window->Movetoselectedtype1->trigger();
        QCOMPARE(ByType(), QStringList({"bash", "zsh"}));
    }

    void menuCommandActsOnTheHighlightedNameAfterTheCursorMoved()
    {
        ChooseType(2);
        window->dblbxAllProcess->SelectRow(RowOf(window->dblbxAllProcess, "bash"));
        module->adotProcess.Locate(QStringLiteral("NAME"), QStringLiteral("miner")); // a collection moved it
        window->Movetoselectedtype1->trigger();
        QCOMPARE(TypeOf("bash"), 2);
        QCOMPARE(TypeOf("miner"), 4);
    }

    void movingWithNoTypeChosenIsAnError()
    {
        window->dblbxAllProcess->SelectRow(0);
        emit window->dblbxAllProcess->DblClick();
        QCOMPARE(app->errors, QStringList({"Invalid variant type conversion."}));
        QCOMPARE(TypeOf("zsh"), 1);
        QCOMPARE(module->adotProcess.GetState(), DataSet::State::Browse);
    }

    void setTypeActionsUseTheirTags()
    {
        ChooseType(1);
        QCOMPARE(ByType(), QStringList({"bash", "zsh"}));
        window->dblbxProcessByType->SelectRow(0);
        module->actlComputers.actMoveToDanger->trigger();
        QCOMPARE(TypeOf("bash"), 4);
        QCOMPARE(ByType(), QStringList({"zsh"}));
        window->dblbxProcessByType->SelectRow(0);
        module->actlComputers.actMoveToSystem->trigger();
        QCOMPARE(TypeOf("zsh"), 2);
        QCOMPARE(ByType(), QStringList());
        module->actlComputers.actMoveToUser->trigger(); // the last selection's key outlives the refresh
        QCOMPARE(TypeOf("zsh"), 3);
        QVERIFY(app->errors.isEmpty());
    }

    void nothingSelectedChangesNothing()
    {
        ChooseType(4);
        module->actlComputers.actMoveToUnknown->trigger();
        window->Cleartype1->trigger();
        QCOMPARE(TypeOf("nc"), 4);
        QCOMPARE(TypeOf("miner"), 4);
    }
};

QTEST_MAIN(ProcessTypes)
#include "test_process_types.moc"
