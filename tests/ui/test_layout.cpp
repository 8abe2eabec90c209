// The main window at its initial and its minimum size: on every page each
// caption shows whole, no two controls overlap and the fixed widths hold.
#include "store/monitoring_store.h"
#include "ui/action_list.h"
#include "ui/main_window.h"
#include "ui/outer_geometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

namespace {

const QSize initialSize(635, 463);
const QSize minimumSize(635, 407);

QString Name(const QWidget *w) { return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName(); }

// Where a push button's style paints the caption.
QSize ButtonTextNeed(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    return button->size() - contents.size() + button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
}

// A line edit keeps two pixels each side of its text inside the frame.
QSize EditTextNeed(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const int width = edit->width() - contents.width() + 4 + edit->fontMetrics().horizontalAdvance(edit->text());
    return {width, edit->minimumSizeHint().height()};
}

// The size a control needs to show all of its text; empty for controls whose
// text is not theirs to fit (grids, lists, empty labels).
QSize TextNeed(const QWidget *w)
{
    if (const auto *button = qobject_cast<const QPushButton *>(w))
        return button->text().isEmpty() ? QSize() : ButtonTextNeed(button);
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return EditTextNeed(edit);
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text().isEmpty() ? QSize() : label->minimumSizeHint();
    // Their minimum is their text: a check box's caption, a group's title and
    // contents, a drop-down's widest entry, a picker's widest date.
    if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QGroupBox *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QDateTimeEdit *>(w))
        return w->minimumSizeHint();
    return {};
}

// The window's own controls, not the parts the toolkit builds them from.
QList<QWidget *> VisibleControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const bool own = !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
        if (w->isVisible() && (own || qobject_cast<QLabel *>(w)))
            controls << w;
    }
    return controls;
}

QStringList CutText(const QList<QWidget *> &controls)
{
    QStringList faults;
    for (const QWidget *w : controls) {
        const QSize need = TextNeed(w);
        if (w->width() < need.width() || w->height() < need.height())
            faults << QStringLiteral("%1 is %2x%3, needs %4x%5")
                          .arg(Name(w))
                          .arg(w->width())
                          .arg(w->height())
                          .arg(need.width())
                          .arg(need.height());
    }
    return faults;
}

// Within its parent; within a group, clear of the title and the frame.
QStringList OutsideParent(const QList<QWidget *> &controls)
{
    QStringList faults;
    for (const QWidget *w : controls) {
        const QWidget *parent = w->parentWidget();
        const QRect room = qobject_cast<const QGroupBox *>(parent) ? parent->contentsRect() : parent->rect();
        if (!room.contains(w->geometry()))
            faults << QStringLiteral("%1 sticks out of %2").arg(Name(w), Name(parent));
    }
    return faults;
}

QStringList Overlapping(const QList<QWidget *> &controls)
{
    QStringList faults;
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            const QWidget *a = controls[i];
            const QWidget *b = controls[j];
            if (a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()))
                faults << QStringLiteral("%1 overlaps %2").arg(Name(a), Name(b));
        }
    return faults;
}

QStringList CutTabs(const QTabBar *bar)
{
    QStringList faults;
    const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->tabRect(i);
        if (!bar->rect().contains(tab) || tab.width() < bar->fontMetrics().horizontalAdvance(bar->tabText(i)) + padding)
            faults << QStringLiteral("tab %1 is cut").arg(bar->tabText(i));
    }
    return faults;
}

} // namespace

class Layout : public QObject {
    Q_OBJECT
    TMonitoringStore store;
    TActionList actions; // gives the monitoring buttons their captions
    TfrmMain *window = nullptr;

    bool ShowPage(int page)
    {
        QTabBar *bar = window->pctlMain->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        return window->pctlMain->currentIndex() == page;
    }
    // The sizes are outer ones, frame included.
    bool Resize(QSize outer)
    {
        window->resize(outer - Frame());
        return QTest::qWaitFor([&] { return window->frameGeometry().size() == outer; }, 500);
    }
    QSize Frame() const { return window->frameGeometry().size() - window->size(); }
    template <class T> T *Find(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no component %s", name);
        return found;
    }

private slots:
    void initTestCase()
    {
        window = new TfrmMain;
        window->Bind(store, actions);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void cleanupTestCase() { delete window; }

    void opensAtTheDesignedOuterSize()
    {
        QCOMPARE(window->frameGeometry(), QRect(QPoint(195, 103), initialSize));
        QCOMPARE(window->minimumSize() + Frame(), minimumSize);
    }

    // The sizes below hold for this font; a wide fallback would not fit.
    void fontIsTheNarrowSans()
    {
        const QFontInfo font(window->font());
        QVERIFY2(QStringList({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")}).contains(font.family()),
                 qPrintable(font.family()));
        QCOMPARE(font.pixelSize(), 11);
    }

    void everyPageFits_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("page");
        for (const QSize size : {initialSize, minimumSize})
            for (int page = 0; page < 4; ++page)
                QTest::addRow("%dx%d page %d", size.width(), size.height(), page) << size << page;
    }
    void everyPageFits()
    {
        QFETCH(QSize, size);
        QFETCH(int, page);
        QVERIFY(Resize(size));
        QVERIFY(ShowPage(page));
        const QList<QWidget *> controls = VisibleControls(window);
        const QStringList faults =
            CutText(controls) + OutsideParent(controls) + Overlapping(controls) + CutTabs(window->pctlMain->tabBar());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
    }

    void fixedWidthsHoldAndTheGridTakesTheRest()
    {
        QVERIFY(ShowPage(0));
        QVERIFY(Resize(initialSize));
        const auto *grid = Find<QWidget>("dbgCurrent");
        const int initialGridWidth = grid->width();
        for (const QSize size : {initialSize, minimumSize, QSize(800, 463)}) {
            QVERIFY(Resize(size));
            QCOMPARE(Find<QLabel>("lbCurrentComp")->width(), 145);
            QCOMPARE(Find<QLabel>("lbDangerStatus")->width(), 145);
            QCOMPARE(Find<QGroupBox>("gbComputers")->width(), 185);
            QCOMPARE(window->sbMainPanel->width(), 95);
            QCOMPARE(grid->width() - initialGridWidth, size.width() - initialSize.width());
        }
    }

    void startIsAboveStop()
    {
        QVERIFY(Resize(initialSize));
        QVERIFY(ShowPage(0));
        const QRect start = Find<QPushButton>("btnStart")->geometry();
        const QRect stop = Find<QPushButton>("Button1")->geometry();
        QVERIFY(start.bottom() < stop.top());
        QCOMPARE(start.left(), stop.left());
        QCOMPARE(Find<QPushButton>("btnStart")->parentWidget(), Find<QPushButton>("Button1")->parentWidget());
    }

    // The frame is known only once the window is on screen; the client area
    // then gives up the frame's size so that the outer size stays as designed.
    void outerSizeAllowsForTheFrame()
    {
        QWidget plain;
        auto *fit = new OuterGeometry(&plain, QRect(QPoint(195, 103), initialSize), minimumSize);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        QTRY_COMPARE(plain.frameGeometry(), QRect(QPoint(195, 103), initialSize));
        fit->Fit(QMargins(4, 23, 4, 4)); // a window manager's title bar and borders
        QCOMPARE(plain.size(), QSize(627, 436));
        QCOMPARE(plain.minimumSize(), QSize(627, 380));
    }
};

QTEST_MAIN(Layout)
#include "test_layout.moc"
