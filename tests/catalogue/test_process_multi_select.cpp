// Sorting many process names at once: Shift and Ctrl clicks select several
// names in either list, and every command acts on all of them together.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "fake_prompts.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"

#include <QMenuBar>
#include <QtTest>

using namespace UserInput;

class ProcessMultiSelect : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> app;
    TfrmMain *window = nullptr;

    QStringList ByType() const { return ListedNames(window->dblbxProcessByType); }
    // "name:type" for every catalogue row, in key order, as the file holds them.
    QString StoredTypes() const
    {
        QStringList types;
        for (int id = 1; id <= 6; ++id)
            types << QString::number(app->store.Scalar(QStringLiteral("select TYPE_ID from t__process where ID = %1").arg(id)));
        return types.join(' ');
    }
    // The same, as the program's catalogue table holds them.
    QString HeldTypes() const
    {
        QStringList types;
        for (int id = 1; id <= 6; ++id)
            types << app->module->adotProcess.Lookup(QStringLiteral("ID"), id, QStringLiteral("TYPE_ID")).toString();
        return types.join(' ');
    }
    void ChooseType(int type) { ChooseWithMouse(window->dbcbxProcessType, type - 1); }
    static int RowOf(QListView *list, const char *name) { return int(ListedNames(list).indexOf(QLatin1String(name))); }
    void Click(QListView *list, const char *name, Qt::KeyboardModifiers modifiers = {})
    {
        if (modifiers)
            ClickEntryHolding(list, RowOf(list, name), modifiers);
        else
            ClickEntry(list, RowOf(list, name));
    }

private slots:
    void init()
    {
        app = std::make_unique<AppFixture>();
        // IDs 1 to 6, in this order.
        app->store.Sql(QStringLiteral("insert into t__process (NAME, TYPE_ID) values ('zsh', 1), ('nc', 4), "
                                      "('Bash', 1), ('cron', 2), ('miner', 4), ('Xorg', 4);"));
        app->Start();
        window = app->window.get();
        app->module->prompts = std::make_unique<FakePrompts>();
        QVERIFY(ShowActive(window));
        ClickTab(window->pctlMain, 2);
    }
    void cleanup() { app.reset(); }

    void ctrlClicksThenMenuMoveEveryChosenName()
    {
        ChooseType(3);
        QListView *all = window->dblbxAllProcess;
        Click(all, "zsh");
        Click(all, "Bash", Qt::ControlModifier);
        Click(all, "miner", Qt::ControlModifier);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(StoredTypes(), QStringLiteral("3 4 3 2 3 4"));
        QCOMPARE(HeldTypes(), StoredTypes());
        QCOMPARE(ByType(), QStringList({"Bash", "miner", "zsh"}));
        QVERIFY(app->errors.isEmpty());
    }

    // A Ctrl click on a chosen name takes it out of the choice again.
    void ctrlClickOnAChosenNameDropsIt()
    {
        ChooseType(2);
        QListView *all = window->dblbxAllProcess;
        Click(all, "zsh");
        Click(all, "nc", Qt::ControlModifier);
        Click(all, "Xorg", Qt::ControlModifier);
        Click(all, "zsh", Qt::ControlModifier);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(StoredTypes(), QStringLiteral("1 2 1 2 4 2"));
    }

    // A double click on any name of a Shift range moves the whole range; one
    // on a name outside it moves that name alone.
    void doubleClickActsOnTheRangeItFallsIn()
    {
        ChooseType(2);
        QListView *all = window->dblbxAllProcess; // zsh nc Bash cron miner Xorg
        Click(all, "nc");
        Click(all, "cron", Qt::ShiftModifier);
        DoubleClickEntry(all, RowOf(all, "Bash"));
        QCOMPARE(StoredTypes(), QStringLiteral("1 2 2 2 4 4"));
        QCOMPARE(ByType(), QStringList({"Bash", "cron", "nc"}));
        DoubleClickEntry(all, RowOf(all, "Xorg"));
        QCOMPARE(StoredTypes(), QStringLiteral("1 2 2 2 4 2"));
    }

    void byTypeListSetsAndClearsEveryChosenName()
    {
        ChooseType(4);
        QListView *byType = window->dblbxProcessByType; // miner nc Xorg
        Click(byType, "miner");
        Click(byType, "Xorg", Qt::ShiftModifier);
        ChooseContextEntry(byType->viewport(), EntryCentre(byType, RowOf(byType, "nc")), window->pmProcess,
                           window->Setusertype1);
        QCOMPARE(StoredTypes(), QStringLiteral("1 3 1 2 3 3"));
        QCOMPARE(ByType(), QStringList());

        ChooseType(3);
        Click(byType, "miner");
        Click(byType, "Xorg", Qt::ControlModifier);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Cleartype1);
        QCOMPARE(StoredTypes(), QStringLiteral("1 3 1 2 1 1"));
        QCOMPARE(ByType(), QStringList({"nc"}));

        ChooseType(1);
        Click(byType, "Bash");
        Click(byType, "zsh", Qt::ShiftModifier); // Bash miner Xorg zsh
        DoubleClickEntry(byType, RowOf(byType, "miner"));
        QCOMPARE(StoredTypes(), QStringLiteral("1 3 1 2 1 1")); // clearing unknown names changes nothing
        QVERIFY(app->errors.isEmpty());
    }

    // One name the store refuses leaves every chosen name as it was, in the
    // file and in the program.
    void refusalOfOneNameChangesNone()
    {
        app->store.Sql(QStringLiteral("create trigger locked before update on t__process when new.NAME = 'miner' "
                                      "begin select raise(abort, 'miner is locked'); end"));
        ChooseType(3);
        QListView *all = window->dblbxAllProcess;
        Click(all, "zsh");
        Click(all, "Xorg", Qt::ShiftModifier);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(app->errors, QStringList({"miner is locked."}));
        QCOMPARE(StoredTypes(), QStringLiteral("1 4 1 2 4 4"));
        QCOMPARE(HeldTypes(), StoredTypes());
        QCOMPARE(app->module->adotProcess.GetState(), DataSet::State::Browse);
        app->store.Sql(QStringLiteral("drop trigger locked"));
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(StoredTypes(), QStringLiteral("3 3 3 3 3 3"));
    }
};

QTEST_MAIN(ProcessMultiSelect)
#include "test_process_multi_select.moc"
