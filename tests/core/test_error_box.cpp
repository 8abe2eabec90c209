// The error box text and the guard every handler runs in.
#include "core/handler_guard.h"

#include <QtTest>

class ErrorBox : public QObject {
    Q_OBJECT
private slots:
    void fullStopFollowsCharactersAboveIt()
    {
        QCOMPARE(ErrorBoxText(QStringLiteral("10061:Connection refused")), QStringLiteral("10061:Connection refused."));
        QCOMPARE(ErrorBoxText(QStringLiteral("Range check error")), QStringLiteral("Range check error."));
        QCOMPARE(ErrorBoxText(QStringLiteral("done.")), QStringLiteral("done."));
        QCOMPARE(ErrorBoxText(QStringLiteral("what!")), QStringLiteral("what!"));
        QCOMPARE(ErrorBoxText(QStringLiteral("file 'x'")), QStringLiteral("file 'x'"));
        QCOMPARE(ErrorBoxText(QStringLiteral("count 7")), QStringLiteral("count 7."));
        QCOMPARE(ErrorBoxText(QString()), QString());
    }

    void guardShowsOursAndSwallowsTheSilentKind()
    {
        QStringList shown;
        const ErrorSink previous = SetErrorSink([&shown](const QString &text) { shown << text; });
        QVERIFY(Guarded([] {}));
        QVERIFY(!Guarded([] { throw EVariantError(); }));
        QVERIFY(!Guarded([] { throw EAbort(); }));
        QVERIFY(!Guarded([] { throw std::runtime_error("disk full"); }));
        SetErrorSink(previous);
        QCOMPARE(shown, QStringList({"Invalid variant type conversion.", "disk full."}));
    }
};

QTEST_GUILESS_MAIN(ErrorBox)
#include "test_error_box.moc"
