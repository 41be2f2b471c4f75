#include "office/document.h"
#include "office/error.h"
#include "office/textlayout.h"
#include "timelinepage.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QtTest>

using namespace office;
using officetest::buildTimeline;

namespace {

const Paragraph& paragraphOf(const Shape& shape, size_t block = 0)
{
    return std::get<Paragraph>(shape.story.at(block));
}

const Table& tableOf(const Shape& shape)
{
    for (const Block& block : shape.story) {
        if (const auto* table = std::get_if<Table>(&block)) {
            return *table;
        }
    }
    throw Error(QStringLiteral("no table"));
}

// Width of a text in points, measured apart from the engine's own layout code.
double advancePt(const QString& text, const CharFormat& format)
{
    QFont font(format.fontName);
    font.setPixelSize(format.sizeHalfPt * 20); // 1/40 pt units keep the rounding small
    font.setBold(format.bold);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(font).horizontalAdvance(text) / 40.0;
}

} // namespace

class TestOfficeDocument : public QObject
{
    Q_OBJECT

private slots:
    void newDocumentPage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("widthPt");
        QTest::addColumn<double>("heightPt");
        QTest::newRow("us letter") << "en_US" << 612.0 << 792.0;
        QTest::newRow("canada letter") << "fr_CA" << 612.0 << 792.0;
        QTest::newRow("mexico letter") << "es_MX" << 612.0 << 792.0;
        QTest::newRow("philippines letter") << "fil_PH" << 612.0 << 792.0;
        QTest::newRow("a4 germany") << "de_DE" << 595.3 << 841.9;
        QTest::newRow("a4 spain") << "es_ES" << 595.3 << 841.9;
        QTest::newRow("a4 c locale") << "C" << 595.3 << 841.9;
    }
    void newDocumentPage()
    {
        QFETCH(QString, locale);
        QFETCH(double, widthPt);
        QFETCH(double, heightPt);
        const QByteArray saved = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale.toLatin1());
        Document document;
        qputenv("LC_ALL", saved);
        QCOMPARE(document.page().widthPt, widthPt);
        QCOMPARE(document.page().heightPt, heightPt);
        QCOMPARE(document.page().topMarginPt, 72.0);
        document.setOrientation(1);
        QCOMPARE(document.page().widthPt, heightPt);
        QCOMPARE(document.page().heightPt, widthPt);
        QVERIFY(document.page().landscape);
        document.setOrientation(1); // already landscape: stays
        QCOMPARE(document.page().widthPt, heightPt);
        QVERIFY(!officetest::descriptionOf([&] { document.setOrientation(2); }).isEmpty());
    }

    void regionPaper_data()
    {
        QTest::addColumn<QByteArrayList>("allPaperLang"); // LC_ALL, LC_PAPER, LANG
        QTest::addColumn<bool>("letter");
        QTest::newRow("paper category over LANG")
            << QByteArrayList{"", "en_US.UTF-8", "C.UTF-8"} << true;
        QTest::newRow("LC_ALL over both")
            << QByteArrayList{"de_DE.UTF-8", "en_US", "en_US"} << false;
        QTest::newRow("LANG alone") << QByteArrayList{"", "", "en_CA.UTF-8"} << true;
        QTest::newRow("C in the paper category") << QByteArrayList{"", "C", "en_US"} << false;
        QTest::newRow("none") << QByteArrayList{"", "", ""} << false;
    }
    void regionPaper()
    {
        QFETCH(QByteArrayList, allPaperLang);
        QFETCH(bool, letter);
        const char* names[] = {"LC_ALL", "LC_PAPER", "LANG"};
        QByteArrayList saved;
        for (int i = 0; i < 3; ++i) {
            saved.append(qgetenv(names[i]));
            qputenv(names[i], allPaperLang.at(i));
        }
        const double widthPt = Document().page().widthPt;
        for (int i = 0; i < 3; ++i)
            qputenv(names[i], saved.at(i));
        QCOMPARE(widthPt, letter ? 612.0 : 595.3);
    }

    void newShapeLooks()
    {
        Document document;
        const Shape& box = document.shape(document.addTextBox(10, 20, 100, 50));
        QCOMPARE(box.fill, std::optional<QRgb>(qRgb(255, 255, 255)));
        QVERIFY(box.lineVisible);
        QCOMPARE(box.lineWidthPt, 0.5);
        QCOMPARE(box.anchor, TextAnchor::Top);
        // Adding a shape may move the others, so keep what is compared later.
        const int boxId = box.id;
        const Shape& callout =
            document.shape(document.addCallout(ShapeKind::UpArrowCallout, 0, 0, 72, 81));
        QCOMPARE(callout.fill, std::optional<QRgb>(qRgb(0x44, 0x72, 0xC4)));
        QCOMPARE(callout.lineColor, qRgb(0x2F, 0x52, 0x8F));
        QCOMPARE(callout.lineWidthPt, 1.0);
        QCOMPARE(callout.anchor, TextAnchor::Center);
        QCOMPARE(paragraphOf(callout).alignment, Alignment::Center);
        QVERIFY(boxId != callout.id);
    }

    void selectAndCollapse()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 200, 40);
        document.setShapeText(box, QStringLiteral("Hello"));
        document.select(document.shapeText(box));
        QCOMPARE(document.selection().start, 0);
        QCOMPARE(document.selection().end, 5); // the final mark is not part of it
        document.collapse();
        QCOMPARE(document.selection().end, 0);
        document.moveRightCharacters(2, true);
        QCOMPARE(document.selection().end, 2);
        document.moveLeftCharacters(1, false); // a plain move collapses to the start
        QCOMPARE(document.selection().start, 0);
        QCOMPARE(document.selection().end, 0);
    }

    // Characters outside the Basic Multilingual Plane take two positions; moves, ranges
    // and run splits never stop between them.
    void surrogatePairsStayWhole()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 200, 40);
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");     // U+1F600
        document.setShapeText(box, u'a' + smile + u'b' + smile + smile); // 8 positions
        document.select(TextRange{StoryRef{box}, 0, 0});
        document.moveRightCharacters(2, true);
        QCOMPARE(document.selection().end, 3);
        document.moveLeftCharacters(1, true);
        QCOMPARE(document.selection().end, 1);
        document.select(TextRange{StoryRef{box}, 8, 8});
        document.moveLeftCharacters(3, false);
        QCOMPARE(document.selection().start, 3);
        // A range cut inside pairs widens to them.
        document.select(TextRange{StoryRef{box}, 2, 5});
        QCOMPARE(document.selection().start, 1);
        QCOMPARE(document.selection().end, 6);
        document.setFontBold(true);
        const Paragraph& paragraph = paragraphOf(document.shape(box));
        QCOMPARE(paragraph.text(), u'a' + smile + u'b' + smile + smile);
        QCOMPARE(paragraph.runs.size(), size_t(3));
        QCOMPARE(paragraph.runs[1].text, smile + u'b' + smile);
        QVERIFY(paragraph.runs[1].format.bold);
    }

    void typingUsesCollapsedFormat()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 200, 40);
        document.setShapeText(box, QStringLiteral("ab"));
        document.select(TextRange{StoryRef{box}, 1, 1});
        document.setFontBold(true);
        document.setFontSizePt(14);
        document.typeText(QStringLiteral("X"));
        const Paragraph& paragraph = paragraphOf(document.shape(box));
        QCOMPARE(paragraph.text(), QStringLiteral("aXb"));
        QCOMPARE(paragraph.runs.size(), size_t(3));
        QVERIFY(paragraph.runs[1].format.bold);
        QCOMPARE(paragraph.runs[1].format.sizeHalfPt, 28);
        QVERIFY(!paragraph.runs[0].format.bold);
        QCOMPARE(document.selection().start, 2);
        // A typed paragraph break splits the paragraph and keeps its alignment.
        document.setAlignment(Alignment::Right);
        document.typeText(QStringLiteral("\rY"));
        QCOMPARE(document.shape(box).story.size(), size_t(2));
        QCOMPARE(paragraphOf(document.shape(box), 1).text(), QStringLiteral("Yb"));
        QCOMPARE(paragraphOf(document.shape(box), 1).alignment, Alignment::Right);
    }

    void typingReplacesSelection()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 200, 40);
        document.setShapeText(box, QStringLiteral("one\rtwo"));
        document.select(TextRange{StoryRef{box}, 2, 6}); // "e", mark, "tw"
        document.typeText(QStringLiteral("-"));
        QCOMPARE(document.shape(box).story.size(), size_t(1));
        QCOMPARE(paragraphOf(document.shape(box)).text(), QStringLiteral("on-o"));
    }

    void firstLineFormatting_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("wraps");
        QTest::newRow("short") << "Project Timeline" << false;
        QTest::newRow("long")
            << "The Long History of the Northern Railway Company and All of Its Branch Lines "
               "Through the Valley"
            << true;
        QTest::newRow("empty") << "" << false;
    }
    // The title steps: select the text, collapse, extend to the end of the first line and
    // drop its ending character, then format.
    void firstLineFormatting()
    {
        QFETCH(QString, title);
        QFETCH(bool, wraps);
        const Document document =
            buildTimeline(title, officetest::threeEntries(), officetest::letterPage());
        const Shape& box = document.shape(0);
        const Paragraph& paragraph = paragraphOf(box);
        QCOMPARE(paragraph.text(), title);
        QCOMPARE(paragraph.alignment, Alignment::Center);
        if (title.isEmpty()) {
            QVERIFY(paragraph.runs.empty());
            QCOMPARE(paragraph.markFormat.fontName, QStringLiteral("Arial"));
            QCOMPARE(paragraph.markFormat.sizeHalfPt, 56);
            return;
        }
        const Run& first = paragraph.runs.front();
        QCOMPARE(first.format.fontName, QStringLiteral("Arial"));
        QCOMPARE(first.format.sizeHalfPt, 56);
        QVERIFY(first.format.bold);
        const CharFormat body; // Calibri 11 pt: what the line was measured in
        const double lineWidth = 301.05 - 14.4;
        QCOMPARE(paragraph.runs.size(), size_t(wraps ? 2 : 1));
        if (!wraps) {
            QCOMPARE(first.text, title);
            QVERIFY(advancePt(title, body) <= lineWidth);
            // The paragraph mark stays as it was.
            QCOMPARE(paragraph.markFormat.fontName, QStringLiteral("Calibri"));
            return;
        }
        QCOMPARE(paragraph.runs.size(), size_t(2));
        const Run& rest = paragraph.runs[1];
        QVERIFY(rest.text.startsWith(u' ')); // the blank the line broke at is not formatted
        QCOMPARE(rest.format.fontName, QStringLiteral("Calibri"));
        QCOMPARE(rest.format.sizeHalfPt, 22);
        QVERIFY(advancePt(first.text, body) <= lineWidth);
        const QString nextWord = rest.text.mid(1).section(u' ', 0, 0);
        QVERIFY(advancePt(first.text + u' ' + nextWord, body) > lineWidth);
    }

    void endKeyOnEachLine()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 60, 40); // 45.6 pt of line
        document.setShapeText(box, QStringLiteral("aaaa bbbb cccc dddd"));
        document.select(TextRange{StoryRef{box}, 0, 0});
        document.endKeyLine(true);
        const int firstEnd = document.selection().end;
        QVERIFY(firstEnd > 0 && firstEnd < 19);
        QCOMPARE(paragraphOf(document.shape(box)).text().at(firstEnd - 1), QChar(u' '));
        // From the last line the mark is included.
        document.select(TextRange{StoryRef{box}, 18, 18});
        document.endKeyLine(true);
        QCOMPARE(document.selection().end, 20);
        document.select(TextRange{StoryRef{box}, 18, 18});
        document.endKeyLine(false);
        QCOMPARE(document.selection().start, 19);
        QCOMPARE(document.selection().end, 19);
    }

    // Lines come out as one layout of the whole paragraph would break them, however long
    // its words; with a height limit only the lines that fill it are made.
    void longWordsBreakAsOneLayoutWould_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("limitPt");
        const QString words = QStringLiteral("Graduated college in Boston and moved ");
        QTest::newRow("words around long words")
            << words + QString(1000, u'x') + u' ' + words + QString(600, u'y') + u' ' + words
            << std::numeric_limits<double>::infinity();
        QTest::newRow("words only")
            << words.repeated(40) << std::numeric_limits<double>::infinity();
        QTest::newRow("a million without blanks, frame of 60 pt") << QString(1000000, u'm') << 60.0;
    }
    void longWordsBreakAsOneLayoutWould()
    {
        QFETCH(QString, text);
        QFETCH(double, limitPt);
        CharFormat format;
        format.sizeHalfPt = 20;
        Paragraph paragraph;
        paragraph.runs = {Run{text, format}};
        const double widthPt = 72 - 14.4;
        const ParagraphLayout layout(paragraph, widthPt, LayoutLimit{.heightPt = limitPt});

        // The reference: one layout over the text, or over enough of it for the lines the
        // limit lets through.
        QTextLayout whole(text.left(5000), layoutFont(format));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setUseDesignMetrics(true);
        whole.setTextOption(option);
        whole.beginLayout();
        std::vector<std::pair<int, int>> expected;
        double heightPt = 0;
        for (QTextLine line = whole.createLine(); line.isValid() && heightPt < limitPt;
             line = whole.createLine()) {
            line.setLineWidth(widthPt * kLayoutUnitsPerPt);
            expected.emplace_back(line.textStart(), line.textLength());
            heightPt += layout.lines().front().heightPt;
        }
        whole.endLayout();
        QCOMPARE(layout.lines().size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(layout.lines()[i].textStart, expected[i].first);
            QCOMPARE(layout.lines()[i].textLength, expected[i].second);
        }
        QCOMPARE(layout.complete(), std::isinf(limitPt));
    }

    // Measuring breaks every line where the full layout does, at every width, with the
    // same boxes: plain text, punctuation that may end a line, letters whose ink reaches
    // past their advance, long paragraphs, a height limit; and what it lays out in full.
    void measuringBreaksAsTheLayoutDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("sizeHalfPt");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<double>("limitPt");
        const double none = std::numeric_limits<double>::infinity();
        const QString notes = QStringLiteral(
            "Milestone number 12 of the plan, reviewed by the board and approved for all "
            "teams in the spring");
        const QString marks = QStringLiteral(
            "Long-term talks\u2014between both sides; 1800\u20131802 (signed 12/03/1801), "
            "caf\u00e9 d\u00e9j\u00e0 vu \u20ac20/$30 \u201cquoted\u201d \u2018so\u2019\u2026 "
            "e-mail a/b/c x+y=z 50% #1 @home [see: p.4]");
        const QString overhangs =
            QStringLiteral("fjord iffy jiffy puffy f f f/ V. W, y; \u00df r.");
        QTest::newRow("notes, Carlito") << notes << "Carlito" << 24 << false << none;
        QTest::newRow("notes, Carlito bold 7 pt") << notes << "Carlito" << 14 << true << none;
        QTest::newRow("marks, Liberation Sans")
            << marks << "Liberation Sans" << 20 << false << none;
        QTest::newRow("marks, Carlito bold") << marks << "Carlito" << 18 << true << none;
        QTest::newRow("overhangs, Liberation Serif")
            << overhangs << "Liberation Serif" << 40 << false << none;
        QTest::newRow("overhangs, Carlito bold") << overhangs << "Carlito" << 48 << true << none;
        QTest::newRow("past one window, 30 pt high")
            << notes.repeated(4) << "Carlito" << 16 << false << 30.0;
        QTest::newRow("blanks in a row, a tab, a line break")
            << QStringLiteral("two  blanks\tand\va break") << "Carlito" << 20 << false << none;
        QTest::newRow("right to left") << QStringLiteral("\u05e9\u05dc\u05d5\u05dd world")
                                       << "Liberation Sans" << 20 << false << none;
    }
    void measuringBreaksAsTheLayoutDoes()
    {
        QFETCH(QString, text);
        QFETCH(QString, font);
        QFETCH(int, sizeHalfPt);
        QFETCH(bool, bold);
        QFETCH(double, limitPt);
        Paragraph paragraph;
        paragraph.runs = {Run{text, CharFormat{font, sizeHalfPt, bold, std::nullopt}}};
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (const Alignment alignment : {Alignment::Left, Alignment::Center}) {
            paragraph.alignment = alignment;
            for (double widthPt = 4; widthPt < 420; widthPt += 0.37) {
                const LayoutLimit limit{.heightPt = limitPt};
                const ParagraphLayout layout(paragraph, widthPt, limit);
                const MeasuredLines measured = measureLines(paragraph, widthPt, limit);
                const QByteArray where = QByteArray::number(widthPt);
                QVERIFY2(measured.lines.size() == layout.lines().size(), where);
                for (size_t i = 0; i < measured.lines.size(); ++i) {
                    const LineBox& a = measured.lines[i].box;
                    const LineBox& b = layout.lines()[i];
                    QVERIFY2(a.textStart == b.textStart && a.textLength == b.textLength, where);
                    const int end = b.textStart + b.textLength;
                    finder.setPosition(end);
                    QVERIFY2(measured.lines[i].splitsWord ==
                                 (end < text.size() && !text.at(end - 1).isSpace() &&
                                  !finder.isAtBoundary()),
                             where);
                    QVERIFY2(a.xPt == b.xPt && a.widthPt == b.widthPt && a.topPt == b.topPt &&
                                 a.baselinePt == b.baselinePt && a.heightPt == b.heightPt,
                             where);
                }
                QVERIFY2(measured.complete == layout.complete(), where);
                QVERIFY2(measured.heightPt == layout.heightPt(), where);
            }
        }
    }

    void barTable_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<float>("widthPt");
        QTest::addColumn<int>("widthTwips");
        QTest::newRow("1") << 1 << 633.6f << 12672;
        QTest::newRow("3") << 3 << 211.2f << 4224;
        QTest::newRow("4") << 4 << 158.4f << 3168;
        QTest::newRow("7 rounds to whole twips") << 7 << 90.5f << 1810;
    }
    void barTable()
    {
        QFETCH(int, entries);
        QFETCH(float, widthPt);
        QFETCH(int, widthTwips);
        QList<officetest::Entry> list;
        for (int i = 0; i < entries; ++i) {
            list.append({QString::number(2000 + i), QStringLiteral("n%1").arg(i)});
        }
        const Document document =
            buildTimeline(QStringLiteral("T"), list, officetest::letterPage());
        const Shape& bar = document.shape(1);
        const Table& table = tableOf(bar);
        QCOMPARE(float(document.columnPreferredWidthPt(table.id, 1)), widthPt);
        QCOMPARE(table.columnWidthsTwips, std::vector<int>(size_t(entries), widthTwips));
        QCOMPARE(table.rows.size(), size_t(1)); // moving past the last cell adds no row
        QVERIFY(!table.borders[BorderTop].visible);
        QVERIFY(!table.borders[BorderBottom].visible);
        QVERIFY(table.borders[BorderLeft].visible && table.borders[BorderInsideV].visible);
        for (int i = 0; i < entries; ++i) {
            const Paragraph& cell = table.rows[0][size_t(i)].paragraphs.front();
            QCOMPARE(cell.text(), QString::number(2000 + i));
            QCOMPARE(cell.runs.front().format.sizeHalfPt, 20);
        }
        // The paragraph after the table keeps the 10 pt mark.
        QCOMPARE(std::get<Paragraph>(bar.story.back()).markFormat.sizeHalfPt, 20);
        QVERIFY(std::holds_alternative<Table>(bar.story.front()));
        // Each callout's whole text is 10 pt and white.
        for (int i = 0; i < entries; ++i) {
            const Paragraph& notes = paragraphOf(document.shape(2 + i));
            QCOMPARE(notes.runs.front().format.sizeHalfPt, 20);
            QCOMPARE(notes.runs.front().format.color, std::optional<QRgb>(qRgb(255, 255, 255)));
        }
    }

    void selectionLeavesTableAfterLastCell()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 300, 40);
        const int id = document.addTable(document.shapeText(box), 1, 2);
        QCOMPARE(document.selection().where.tableId, id);
        document.moveRightCell();
        QCOMPARE(document.selection().where.column, 1);
        document.moveRightCell();
        QCOMPARE(document.selection().where.tableId, 0);
        document.typeText(QStringLiteral("after"));
        QCOMPARE(std::get<Paragraph>(document.shape(box).story.back()).text(),
                 QStringLiteral("after"));
        QVERIFY(!officetest::descriptionOf([&] { document.moveRightCell(); }).isEmpty());
    }

    void wholeStoryReachesCells()
    {
        Document document;
        const int box = document.addTextBox(0, 0, 300, 40);
        const int id = document.addTable(document.shapeText(box), 1, 2);
        document.typeText(QStringLiteral("in cell"));
        document.wholeStory();
        QCOMPARE(document.selection().where.tableId, 0);
        document.setFontSizePt(8);
        const Paragraph& cell = document.table(id).rows[0][0].paragraphs.front();
        QCOMPARE(cell.runs.front().format.sizeHalfPt, 16);
    }

    void tableColumnLimit_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("one") << 1 << true;
        QTest::newRow("last allowed") << 63 << true;
        QTest::newRow("one past") << 64 << false;
    }
    void tableColumnLimit()
    {
        QFETCH(int, columns);
        QFETCH(bool, accepted);
        Document document;
        const int box = document.addTextBox(0, 0, 648, 18);
        const QString failure = officetest::descriptionOf(
            [&] { document.addTable(document.shapeText(box), 1, columns); });
        if (accepted) {
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            QCOMPARE(std::get<Table>(document.shape(box).story.front()).columnWidthsTwips.size(),
                     size_t(columns));
        } else {
            QVERIFY(failure.contains(QStringLiteral("63")));
            QCOMPARE(document.shape(box).story.size(), size_t(1)); // nothing inserted
        }
    }

    void badArgumentsFail_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("font size 0") << 0;
        QTest::newRow("empty font name") << 1;
        QTest::newRow("missing shape") << 2;
        QTest::newRow("stale range") << 3;
        QTest::newRow("column 2 of 1") << 4;
        QTest::newRow("table in a cell") << 5;
    }
    void badArgumentsFail()
    {
        QFETCH(int, which);
        Document document;
        const int box = document.addTextBox(0, 0, 300, 40);
        document.setShapeText(box, QStringLiteral("abc"));
        document.select(document.shapeText(box));
        const QList<std::function<void()>> actions = {
            [&] { document.setFontSizePt(0); },
            [&] { document.setFontName(QStringLiteral(" ")); },
            [&] { document.shape(7); },
            [&] {
                document.select(TextRange{StoryRef{box}, 0, 40});
            },
            [&] {
                const int id = document.addTable(TextRange{StoryRef{box}, 0, 0}, 1, 1);
                document.columnPreferredWidthPt(id, 2);
            },
            [&] {
                document.addTable(TextRange{StoryRef{box}, 0, 0}, 1, 1);
                document.addTable(document.selection(), 1, 1);
            },
        };
        QVERIFY(!officetest::descriptionOf(actions[which]).isEmpty());
    }
};

QTEST_MAIN(TestOfficeDocument)
#include "tst_officedocument.moc"
