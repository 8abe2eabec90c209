// Sorting process names into types on the control page, with the mouse and
// the keyboard, the main menu and the list's context menu.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "fake_prompts.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"

#include <QMenuBar>
#include <QtTest>

using namespace UserInput;

class ProcessTypes : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;

    QStringList ByType() const { return ListedNames(window->dblbxProcessByType); }
    qint64 TypeOf(const char *name) const
    {
        return fixture->Scalar(QStringLiteral("select TYPE_ID from t__process where NAME = '%1'").arg(QLatin1String(name)));
    }
    // Types are listed in key order: type N is entry N - 1.
    void ChooseType(int type) { ChooseWithMouse(window->dbcbxProcessType, type - 1); }
    static int RowOf(QListView *list, const char *name) { return int(ListedNames(list).indexOf(QLatin1String(name))); }
    void SetTypeFromMenu(const char *name, QAction *entry)
    {
        QListView *list = window->dblbxProcessByType;
        ClickEntry(list, RowOf(list, name)); // the commands act on the name selected with a left click
        ChooseContextEntry(list->viewport(), EntryCentre(list, RowOf(list, name)), window->pmProcess, entry);
    }

private slots:
    void init()
    {
        app = new AppFixture;
        fixture = &app->store;
        fixture->Sql(QStringLiteral("insert into t__process (NAME, TYPE_ID) values ('zsh', 1), ('nc', 4), "
                                    "('Bash', 1), ('cron', 2), ('miner', 4), ('Xorg', 4);"));
        app->Start();
        window = app->window.get();
        module = app->module.get();
        module->prompts = std::make_unique<FakePrompts>();
        QVERIFY(ShowActive(window));
        ClickTab(window->pctlMain, 2);
    }
    void cleanup() { delete app; }

    void choosingATypeListsItsNamesAlphabeticallyWhateverTheCase()
    {
        ChooseType(4);
        QCOMPARE(ByType(), QStringList({"miner", "nc", "Xorg"}));
        DoubleClickEntry(window->dblbxProcessByType, 1); // clears the type
        QCOMPARE(TypeOf("nc"), 1);
        QCOMPARE(ByType(), QStringList({"miner", "Xorg"}));
        ChooseWithKeys(window->dbcbxProcessType, 0);
        QCOMPARE(ByType(), QStringList({"Bash", "nc", "zsh"}));
        OpenAndEscape(window->dbcbxProcessType); // closed without a new choice: the same list again
        QCOMPARE(ByType(), QStringList({"Bash", "nc", "zsh"}));
        QVERIFY(app->errors.isEmpty());
    }

    void movingANameIntoTheChosenType()
    {
        ChooseType(3);
        DoubleClickEntry(window->dblbxAllProcess, RowOf(window->dblbxAllProcess, "zsh"));
        QCOMPARE(TypeOf("zsh"), 3);
        QCOMPARE(ByType(), QStringList({"zsh"}));
        ClickEntry(window->dblbxAllProcess, RowOf(window->dblbxAllProcess, "Bash"));
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(ByType(), QStringList({"Bash", "zsh"}));
        ClickEntry(window->dblbxProcessByType, 1);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Cleartype1);
        QCOMPARE(TypeOf("zsh"), 1);
        QCOMPARE(ByType(), QStringList({"Bash"}));
    }

    void menuCommandActsOnTheHighlightedNameAfterTheCursorMoved()
    {
        ChooseType(2);
        ClickEntry(window->dblbxAllProcess, RowOf(window->dblbxAllProcess, "Bash"));
        module->adotProcess.Locate(QStringLiteral("NAME"), QStringLiteral("miner")); // a collection moved it
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Movetoselectedtype1);
        QCOMPARE(TypeOf("Bash"), 2);
        QCOMPARE(TypeOf("miner"), 4);
    }

    // A choice made with the arrow keys on the closed selector is the type a
    // move stores, while the list keeps showing the type last chosen in it.
    void arrowKeysChangeTheTypeStoredButNotTheList()
    {
        ChooseType(2);
        window->dbcbxProcessType->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window->dbcbxProcessType, Qt::Key_Down);
        DoubleClickEntry(window->dblbxAllProcess, RowOf(window->dblbxAllProcess, "zsh"));
        QCOMPARE(TypeOf("zsh"), 3);
        QCOMPARE(ByType(), QStringList({"cron"}));
    }

    void movingWithNoTypeChosenIsAnError()
    {
        DoubleClickEntry(window->dblbxAllProcess, 0);
        QCOMPARE(app->errors, QStringList({"Invalid variant type conversion."}));
        QCOMPARE(TypeOf("zsh"), 1);
        QCOMPARE(module->adotProcess.GetState(), DataSet::State::Browse);
    }

    void contextMenuSetsTheTypeOfTheSelectedName()
    {
        ChooseType(1);
        SetTypeFromMenu("Bash", window->Setdangertype1);
        QCOMPARE(TypeOf("Bash"), 4);
        QCOMPARE(ByType(), QStringList({"zsh"}));
        SetTypeFromMenu("zsh", window->Setsystemtype1);
        QCOMPARE(TypeOf("zsh"), 2);
        QCOMPARE(ByType(), QStringList());
        ChooseType(2);
        SetTypeFromMenu("zsh", window->Setusertype1);
        QCOMPARE(TypeOf("zsh"), 3);
        SetTypeFromMenu("cron", window->Setunknowntype1);
        QCOMPARE(TypeOf("cron"), 1);
        QVERIFY(app->errors.isEmpty());
    }

    void rightClickAloneSelectsNothing()
    {
        ChooseType(4);
        QListView *list = window->dblbxProcessByType;
        ChooseContextEntry(list->viewport(), EntryCentre(list, 0), window->pmProcess, window->Setunknowntype1);
        ChooseMenuEntry(window->menuBar(), window->Process1, window->Cleartype1);
        QCOMPARE(ByType(), QStringList({"miner", "nc", "Xorg"}));
        QVERIFY(app->errors.isEmpty());
    }
};

QTEST_MAIN(ProcessTypes)
#include "test_process_types.moc"
