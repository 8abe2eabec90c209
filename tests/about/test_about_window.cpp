// The About window: one instance, not modal, hidden by Close, centred on the
// main window the first time and kept where it was left afterwards.
#include "ui/about_window.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class AboutWindow : public QObject
{
    Q_OBJECT
    QWidget *main = nullptr;
    TfrmAbout *about = nullptr;

    int AboutWindowCount() const
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<TfrmAbout *>(widget) != nullptr;
        return count;
    }
    void ShowMain(const QRect &geometry)
    {
        main->setGeometry(geometry);
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
    }

private slots:
    void init()
    {
        main = new QWidget;
        about = new TfrmAbout;
        frmAbout = about;
    }
    void cleanup()
    {
        frmAbout = nullptr;
        delete about;
        delete main;
    }

    void startsHiddenAndDoesNotBlock()
    {
        QVERIFY(!about->isVisible());
        ShowMain(QRect(195, 103, 635, 463));
        about->ShowOver(main);
        // Returning here at all means it did not wait for the window to close.
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void aboutTwiceLeavesOneWindowInFront()
    {
        ShowMain(QRect(195, 103, 635, 463));
        about->ShowOver(main);
        QVERIFY(QTest::qWaitForWindowActive(about));
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));

        about->ShowOver(main);
        QVERIFY(QTest::qWaitForWindowActive(about));
        QCOMPARE(QApplication::activeWindow(), about);
        QCOMPARE(AboutWindowCount(), 1);
    }

    void closeHidesWithoutDestroying()
    {
        ShowMain(QRect(195, 103, 635, 463));
        QPointer<TfrmAbout> alive(about);
        about->ShowOver(main);
        QTest::mouseClick(about->btnOk, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QVERIFY(alive);

        about->ShowOver(main);
        QVERIFY(about->close()); // the close box
        QVERIFY(!about->isVisible());
        QVERIFY(alive);
        QCOMPARE(AboutWindowCount(), 1);

        about->ShowOver(main);
        QVERIFY(about->isVisible());
    }

    void firstShowCentresOnMainWindow()
    {
        ShowMain(QRect(195, 103, 635, 463));
        about->ShowOver(main);
        const QPoint offset = about->frameGeometry().center() - main->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
    }

    void centringNeverGoesPastTheTopLeftCorner()
    {
        ShowMain(QRect(0, 0, 100, 60)); // smaller than the About window
        about->ShowOver(main);
        QCOMPARE(about->frameGeometry().topLeft(), QPoint(0, 0));
    }

    void laterShowsKeepWhereItWasLeft()
    {
        ShowMain(QRect(195, 103, 635, 463));
        about->ShowOver(main);
        about->move(20, 30);
        QTest::mouseClick(about->btnOk, Qt::LeftButton); // closed with its button
        main->move(400, 300);

        about->ShowOver(main);
        QCOMPARE(about->frameGeometry().topLeft(), QPoint(20, 30));
    }
};

QTEST_MAIN(AboutWindow)
#include "test_about_window.moc"
