#include "timeline/entrylist.h"
#include "timeline/numbertext.h"

#include "app/failure.h"

#include <QTest>

using editor::TimelineEntry;
using Entries = QList<TimelineEntry>;

class TestEntryList : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void details_data();
    void details();
    void roundTripAtCapacity_data();
    void roundTripAtCapacity();
    void separatorsDetected_data();
    void separatorsDetected();
    void numericText_data();
    void numericText();
    void wholeNumber_data();
    void wholeNumber();
};

void TestEntryList::encode_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty list is the empty text") << Entries{} << QString();
    QTest::newRow("one entry ends with the terminator")
        << Entries{{"1955", "High school"}}
        << QStringLiteral("1955||MySeparator123||High school||MySeparator234||");
    QTest::newRow("two entries keep their blanks")
        << Entries{{" 1955 ", " a b "}, {"Apr 2000", "x"}}
        << QStringLiteral(" 1955 ||MySeparator123|| a b ||MySeparator234||"
                          "Apr 2000||MySeparator123||x||MySeparator234||");
    QTest::newRow("empty notes") << Entries{{"d", ""}}
                                 << QStringLiteral("d||MySeparator123||||MySeparator234||");
    // Kept beside the list, so a version without them reads the list as it always did.
    QTest::newRow("category and milestone are not in the list")
        << Entries{{"1955", "a", "Work", true}}
        << QStringLiteral("1955||MySeparator123||a||MySeparator234||");
}

void TestEntryList::encode()
{
    QFETCH(Entries, entries);
    QFETCH(QString, stored);
    QCOMPARE(editor::encodeEntryList(entries), stored);
}

void TestEntryList::decode_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<Entries>("entries");
    QTest::newRow("empty text") << QString() << Entries{};
    QTest::newRow("terminator alone") << QStringLiteral("||MySeparator234||") << Entries{};
    QTest::newRow("blanks and terminators")
        << QStringLiteral("   ||MySeparator234|| ||MySeparator234||") << Entries{};
    QTest::newRow("two entries, blanks inside kept")
        << QStringLiteral(" 1955 ||MySeparator123|| a b ||MySeparator234||"
                          "Apr 2000||MySeparator123||x||MySeparator234||")
        << Entries{{" 1955 ", " a b "}, {"Apr 2000", "x"}};
    QTest::newRow("last terminator missing")
        << QStringLiteral("a||MySeparator123||b||MySeparator234||c||MySeparator123||d")
        << Entries{{"a", "b"}, {"c", "d"}};
    QTest::newRow("empty notes part gives empty notes")
        << QStringLiteral("a||MySeparator123||||MySeparator234||") << Entries{{"a", ""}};
    // The choice for a piece without a field separator: kept as a date, nothing lost.
    QTest::newRow("piece without field separator is a date with empty notes")
        << QStringLiteral("lonely||MySeparator234||a||MySeparator123||b||MySeparator234||")
        << Entries{{"lonely", ""}, {"a", "b"}};
    QTest::newRow("notes cut at a second field separator")
        << QStringLiteral("a||MySeparator123||b||MySeparator123||c||MySeparator234||")
        << Entries{{"a", "b"}};
    QTest::newRow("separators compared case-sensitively")
        << QStringLiteral("a||myseparator123||b||MySeparator234||")
        << Entries{{"a||myseparator123||b", ""}};
    QTest::newRow("a tab is content, not a blank")
        << QStringLiteral("\t||MySeparator234||") << Entries{{"\t", ""}};
    QTest::newRow("half a terminator stays in the text")
        << QStringLiteral("a||MySeparator123||b||MySep") << Entries{{"a", "b||MySep"}};
}

void TestEntryList::decode()
{
    QFETCH(QString, stored);
    QFETCH(Entries, entries);
    QCOMPARE(editor::decodeEntryList(stored), entries);
}

