#pragma once
// What a user does with the mouse and the keyboard, as real input events on
// the controls: drop-downs opened and chosen in, list entries clicked, pages
// chosen on the tab bar, edits typed into and left. Each step ends with the
// event loop having run, as it does between a person's actions.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

namespace UserInput {

inline void Settle() { QCoreApplication::processEvents(); }

// Shows the window and gives it the keyboard, as a click on it would.
inline bool ShowActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// After a popup closes the window system gives its window the keyboard
// back; the offscreen platform leaves no window active.
inline void BackTo(QWidget *widget)
{
    QWidget *window = widget->window();
    if (QApplication::activeWindow() != window) {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    Settle();
}

inline void ClickTab(QTabWidget *pages, int index)
{
    QTabBar *bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    Settle();
}

inline bool OpenList(QComboBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton);
    return QTest::qWaitFor([box] { return box->view()->isVisible(); }, 2000);
}

// Clicks the drop-down, moves the pointer to the entry in the open list and
// clicks it.
inline void ChooseWithMouse(QComboBox *box, int row)
{
    QVERIFY2(OpenList(box), "the list did not open");
    QAbstractItemView *list = box->view();
    const QModelIndex entry = box->model()->index(row, box->modelColumn());
    list->scrollTo(entry);
    const QPoint at = list->visualRect(entry).center();
    QTest::mouseMove(list->viewport(), at + QPoint(0, 12)); // a real pointer travels to the entry
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!list->isVisible());
    BackTo(box);
}

// Opens the list with F4, walks to the entry with the arrow keys, takes it
// with Enter.
inline void ChooseWithKeys(QComboBox *box, int row)
{
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_F4);
    QAbstractItemView *list = box->view();
    QTRY_VERIFY(list->isVisible());
    for (int step = 0; step <= box->count() + 1 && list->currentIndex().row() != row; ++step)
        QTest::keyClick(list, list->currentIndex().row() < row ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(list->currentIndex().row(), row);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    BackTo(box);
}

// Opens the list and closes it again without choosing.
inline void OpenAndEscape(QComboBox *box)
{
    QVERIFY2(OpenList(box), "the list did not open");
    QTest::keyClick(box->view(), Qt::Key_Escape);
    QTRY_VERIFY(!box->view()->isVisible());
    BackTo(box);
}

// Opens the menu of the menu bar with a click and clicks the entry.
inline void ChooseMenuEntry(QMenuBar *bar, QMenu *menu, QAction *entry)
{
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    QTRY_VERIFY(!menu->isVisible());
    Settle();
}

// A right click as the window system delivers it, context menu included.
inline void RightClick(QWidget *widget, QPoint at)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, widget->mapTo(window, at));
    Settle();
}

// Right-clicks the widget and clicks the entry of the context menu that
// opens, or with no entry closes it with Escape (the menu runs its own event
// loop meanwhile).
inline void ChooseContextEntry(QWidget *widget, QPoint at, QMenu *menu, QAction *entry)
{
    QTimer poll;
    bool chosen = false;
    QObject::connect(&poll, &QTimer::timeout, menu, [&] {
        if (!menu->isVisible())
            return;
        poll.stop();
        if (entry)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        else
            QTest::keyClick(menu, Qt::Key_Escape);
        chosen = true;
    });
    poll.start(5);
    RightClick(widget, at);
    QVERIFY2(chosen, "no context menu opened");
    Settle();
}

inline QPoint EntryCentre(QListView *list, int row)
{
    const QModelIndex entry = list->model()->index(row, 0);
    list->scrollTo(entry);
    return list->visualRect(entry).center();
}

inline void ClickEntry(QListView *list, int row, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(list->viewport(), button, {}, EntryCentre(list, row));
    Settle();
}

// A left click with Shift or Ctrl held, as when choosing several entries.
inline void ClickEntryHolding(QListView *list, int row, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, EntryCentre(list, row));
    Settle();
}

// Through the window system, which turns the second press into the double
// click, after the first press and release.
// The entries a list shows, top to bottom.
inline QStringList ListedNames(QListView *list)
{
    QStringList names;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        names << list->model()->index(r, 0).data().toString();
    return names;
}

inline void DoubleClickEntry(QListView *list, int row)
{
    QWidget *window = list->window();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       list->viewport()->mapTo(window, EntryCentre(list, row)));
    Settle();
}

// Clicks into the edit, replaces its text by typing, and leaves it with Tab.
inline void TypeAndTabAway(QLineEdit *edit, const QString &text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    Settle();
}

} // namespace UserInput
