// The date reader across locales, and the three list functions built on it: the sort, the
// time axis and the order check.
#include "timeline/datereader.h"

#include <QTest>

using editor::DateReader;
using Entries = QList<editor::TimelineEntry>;

namespace {
Entries datesOnly(const QStringList& dates)
{
    Entries entries;
    for (const QString& date : dates)
        entries.append({date, QStringLiteral("n")});
    return entries;
}
} // namespace

class TestDateReader : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void spans_data();
    void spans();
    void sortKeepsOrderOfEqualAndUnread();
    void timeAxis_data();
    void timeAxis();
    void orderNotesNameTheRowThatBreaksTheOrder();
};

void TestDateReader::read_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date"); // year-month-day, or empty: not understood

    const auto row = [](const char* locale, int scale, const QString& text, const char* date) {
        QTest::addRow("%s %d \"%s\"", locale, scale, qPrintable(text))
            << QString::fromLatin1(locale) << scale << text << QString::fromLatin1(date);
    };
    row("en_US", 1, QStringLiteral(" 1955 "), "1955-1-1");
    row("en_US", 1, QStringLiteral("-500"), "-500-1-1");
    row("en_US", 1, QStringLiteral("19x5"), "");
    row("en_US", 1, QStringLiteral("1955.5"), "");
    row("en_US", 1, QStringLiteral("2000-04"), "");
    row("en_US", 1, QStringLiteral("  "), "");
    row("en_US", 2, QStringLiteral("Apr 2000"), "2000-4-1");
    row("en_US", 2, QStringLiteral(" april  2000 "), "2000-4-1");
    row("en_US", 2, QStringLiteral("2000-04"), "2000-4-1");
    row("en_US", 2, QStringLiteral("04/2000"), "2000-4-1");
    row("en_US", 2, QStringLiteral("4/2000"), "2000-4-1");
    row("en_US", 2, QStringLiteral("13/2000"), "");
    row("en_US", 2, QStringLiteral("2000-13"), "");
    row("en_US", 2, QStringLiteral("Apr 00"), "");
    row("en_US", 2, QStringLiteral("Spring 2000"), "");
    row("en_US", 2, QStringLiteral("5/3/2010"), "");
    row("en_US", 3, QStringLiteral("5/3/2010"), "2010-5-3");
    row("en_US", 3, QStringLiteral("2010-05-03"), "2010-5-3");
    row("en_US", 3, QStringLiteral("3 May 2010"), "2010-5-3");
    row("en_US", 3, QStringLiteral("May 3, 2010"), "2010-5-3");
    row("en_US", 3, QStringLiteral("3.5.2010"), "2010-5-3");
    row("en_US", 3, QStringLiteral("2/29/2000"), "2000-2-29");
    row("en_US", 3, QStringLiteral("2/29/1900"), "");
    row("en_US", 3, QStringLiteral("13/5/2010"), ""); // day first would read, the locale's not
    row("en_US", 3, QStringLiteral("1/32/2010"), "");
    row("en_US", 3, QStringLiteral("2010/05/03"), "");
    row("en_US", 3, QStringLiteral("5/3/10"), "");
    row("en_US", 3, QStringLiteral("2010-5-3"), "");
    row("en_US", 3, QStringLiteral("Apr 2000"), "");
    row("en_US", 3, QStringLiteral("about 5/3/2010"), "");
    row("en_GB", 3, QStringLiteral("5/3/2010"), "2010-3-5");
    row("en_GB", 3, QStringLiteral("29/02/2024"), "2024-2-29");
    row("en_GB", 3, QStringLiteral("2/29/2000"), "");
    row("en_GB", 2, QStringLiteral("Sept 2000"), "2000-9-1");
    row("de_DE", 3, QStringLiteral("5/3/2010"), "2010-3-5");
    row("de_DE", 3, QStringLiteral("3. Mai 2010"), "2010-5-3");
    row("de_DE", 3, QStringLiteral("31.04.2010"), "");
    row("de_DE", 3, QStringLiteral("29.2.2023"), "");
    row("de_DE", 2, QStringLiteral("März 2000"), "2000-3-1");
    row("de_DE", 2, QStringLiteral("Dez. 2000"), "2000-12-1");
    row("fr_FR", 2, QStringLiteral("avr. 2000"), "2000-4-1");
    row("fr_FR", 2, QStringLiteral("Février 2000"), "2000-2-1");
    row("fr_FR", 3, QStringLiteral("3\u00a0mai 2010"), "2010-5-3");
    row("fr_FR", 3, QStringLiteral("5/3/2010"), "2010-3-5");
    row("fr_FR", 3, QStringLiteral("32/01/2010"), "");
    row("ja_JP", 3, QStringLiteral("2010/05/03"), "2010-5-3");
    row("ja_JP", 3, QStringLiteral("5/3/2010"), "");
    row("ja_JP", 2, QStringLiteral("4月 2000"), "2000-4-1");
    row("ja_JP", 2, QStringLiteral("Apr 2000"), "2000-4-1");
    row("ja_JP", 1,
        QStringLiteral("\u2212"
                       "44"),
        "-44-1-1");
}