void TestEntryList::details_data()
{
    // The details this version wrote for `written`, with `extra` after them; the stored
    // list as `now` holds it, changed since by a version or a hand that kept no details.
    QTest::addColumn<Entries>("written");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<Entries>("now");
    const Entries written{
        {"1", "a", "Work"}, {"2", "b"}, {"3", "c", "", true}, {"4", "d", "Home", true}};
    QTest::newRow("round trip") << written << QString() << written;
    QTest::newRow("rows sorted and one inserted elsewhere: the details follow their entries")
        << written << QString()
        << Entries{{"0", "new"},
                   {"4", "d", "Home", true},
                   {"2", "b"},
                   {"1", "a", "Work"},
                   {"3", "c", "", true}};
    QTest::newRow("rows deleted or retyped lose theirs, no other row takes them")
        << written << QString() << Entries{{"1", "a", "Work"}, {"3", "c changed"}};
    const QString sep = QStringLiteral("||MySeparator123||");
    const QString end = QStringLiteral("||MySeparator234||");
    QTest::newRow("hostile pieces are passed over")
        << Entries{{"1", "a"}}
        << QStringLiteral("x") + sep + "f" + sep + "Bad" + sep + "1" + end + "-1" + sep + "f" +
               sep + "Bad" + end + "99999999999999999999" + sep + "f" + sep + "Bad" + sep + end +
               "0" + sep + "only two" + end + "   " + end + "0" + sep + "f" + sep + "Bad" + sep +
               "1"
        << Entries{{"1", "a"}};
}

void TestEntryList::details()
{
    QFETCH(Entries, written);
    QFETCH(QString, extra);
    QFETCH(Entries, now);
    Entries read = editor::decodeEntryList(editor::encodeEntryList(now));
    editor::decodeEntryDetails(editor::encodeEntryDetails(written) + extra, read);
    QCOMPARE(read, now);
}

void TestEntryList::roundTripAtCapacity_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one") << 1;
    QTest::newRow("the most a list holds") << editor::kMaxListEntries;
    QTest::newRow("one past it comes back whole") << editor::kMaxListEntries + 1;
}

void TestEntryList::roundTripAtCapacity()
{
    QFETCH(int, count);
    Entries entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append({QString::number(1000 + i % 9000), QStringLiteral(" note %1 ").arg(i),
                        i % 3 ? QString() : QStringLiteral("c%1").arg(i % 7), i % 5 == 0});
    const QString stored = editor::encodeEntryList(entries);
    Entries back = editor::decodeEntryList(stored);
    editor::decodeEntryDetails(editor::encodeEntryDetails(entries), back);
    QCOMPARE(back.size(), count);
    QCOMPARE(back, entries);
}

void TestEntryList::separatorsDetected_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("contains");
    QTest::newRow("plain") << QStringLiteral("Moved to Atlanta") << false;
    QTest::newRow("field separator") << QStringLiteral("a||MySeparator123||b") << true;
    QTest::newRow("terminator") << QStringLiteral("||MySeparator234||") << true;
    QTest::newRow("pipes alone") << QStringLiteral("a || b") << false;
    // Stored beside a separator these complete a terminator, splitting the row on reload.
    QTest::newRow("completes a terminator after it")
        << QStringLiteral("1999||MySeparator234|") << true;
    QTest::newRow("completes a terminator before it")
        << QStringLiteral("MySeparator234||x") << true;
}

void TestEntryList::separatorsDetected()
{
    QFETCH(QString, text);
    QFETCH(bool, contains);
    QCOMPARE(editor::containsSeparator(text), contains);
}

void TestEntryList::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("year") << QStringLiteral("1955") << true;
    QTest::newRow("blanks around") << QStringLiteral(" 1955 ") << true;
    QTest::newRow("letter inside") << QStringLiteral("19x5") << false;
    QTest::newRow("negative") << QStringLiteral("-300") << true;
    QTest::newRow("fraction") << QStringLiteral("1955.5") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("infinity") << QStringLiteral("inf") << false;
    QTest::newRow("not a number") << QStringLiteral("nan") << false;
}

void TestEntryList::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(editor::isNumericText(text), numeric);
}

void TestEntryList::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("failure");
    QTest::newRow("one") << QStringLiteral("1") << 1 << QString();
    QTest::newRow("blanks") << QStringLiteral(" 3 ") << 3 << QString();
    QTest::newRow("half rounds to even, down") << QStringLiteral("2.5") << 2 << QString();
    QTest::newRow("half rounds to even, up") << QStringLiteral("3.5") << 4 << QString();
    QTest::newRow("largest") << QStringLiteral("32767") << 32767 << QString();
    QTest::newRow("one past the largest") << QStringLiteral("32768") << 0 << "Overflow";
    QTest::newRow("letters") << QStringLiteral("x") << 0 << "Type mismatch";
    QTest::newRow("empty") << QString() << 0 << "Type mismatch";
}

void TestEntryList::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(QString, failure);
    try {
        const int converted = editor::toWholeNumber(text);
        QVERIFY2(failure.isEmpty(), "expected a failure");
        QCOMPARE(converted, number);
    } catch (const app::Failure& error) {
        QCOMPARE(error.description(), failure);
    }
}

QTEST_GUILESS_MAIN(TestEntryList)
#include "tst_entrylist.moc"
