#include "timeline/entrytable.h"

#include "support/textbytes.h"

#include <QTest>

using editor::TimelineEntry;
using Entries = QList<TimelineEntry>;

namespace {
// "line:date|notes" per row, so a failing row shows where it came from; then
// "|category" and "|*" for a milestone when the entry has either.
QStringList describeRows(const editor::EntryTable& table)
{
    QStringList out;
    for (const editor::TableRow& row : table.rows) {
        QString text =
            QStringLiteral("%1:%2|%3").arg(row.line).arg(row.entry.date, row.entry.notes);
        if (row.entry.hasDetails())
            text += u'|' + row.entry.category + (row.entry.milestone ? "|*" : "");
        out.append(text);
    }
    return out;
}

QList<int> problemLines(const editor::EntryTable& table)
{
    QList<int> lines;
    for (const editor::TableProblem& problem : table.problems)
        lines.append(problem.line);
    return lines;
}

Entries entriesOf(const editor::EntryTable& table)
{
    Entries entries;
    for (const editor::TableRow& row : table.rows)
        entries.append(row.entry);
    return entries;
}
} // namespace

class TestEntryTable : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void check_data();
    void check();
    void writeQuotes();
    void writeGuardsFormulas();
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
};

void TestEntryTable::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("problemLines");

    QTest::newRow("csv: bom, header, quoting, line numbers after a quoted break")
        << QStringLiteral("\uFEFFDate,Notes\r\n\"Apr 3, 2000\",\"He said \"\"go\"\"\"\r\n"
                          "1960,\"two\r\nlines\"\r\n 1970 , spaced \r\n")
        << QStringList{"2:Apr 3, 2000|He said \"go\"", "3:1960|two\r\nlines", "5: 1970 | spaced "}
        << QList<int>{};
    QTest::newRow("csv: header only counts first; blank lines and empty columns skipped")
        << QStringLiteral("\n1955,a,,\n   \nDate,Notes\n\"\",\nx\n")
        << QStringList{"2:1955|a", "4:Date|Notes", "5:|", "6:x|"} << QList<int>{};
    QTest::newRow("csv: lone CR ends a line, quotes inside an unquoted field are text")
        << QStringLiteral("a,5\" of rain\rb,c") << QStringList{"1:a|5\" of rain", "2:b|c"}
        << QList<int>{};
    QTest::newRow("tsv: a tab in the first line, commas are text, spreadsheet quoting")
        << QStringLiteral("Date\tNotes\nApr 3, 2000\tLaunch, then rest\n"
                          "\"1\t2\"\t\"multi\nline \"\"q\"\"\"\n2001\tx\t\t\n")
        << QStringList{"2:Apr 3, 2000|Launch, then rest", "3:1\t2|multi\nline \"q\"", "5:2001|x"}
        << QList<int>{};
    QTest::newRow("tsv: a comma before the first tab")
        << QStringLiteral("May 1, 2001\tx, y\n") << QStringList{"1:May 1, 2001|x, y"}
        << QList<int>{};
    QTest::newRow("tab only inside quotes of the first line keeps it csv")
        << QStringLiteral("\"a\tb\",c\nd\te,f") << QStringList{"1:a\tb|c", "2:d\te|f"}
        << QList<int>{};
    QTest::newRow("faults: extra field, text after quote, unclosed quote; the rest still read")
        << QStringLiteral("1,a,b,,e\n2,\"x\"y,z\n3,ok\n4,\"never\nclosed") << QStringList{"3:3|ok"}
        << QList<int>{1, 2, 4};
    QTest::newRow("tsv: a comma-separated line among tab-separated ones")
        << QStringLiteral("1955\ta\n1956,b\n\"Apr 3, 2000\",c\n1957\n")
        << QStringList{"1:1955|a", "2:1956|b", "3:Apr 3, 2000|c", "4:1957|"} << QList<int>{};
    QTest::newRow("csv: a tab-separated line among comma-separated ones")
        << QStringLiteral("1955,a\n1956\tb c\n") << QStringList{"1:1955|a", "2:1956|b c"}
        << QList<int>{};
    QTest::newRow("the writers' apostrophe before a formula is removed, no other")
        << QStringLiteral("'=1+1,'@x\n'a,''-1\n'\t,'\n")
        << QStringList{"1:=1+1|@x", "2:'a|'-1", "3:\t|'"} << QList<int>{};
    QTest::newRow("empty text") << QString() << QStringList{} << QList<int>{};
    QTest::newRow("without header: category and milestone follow the notes, every yes word")
        << QStringLiteral("1,a,Work\n2,b,,YES\n3,c,Home, y \n4,d,,x\n5,e,,True\n6,f,,1\n"
                          "7,g,,no\n8,h,,maybe\n9,i,,,\n10,j,k,,l\n")
        << QStringList{"1:1|a|Work", "2:2|b||*", "3:3|c|Home|*", "4:4|d||*",
                       "5:5|e||*",   "6:6|f||*", "7:7|g",        "9:9|i"}
        << QList<int>{8, 10};
    QTest::newRow("header in any order and case; its columns alone count")
        << QStringLiteral("milestone,CATEGORY, notes ,Date\nyes,Work,a,1\n,,b,2\n,,c,3,4\n")
        << QStringList{"2:1|a|Work|*", "3:2|b"} << QList<int>{4};
    QTest::newRow("header naming a column twice reads nothing")
        << QStringLiteral("Date,Notes,date\n1,a,2\n") << QStringList{} << QList<int>{1};
}