void TestDateReader::read()
{
    QFETCH(QString, locale);
    QFETCH(int, scale);
    QFETCH(QString, text);
    QFETCH(QString, date);
    const std::optional<editor::DatePoint> point = DateReader(scale, QLocale(locale)).read(text);
    if (date.isEmpty()) {
        QVERIFY2(!point, qPrintable(QString::number(point ? point->day : 0)));
        return;
    }
    QVERIFY(point);
    // The leading minus of a year before the common era.
    const QStringList parts = date.sliced(date.startsWith(u'-') ? 1 : 0).split(u'-');
    const qint64 year =
        date.startsWith(u'-') ? -parts.at(0).toLongLong() : parts.at(0).toLongLong();
    QCOMPARE(point->day, editor::daysFromCivil(year, parts.at(1).toInt(), parts.at(2).toInt()));
    QCOMPARE(point->precision, scale == 1   ? editor::DatePrecision::Year
                               : scale == 2 ? editor::DatePrecision::Month
                                            : editor::DatePrecision::Day);
}

void TestDateReader::spans_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start"); // as in read(): empty when not understood
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("fault"); // the rule of "Add Timeline", in the C locale

    const auto row = [](const char* locale, int scale, const QString& text, const char* start,
                        const char* end, editor::EntryFault fault) {
        QTest::addRow("%s %d \"%s\"", locale, scale, qPrintable(text))
            << QString::fromLatin1(locale) << scale << text << QString::fromLatin1(start)
            << QString::fromLatin1(end) << int(fault);
    };
    using F = editor::EntryFault;
    row("en_US", 1, QStringLiteral("1939\u20131945"), "1939-1-1", "1945-1-1", F::None);
    row("en_US", 1, QStringLiteral("1939 to 1945"), "1939-1-1", "1945-1-1", F::None);
    row("en_US", 1, QStringLiteral(" 1914-1918 "), "1914-1-1", "1918-1-1", F::None);
    row("en_US", 1, QStringLiteral("-500 - -400"), "-500-1-1", "-400-1-1", F::None);
    row("en_US", 1, QStringLiteral("-500-400"), "-500-1-1", "400-1-1", F::None);
    row("en_US", 1, QStringLiteral("1945\u20131939"), "", "", F::EndBeforeStart);
    row("en_US", 1, QStringLiteral("1939\u20131945\u20131950"), "", "", F::NotAYear);
    row("en_US", 1, QStringLiteral("1939 to"), "", "", F::NotAYear);
    row("en_US", 1, QStringLiteral("WW2 1939-1945"), "", "", F::NotAYear);
    row("en_US", 2, QStringLiteral("Mar 2020 \u2013 Jun 2021"), "2020-3-1", "2021-6-1", F::None);
    row("en_US", 2, QStringLiteral("2020-03 - 2020-03"), "2020-3-1", "2020-3-1", F::None);
    row("en_US", 2, QStringLiteral("2000-04"), "2000-4-1", "2000-4-1", F::None);
    row("en_US", 2, QStringLiteral("Jun 2021 to Mar 2020"), "", "", F::EndBeforeStart);
    row("en_US", 2, QStringLiteral("spring - Jun 2021"), "", "", F::None);
    row("en_US", 3, QStringLiteral("2020-03-01 \u2013 2020-06-30"), "2020-3-1", "2020-6-30",
        F::None);
    row("en_US", 3, QStringLiteral("3 May 2010 \u2013 9 May 2010"), "2010-5-3", "2010-5-9",
        F::None);
    row("en_US", 3, QStringLiteral("5/3/2010 - 5/9/2010"), "2010-5-3", "2010-5-9", F::None);
    row("en_US", 3, QStringLiteral("2010-05-03-2010-05-09"), "", "", F::None);
    // Yearly spans read the same in every locale: numbers and the three joiners.
    row("en_GB", 1, QStringLiteral("1914 to 1918"), "1914-1-1", "1918-1-1", F::None);
    row("de_DE", 1, QStringLiteral("1939 - 1945"), "1939-1-1", "1945-1-1", F::None);
    row("fr_FR", 1, QStringLiteral("1914-1918"), "1914-1-1", "1918-1-1", F::None);
    row("fr_FR", 1, QStringLiteral("1918\u20131914"), "", "", F::EndBeforeStart);
    row("en_GB", 3, QStringLiteral("5/3/2010 to 9/3/2010"), "2010-3-5", "2010-3-9", F::None);
    row("en_GB", 2, QStringLiteral("Sept 2000 \u2013 Oct 2000"), "2000-9-1", "2000-10-1", F::None);
    row("de_DE", 3, QStringLiteral("3. Mai 2010 \u2013 9. Mai 2010"), "2010-5-3", "2010-5-9",
        F::None);
    row("de_DE", 3, QStringLiteral("9.5.2010 - 3.5.2010"), "", "", F::EndBeforeStart);
    row("de_DE", 2, QStringLiteral("März 2000 \u2013 Dez. 2000"), "2000-3-1", "2000-12-1", F::None);
    row("fr_FR", 3, QStringLiteral("3\u00a0mai 2010 \u2013 5/6/2010"), "2010-5-3", "2010-6-5",
        F::None);
    row("fr_FR", 2, QStringLiteral("avr. 2000 to Février 2001"), "2000-4-1", "2001-2-1", F::None);
    row("ja_JP", 3, QStringLiteral("2010/05/03 \u2013 2010/05/09"), "2010-5-3", "2010-5-9",
        F::None);
    row("ja_JP", 2, QStringLiteral("4月 2000 - 6月 2000"), "2000-4-1", "2000-6-1", F::None);
    row("ja_JP", 1, QStringLiteral("\u221244\u2013\u221240"), "-44-1-1", "-40-1-1", F::None);
}

