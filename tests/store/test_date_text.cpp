// Date-time texts in the user's locale, and the store's DateValue and
// TimeValue reading them back exactly.
#include "store/date_text.h"
#include "store_fixture.h"

#include <QtTest>

class DateText : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;

    // Blocks counted by the history filter's bound condition.
    int CountWhere(const QString &op, const QDateTime &bound)
    {
        Query query(store->adocMain);
        query.SetSQL({QStringLiteral("select count(*) as n from t__blocks b where b.DATETIME %1 ( DateValue('%2') + "
                                     "TimeValue('%3') )")
                          .arg(op, DateTimeText(bound), DateTimeText(bound))});
        query.Open();
        return query.Value(QStringLiteral("n")).toInt();
    }

private slots:
    void init()
    {
        fixture = new StoreFixture;
        store = new TMonitoringStore;
        store->adocMain.Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
        QLocale::setDefault(QLocale::c());
    }

    void boundsAreExactToTheSecond_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("en_US") << QStringLiteral("en_US");
        QTest::newRow("de_DE") << QStringLiteral("de_DE");
        QTest::newRow("ja_JP") << QStringLiteral("ja_JP");
    }
    void boundsAreExactToTheSecond()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const QDateTime at(QDate(2005, 3, 23), QTime(22, 0, 0)); // an evening: 12-hour clocks say PM
        fixture->AddBlock(1, 1, at);
        QCOMPARE(CountWhere(QStringLiteral(">"), at), 0);
        QCOMPARE(CountWhere(QStringLiteral("<="), at), 1);
        QCOMPARE(CountWhere(QStringLiteral(">"), at.addSecs(-1)), 1);
        QCOMPARE(CountWhere(QStringLiteral("<="), at.addSecs(-1)), 0);
    }

    void textsRoundTripWithFourDigitYears_data() { boundsAreExactToTheSecond_data(); }
    void textsRoundTripWithFourDigitYears()
    {
        QFETCH(QString, locale);
        const QLocale l(locale);
        for (const QDateTime &value : {QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)),
                                       QDateTime(QDate(2049, 1, 2), QTime(0, 0, 1)),
                                       QDateTime(QDate(2026, 7, 4), QTime(12, 30, 0))}) {
            const QString text = DateTimeText(value, l);
            QVERIFY2(text.contains(QString::number(value.date().year())), qPrintable(text));
            QCOMPARE(ParseDateTimeText(text, l), value);
        }
        const QString midnight = DateTimeText(QDateTime(QDate(2026, 7, 4), QTime(0, 0)), l);
        QCOMPARE(midnight, l.toString(QDate(2026, 7, 4), ShortDateFormat(l))); // no time part
        QCOMPARE(ParseDateTimeText(midnight, l), QDateTime(QDate(2026, 7, 4), QTime(0, 0)));
    }

    void unreadableTextFailsTheStatement()
    {
        Query query(store->adocMain);
        query.SetSQL({QStringLiteral("select DateValue('next tuesday') as d")});
        try {
            query.Open();
            QFAIL("an unreadable date was accepted");
        } catch (const EDatabaseError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("next tuesday")), qPrintable(e.message()));
        }
    }

    // A row filter on a day bound must not read the date text again per row:
    // each call sits behind a Once that skips it after the first row.
    void dayBoundsAreReadOncePerRun()
    {
        Query program(store->adocMain);
        program.SetSQL({QStringLiteral("explain select count(*) from t__blocks b where b.COMPUTER_ID = 1 and "
                                       "b.DATETIME >= ( DateValue('%1') + TimeValue('%1') )")
                            .arg(DateTimeText(QDateTime(QDate(2026, 7, 4), QTime(9, 30))))});
        program.Open();
        const auto value = [&](int p, const char *column) {
            return program.ValueAt(p, program.FieldIndex(QLatin1String(column))).toString();
        };
        QList<std::pair<int, int>> once; // from, to
        int calls = 0;
        for (int p = 0; p < program.RecordCount(); ++p) {
            const int address = value(p, "addr").toInt();
            if (value(p, "opcode") == QLatin1String("Once"))
                once.append({address, value(p, "p2").toInt()});
            if (!value(p, "p4").endsWith(QStringLiteral("value(1)")))
                continue;
            ++calls;
            QVERIFY2(std::any_of(once.begin(), once.end(),
                                 [&](const auto &range) { return range.first < address && address < range.second; }),
                     qPrintable(QStringLiteral("call at %1 runs for every row").arg(address)));
        }
        QCOMPARE(calls, 2);
    }

    void unnamedColumnsAreNumberedFromExpr1000()
    {
        Query query(store->adocMain);
        query.SetSQL({QStringLiteral("select count(*), 1 + 1, max(ID) as top, ID from t__ptype")});
        query.Open();
        QStringList names;
        for (int f = 0; f < query.FieldCount(); ++f)
            names << query.Field(f).name;
        QCOMPARE(names, QStringList({"Expr1000", "Expr1001", "top", "ID"}));
    }
};

QTEST_GUILESS_MAIN(DateText)
#include "test_date_text.moc"