void TestEntryTable::read()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, problemLines);
    const editor::EntryTable table = editor::readEntryTable(text);
    QCOMPARE(describeRows(table), rows);
    QCOMPARE(::problemLines(table), problemLines);
}

void TestEntryTable::check_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("room");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QString>("problems");

    const QString mixed = QStringLiteral("1955,a\n19x5,b\n  ,c\n1960,  \n1961,x||MySeparator123||\n"
                                         "1962,\"bad\"quote\n 1963 ,d\n1964,e\n");
    QTest::newRow("yearly: every rule, problems in line order")
        << mixed << 1 << 10 << QStringList{"1:1955|a", "7: 1963 |d", "8:1964|e"}
        << QStringLiteral("Line 2: Year must be a numeric value.\n"
                          "Line 3: The date is blank.\n"
                          "Line 4: The notes are blank.\n"
                          "Line 5: The notes cannot hold \"||MySeparator123||\" or "
                          "\"||MySeparator234||\", which the saved list uses to tell entries "
                          "apart.\n"
                          "Line 6: Text follows the closing quote of a field.");
    QTest::newRow("monthly takes any date; room counts only kept rows")
        << QStringLiteral("Apr 2000,a\n,b\nMay 2000,c\nJune 2000,d\n") << 2 << 2
        << QStringList{"1:Apr 2000|a", "3:May 2000|c"}
        << QStringLiteral("Line 2: The date is blank.\n"
                          "Line 4: More entries than fit: 2 at most.");
    QTest::newRow("yearly spans: a range of two numbers, never backwards")
        << QStringLiteral("1914-1918,a\n1945 - 1939,b\n1939 to WW2,c\n") << 1 << 5
        << QStringList{"1:1914-1918|a"}
        << QStringLiteral("Line 2: The date range ends before it starts.\n"
                          "Line 3: Year must be a numeric value.");
    QTest::newRow("date forming a separator with its neighbour")
        << QStringLiteral("MySeparator234||a,b\n") << 3 << 5 << QStringList{}
        << QStringLiteral("Line 1: The date cannot hold \"||MySeparator123||\" or "
                          "\"||MySeparator234||\", which the saved list uses to tell entries "
                          "apart.");
    QTest::newRow("the rows past the room are one problem")
        << QStringLiteral("a,1\nb,2\n,3\nc,4\nd,5\n") << 3 << 1 << QStringList{"1:a|1"}
        << QStringLiteral("Line 2: More entries than fit: 1 at most. This one and the 2 after it "
                          "were left out.\n"
                          "Line 3: The date is blank.");
    QTest::newRow("no room at all") << QStringLiteral("a,b\n") << 3 << 0 << QStringList{}
                                    << QStringLiteral("Line 1: More entries than fit: 0 at most.");
    QTest::newRow("category and milestone faults, and the header's")
        << QStringLiteral("Date,Notes,Category,Milestone\n1,a,x||MySeparator123||,\n2,b,,nope\n"
                          "3,c,d,e,f\n")
        << 1 << 5 << QStringList{}
        << QStringLiteral("Line 2: The category cannot hold \"||MySeparator123||\" or "
                          "\"||MySeparator234||\", which the saved list uses to tell entries "
                          "apart.\n"
                          "Line 3: The milestone column holds \"nope\": \"yes\", \"y\", \"x\", "
                          "\"true\" or \"1\" marks one, \"no\" or nothing does not.\n"
                          "Line 4: More than four fields: a text that holds a comma must be in "
                          "double quotes.");
    QTest::newRow("unknown header column named")
        << QStringLiteral("Date,Colour,Notes\n1,red,a\n") << 1 << 5 << QStringList{}
        << QStringLiteral("Line 1: The header names a column that is not known: \"Colour\". The "
                          "columns are Date, Notes, Category, Milestone.");
}

void TestEntryTable::check()
{
    QFETCH(QString, text);
    QFETCH(int, scale);
    QFETCH(int, room);
    QFETCH(QStringList, kept);
    QFETCH(QString, problems);
    editor::EntryTable table = editor::readEntryTable(text);
    editor::checkEntryTable(table, scale, room);
    QCOMPARE(describeRows(table), kept);
    QCOMPARE(editor::describeProblems(table.problems), problems);
}