void TestDateReader::spans()
{
    QFETCH(QString, locale);
    QFETCH(int, scale);
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, fault);
    const auto dayOf = [](const QString& date) {
        const QStringList parts = date.sliced(date.startsWith(u'-') ? 1 : 0).split(u'-');
        const qint64 year = parts.at(0).toLongLong() * (date.startsWith(u'-') ? -1 : 1);
        return editor::daysFromCivil(year, parts.at(1).toInt(), parts.at(2).toInt());
    };
    const DateReader reader(scale, QLocale(locale));
    const std::optional<editor::DateSpan> span = reader.readSpan(text);
    QCOMPARE(span.has_value(), !start.isEmpty());
    if (span) {
        QCOMPARE(span->start.day, dayOf(start));
        QCOMPARE(span->end.day, dayOf(end));
        QCOMPARE(reader.read(text)->day, span->start.day);
    }
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(int(editor::dateFault(text, scale)), fault);
    QLocale::setDefault(previous);
}

void TestDateReader::sortKeepsOrderOfEqualAndUnread()
{
    // Known days anchor the day count: the epoch, and the last day before the common era.
    QCOMPARE(editor::daysFromCivil(1970, 1, 1), 0);
    QCOMPARE(editor::daysFromCivil(2000, 3, 1) - editor::daysFromCivil(2000, 2, 28), 2);
    QCOMPARE(editor::daysFromCivil(1, 1, 1) - editor::daysFromCivil(0, 12, 31), 1);
    const editor::DateOrder order = editor::sortedByDate(
        datesOnly({"1980", "spring", "1950", " 1980", "x", "-1960"}), DateReader(1, QLocale::c()));
    QCOMPARE(order.rows, (QList<int>{5, 2, 0, 3, 1, 4}));
    QCOMPARE(order.unreadLines, (QList<int>{2, 5}));
    // A span by its start, then its end.
    QCOMPARE(editor::sortedByDate(datesOnly({"1950-1960", "1940", "1950", "1950 to 1955"}),
                                  DateReader(1, QLocale::c()))
                 .rows,
             (QList<int>{1, 2, 3, 0}));
}

