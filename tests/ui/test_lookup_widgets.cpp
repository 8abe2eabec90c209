// The lookup list and drop-down: their key value is the user's last choice,
// apart from the data set's current row, and survives every refresh.
#include "../input/user_input.h"
#include "../store/store_fixture.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"

#include <QSignalSpy>
#include <QtTest>

class LookupWidgets : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;

    void Add(const char *name)
    {
        store->adotComputers.Append();
        store->adotComputers.SetValue(QStringLiteral("NAME"), QLatin1String(name));
        store->adotComputers.Post();
    }

private slots:
    void init()
    {
        fixture = new StoreFixture;
        store = new TMonitoringStore;
        store->adocMain.Open();
        store->adotComputers.Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
    }

    void dropDownKeepsItsKeyThroughRefreshes()
    {
        DbLookupComboBox box;
        box.SetListSource(store->dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
        Add("alpha"); // the first entry of an empty list is not chosen by itself
        QVERIFY(box.KeyValue().isNull());
        QCOMPARE(box.currentIndex(), -1);
        Add("beta");
        box.setCurrentIndex(1); // arrow keys change the choice without closing a list
        QCOMPARE(box.KeyValue().toInt(), 2);
        store->adotComputers.Close();
        store->adotComputers.Open();
        QCOMPARE(box.KeyValue().toInt(), 2);
        QCOMPARE(box.currentText(), QStringLiteral("beta"));
        QVERIFY(store->adotComputers.Locate(QStringLiteral("ID"), 2));
        store->adotComputers.Delete();
        QCOMPARE(box.KeyValue().toInt(), 2); // the deleted key stays
        QCOMPARE(box.currentIndex(), -1);
    }

    // The close-up sees the entry just chosen, in the list by mouse or by
    // keys, and that entry is the table's current row; it runs once per
    // closing of the list, chosen or not, and never when the box is hidden.
    void dropDownCloseUpSeesTheChoiceJustMade()
    {
        Add("alpha");
        Add("beta");
        Add("gamma");
        QWidget page;
        auto *box = new DbLookupComboBox(&page);
        box->SetListSource(store->dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
        box->setGeometry(10, 10, 150, 24);
        QVERIFY(UserInput::ShowActive(&page));
        QVariantList seen;
        QStringList current;
        connect(box, &DbLookupComboBox::CloseUp, this, [&] {
            seen << box->KeyValue();
            current << store->adotComputers.Value(QStringLiteral("NAME")).toString();
        });
        UserInput::ChooseWithMouse(box, 1);
        QCOMPARE(seen, QVariantList({2}));
        QCOMPARE(current, QStringList({"beta"}));
        UserInput::ChooseWithKeys(box, 2);
        QCOMPARE(seen, QVariantList({2, 3}));
        QCOMPARE(current.last(), QStringLiteral("gamma"));
        UserInput::ChooseWithKeys(box, 0);
        QCOMPARE(seen.last().toInt(), 1);
        UserInput::OpenAndEscape(box);
        QCOMPARE(seen, QVariantList({2, 3, 1, 1}));
        UserInput::ChooseWithMouse(box, 0); // the same entry again
        QCOMPARE(seen.size(), 5);
        store->adotComputers.SetRecNo(3);
        QVERIFY(UserInput::OpenList(box));
        page.hide(); // the list goes with its window
        UserInput::Settle();
        QCOMPARE(seen.size(), 5);
        QCOMPARE(box->KeyValue().toInt(), 1);
        QCOMPARE(store->adotComputers.RecNo(), 3); // other code moved the table since
    }

    void listSelectionMovesTheCurrentRowButNotTheOtherWay()
    {
        Add("alpha");
        Add("beta");
        Add("gamma");
        DbLookupListBox list;
        list.SetListSource(store->dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy clicks(&list, &DbLookupListBox::Click);
        const QRect second = list.visualRect(list.model()->index(1, 0));
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, second.center());
        QVERIFY(list.KeyValue().isNull()); // a right click selects nothing
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(list.KeyValue().toInt(), 2);
        QCOMPARE(store->adotComputers.Value(QStringLiteral("NAME")).toString(), QStringLiteral("beta"));
        store->adotComputers.SetRecNo(3); // other code moves the table
        QCOMPARE(list.KeyValue().toInt(), 2);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.KeyValue().toInt(), 3);
        QCOMPARE(clicks.count(), 2);
    }
};

QTEST_MAIN(LookupWidgets)
#include "test_lookup_widgets.moc"