void TestEntryTable::writeQuotes()
{
    const Entries entries{{"1955", "plain"}, {"a,b", "say \"hi\""}, {"x\ty", "l1\nl2"}};
    QCOMPARE(editor::writeCsv(entries),
             QStringLiteral("Date,Notes\r\n1955,plain\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n"
                            "\"x\ty\",\"l1\nl2\"\r\n"));
    QCOMPARE(editor::writeTsv(entries),
             QStringLiteral("1955\tplain\na,b\t\"say \"\"hi\"\"\"\n\"x\ty\"\t\"l1\nl2\"\n"));
    QCOMPARE(editor::writeCsv({}), QStringLiteral("Date,Notes\r\n"));
}

void TestEntryTable::writeGuardsFormulas()
{
    const Entries entries{{"=HYPERLINK(\"x\")", "+1"}, {"-2", "@a"}, {"'=q", "'plain"}};
    QCOMPARE(editor::writeCsv(entries),
             QStringLiteral("Date,Notes\r\n\"'=HYPERLINK(\"\"x\"\")\",'+1\r\n'-2,'@a\r\n"
                            "''=q,'plain\r\n"));
    QCOMPARE(editor::writeTsv({{"\tt", "\rr"}}), QStringLiteral("\"'\tt\"\t\"'\rr\"\n"));
    // One entry with a category or a milestone gives every row all four columns.
    const Entries detailed{{"1", "a", "=cat"}, {"2", "b", "", true}, {"3", "c"}};
    QCOMPARE(editor::writeCsv(detailed),
             QStringLiteral("Date,Notes,Category,Milestone\r\n1,a,'=cat,\r\n2,b,,yes\r\n"
                            "3,c,,\r\n"));
}

void TestEntryTable::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("badLine"); // 0: read
    const QString zurich = QStringLiteral("a\nZ\u00FCrich \U0001F600\n");
    QTest::newRow("utf-8") << zurich.toUtf8() << zurich << 0;
    QTest::newRow("utf-8 with bom") << "\xEF\xBB\xBF" + zurich.toUtf8() << "\uFEFF" + zurich << 0;
    const QByteArray le = testsupport::utf16WithBom(zurich);
    QByteArray be("\xFE\xFF");
    for (QChar c : zurich) {
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("utf-16 le with bom") << le << zurich << 0;
    QTest::newRow("utf-16 be with bom") << be << zurich << 0;
    QTest::newRow("utf-16 cut in a unit") << le.chopped(1) << QString() << 2;
    QTest::newRow("windows-1252 on line 2") << QByteArray("a\nZ\xFCrich\n\xFC") << QString() << 2;
    QTest::newRow("utf-8 cut at the end") << QByteArray("a\nb\n\xC3") << QString() << 3;
    QTest::newRow("overlong form") << QByteArray("\xC1\xBF\n") << QString() << 1;
}

void TestEntryTable::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, badLine);
    const editor::DecodedText decoded = editor::decodeTableText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.problem ? decoded.problem->line : 0, badLine);
}

void TestEntryTable::roundTrip_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<bool>("tsvToo");
    QTest::newRow("hostile texts") << Entries{
        {" 1955 ", " spaced "},
        {"\"", "\"\""},
        {"a,b,,", ",\"x\",\r\n\"y\"\r"},
        {"\t", "tab\tinside\t"},
        {"\r\n", "\n\n"},
        {"", ""},
        {QStringLiteral("\u05E9\u05DC\u05D5\u05DD 2001"), QStringLiteral("\u202Bمرحبا\u202C")},
        {QStringLiteral("\U0001F600"), QStringLiteral("\U0001F469\u200D\U0001F4BB ,\"")},
        {QStringLiteral("\uFEFF"), "Date"},
    } << true;
    // A first entry that looks like the header must survive in the CSV, which always
    // writes its own header first.
    QTest::newRow("byte order mark opening the text")
        << Entries{{QStringLiteral("\uFEFF1955"), "a"}, {"1956", QStringLiteral("\uFEFF")}} << true;
    QTest::newRow("texts a spreadsheet would run")
        << Entries{{"=1+1", "'=2"}, {"''@x", "-"}, {"\t+", "'"}, {"\r=", "''"}} << true;
    QTest::newRow("header-like first entry") << Entries{{"Date", "Notes"}, {"1", "2"}} << false;
    QTest::newRow("categories and milestones") << Entries{{"1", "a", "Work, \"late\"", true},
                                                          {"2", "b", "\t+x"},
                                                          {"3", "c", "", true},
                                                          {"4", "d", "Date"}}
                                               << true;
}

void TestEntryTable::roundTrip()
{
    QFETCH(Entries, entries);
    QFETCH(bool, tsvToo);
    const editor::EntryTable csv = editor::readEntryTable(editor::writeCsv(entries));
    QVERIFY(csv.problems.isEmpty());
    QCOMPARE(entriesOf(csv), entries);

    const editor::EntryTable tsv = editor::readEntryTable(editor::writeTsv(entries));
    QVERIFY(tsv.problems.isEmpty());
    if (tsvToo)
        QCOMPARE(entriesOf(tsv), entries);
}

QTEST_GUILESS_MAIN(TestEntryTable)
#include "tst_entrytable.moc"