void TestDateReader::timeAxis_data()
{
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QList<double>>("places");
    QTest::addColumn<QList<int>>("unreadLines");
    QTest::newRow("gaps 1:1:4:4") << QStringList{"1900", "1910", "1920", "1960", "2000"}
                                  << QList<double>{0, 0.1, 0.2, 0.6, 1} << QList<int>{};
    QTest::newRow("out of order: earliest 0, latest 1")
        << QStringList{"2000", "1900", "1950"} << QList<double>{1, 0, 0.5} << QList<int>{};
    QTest::newRow("a row not read: even")
        << QStringList{"1900", "c. 1910", "1920", "2000", "?"}
        << QList<double>{0, 0.25, 0.5, 0.75, 1} << QList<int>{2, 5};
    QTest::newRow("all equal: even")
        << QStringList{"1900", "1900", "1900"} << QList<double>{0, 0.5, 1} << QList<int>{};
    QTest::newRow("one entry") << QStringList{"1900"} << QList<double>{0.5} << QList<int>{};
    QTest::newRow("none") << QStringList{} << QList<double>{} << QList<int>{};
}

void TestDateReader::timeAxis()
{
    QFETCH(QStringList, dates);
    QFETCH(QList<double>, places);
    QFETCH(QList<int>, unreadLines);
    const editor::TimeAxis axis =
        editor::placeOnTimeAxis(datesOnly(dates), DateReader(1, QLocale::c()));
    QCOMPARE(axis.unreadLines, unreadLines);
    QCOMPARE(axis.places.size(), places.size());
    // Years differ by their leap days, a few in ten thousand.
    for (qsizetype i = 0; i < places.size(); ++i)
        QVERIFY2(qAbs(axis.places.at(i) - places.at(i)) < 1e-3,
                 qPrintable(QString::number(axis.places.at(i))));
}

void TestDateReader::orderNotesNameTheRowThatBreaksTheOrder()
{
    const QHash<int, QString> notes = editor::dateOrderNotes(
        datesOnly({"1950", " 1980 ", "1975", "later", "1978", "1978", "1970"}),
        DateReader(1, QLocale::c()));
    QCOMPARE(notes,
             (QHash<int, QString>{{2, "1975 comes after 1980"}, {6, "1970 comes after 1978"}}));
    QVERIFY(editor::dateOrderNotes(datesOnly({"Apr 2000", "May 2000", "May 2000"}),
                                   DateReader(2, QLocale::c()))
                .isEmpty());
    QCOMPARE(editor::dateOrderNotes(datesOnly({"1939\u20131945", "1939 - 1941", "1940"}),
                                    DateReader(1, QLocale::c())),
             (QHash<int, QString>{{1, "1939 - 1941 comes after 1939\u20131945"}}));
}

QTEST_GUILESS_MAIN(TestDateReader)
#include "tst_datereader.moc"
