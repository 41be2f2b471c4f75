#include "pagefit.h"

#include "pagemarks.h"

#include "office/calloutgeometry.h"
#include "office/document.h"
#include "office/textlayout.h"

#include "units/lengths.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace docgen {

namespace {

// Normal Table's cell margin, each side.
constexpr double kCellMarginPt = 5.4;
// The classic callout's arrow: the part of its 81 pt outside the body (64.977 %).
constexpr double kArrowPt = kCalloutHeightPt * (1 - 0.64977);
// On a page of several bars room between the bars is scarce: the arrows are short, with
// a head as long as the arrow and as wide again, whatever the callout's size.
constexpr double kDenseArrowPt = 6;
// A milestone's diamond stands on its arrow: a dense page with one keeps arrows that hold it.
constexpr double kDenseMarkedArrowPt = 7.6;
constexpr int kDefaultBodyShare = 64977;
// Half an inch at every edge of the sheet stays empty, so no printer cuts a mark.
constexpr double kMarginPt = 36;
// Room kept between neighbouring shapes, and between the title and what follows it.
constexpr double kGapPt = 4;
constexpr double kTitleGapPt = 12;
// Another word processor may break a line a hair later; measure a little narrower and
// shorter than the area so its lines still fit.
constexpr double kWidthSlackPt = 0.5;
constexpr double kHeightSlackPt = 0.5;
// Font sizes tried in turn for notes and dates, largest first (12 pt down to 7 pt);
// nothing is set smaller than the last.
constexpr int kSizesHalfPt[] = {24, 22, 20, 18, 16, 14};
constexpr int kSmallestHalfPt = 14;
constexpr int kClassicHalfPt = 20;
constexpr double kTitleMaxShare = 0.3; // of the page height
// A title on several lines sets them this many sizes apart, so no line's ink reaches into
// the next, and keeps this much below its last line for the descenders.
constexpr double kTitleLineFactor = 1.3;
constexpr double kTitleFootPt = 3;
constexpr int kMaxBars = 6;
// A date runs upwards in a row at most this high.
constexpr double kMaxUpwardRowPt = 120;
// Dates across take two lines at most: more than three is never measured.
constexpr double kDateLimitPt = 48;
// How far a glyph may reach past its advance at the end of a line, beyond the widest line
// measured, for the line breaker to still see that line fit.
constexpr double kSameBreaksPt = 0.5;

struct Measure
{
    double heightPt = 0;
    double widestLinePt = 0;
    int lines = 0;
    bool wordsWhole = true; // no line breaks inside a word
};

office::CharFormat bodyFormat(const QString& font, int sizeHalfPt)
{
    office::CharFormat format;
    if (!font.isEmpty())
        format.fontName = font;
    format.sizeHalfPt = sizeHalfPt;
    return format;
}

office::Paragraph paragraphOf(const QString& text, const office::CharFormat& format,
                              office::Alignment alignment)
{
    office::Paragraph paragraph;
    paragraph.alignment = alignment;
    paragraph.markFormat = format;
    if (!text.isEmpty())
        paragraph.runs.push_back(office::Run{text, format});
    return paragraph;
}

office::Alignment alignmentOf(std::optional<TextAlignment> alignment)
{
    return alignment == TextAlignment::Centre ? office::Alignment::Center : office::Alignment::Left;
}

// The longest side of any page: no text taller than this is ever shown whole.
constexpr double kLongestSidePt = 1584;

// Lays the paragraphs out and tells how tall they are and whether any word broke;
// `onLine` sees every line with its bottom edge, and stops the walk by returning false.
template <typename OnLine>
Measure measureParagraphs(const std::vector<office::Paragraph>& paragraphs, double widthPt,
                          const OnLine& onLine, double limitPt = kLongestSidePt)
{
    Measure measure;
    for (const office::Paragraph& paragraph : paragraphs) {
        // Lines past the limit are never needed: text that runs there is not shown whole.
        const office::MeasuredLines layout = office::measureLines(
            paragraph, std::max(1.0, widthPt),
            office::LayoutLimit{.heightPt = std::max(1.0, limitPt - measure.heightPt)});
        measure.wordsWhole = measure.wordsWhole && layout.complete;
        for (const office::MeasuredLine& measured : layout.lines) {
            const office::LineBox& line = measured.box;
            measure.wordsWhole = measure.wordsWhole && !measured.splitsWord;
            measure.widestLinePt = std::max(measure.widestLinePt, line.widthPt);
            ++measure.lines;
            if (!onLine(line, measure.heightPt + line.topPt + line.heightPt, measured.splitsWord))
                return measure;
        }
        measure.heightPt += layout.heightPt;
    }
    return measure;
}

// More text than any frame on a page can show at 7 pt; only this much of a longer text
// is measured, which keeps a hostile text's cost bounded.
constexpr int kMeasuredCharacters = 6000;

std::vector<office::Paragraph> paragraphsOf(const QString& text, const QString& font,
                                            int sizeHalfPt, office::Alignment alignment,
                                            bool bold = false)
{
    std::vector<office::Paragraph> paragraphs;
    office::CharFormat format = bodyFormat(font, sizeHalfPt);
    format.bold = bold;
    for (const QString& piece : office::splitParagraphTexts(text.left(kMeasuredCharacters)))
        paragraphs.push_back(paragraphOf(piece, format, alignment));
    return paragraphs;
}

// How many characters of the title's first paragraph take the title's style: the builder
// selects them with the engine's own caret moves (to the end of the first line, one
// character back), so they are found here by the same moves on a scratch box.
int styledTitleLength(const QString& firstPiece, double boxWidthPt)
{
    office::Document scratch;
    const int box = scratch.addTextBox(0, 0, boxWidthPt, kTitleHeightPt);
    scratch.setShapeText(box, firstPiece);
    scratch.select(scratch.shapeText(box));
    scratch.collapse();
    scratch.endKeyLine(true);
    scratch.moveLeftCharacters(1, true);
    const office::TextRange& selected = scratch.selection();
    return std::clamp(std::abs(selected.end - selected.start), 0, int(firstPiece.size()));
}

// The title as the builder formats it: the styled part of the first line in the title's
// style and alignment; the rest stays in the document's font.
std::vector<office::Paragraph> titleParagraphs(const PageElement& box)
{
    std::vector<office::Paragraph> paragraphs;
    const office::CharFormat plain;
    office::CharFormat styled = bodyFormat(box.style.fontName, int(box.style.fontSizePt * 2));
    styled.bold = box.style.bold;
    const std::vector<QString> pieces =
        office::splitParagraphTexts(box.text.left(kMeasuredCharacters));
    for (size_t i = 0; i < pieces.size(); ++i) {
        const QString& text = pieces[i];
        if (i > 0) {
            paragraphs.push_back(paragraphOf(text, plain, office::Alignment::Left));
            continue;
        }
        const int end = styledTitleLength(text, box.widthPt);
        office::Paragraph paragraph;
        paragraph.alignment = alignmentOf(box.style.alignment);
        paragraph.markFormat = plain;
        paragraph.lineAtLeastTwips = int(units::ptToTwips(box.lineSpacingPt));
        if (end > 0)
            paragraph.runs.push_back(office::Run{text.left(end), styled});
        if (end < text.size())
            paragraph.runs.push_back(office::Run{text.mid(end), plain});
        paragraphs.push_back(paragraph);
    }
    return paragraphs;
}

int textLength(const std::vector<office::Paragraph>& paragraphs)
{
    int length = 0;
    for (const office::Paragraph& paragraph : paragraphs)
        length += paragraph.length();
    return length;
}

// The characters of a text as the page holds it: line breaks start paragraphs.
int charactersOf(const QString& text)
{
    int length = 0;
    for (const QString& piece : office::splitParagraphTexts(text))
        length += int(piece.size());
    return length;
}

// The characters of the whole lines that end above the given height: what the page
// shows, a word broken across lines included; with `wholeWords`, only up to the first
// such word.
int charactersShown(const std::vector<office::Paragraph>& paragraphs, double widthPt,
                    double heightPt, bool wholeWords = false)
{
    int shown = 0;
    measureParagraphs(paragraphs, widthPt,
                      [&](const office::LineBox& line, double bottomPt, bool split) {
                          if (bottomPt > heightPt || (wholeWords && split))
                              return false;
                          shown += line.textLength;
                          return true;
                      });
    return std::min(shown, textLength(paragraphs));
}

Measure measureAll(const std::vector<office::Paragraph>& paragraphs, double widthPt,
                   double limitPt = kLongestSidePt)
{
    return measureParagraphs(
        paragraphs, widthPt, [](const office::LineBox&, double, bool) { return true; }, limitPt);
}

// A text counts as cut only when the page shows less than all of it: one whose words
// break across lines may still show whole.
bool addCut(FitReport& report, const CutText& cut)
{
    if (cut.shownCharacters >= cut.totalCharacters)
        return false;
    report.cuts << cut;
    return true;
}

QRectF frameOf(const PageElement& element)
{
    return QRectF(element.leftPt, element.topPt, element.widthPt, element.heightPt);
}

struct Slot
{
    double leftPt = 0; // the room a callout may use across
    double rightPt = 0;
};

struct CalloutFit
{
    double widthPt = kCalloutWidthPt;
    double heightPt = kCalloutHeightPt;
    bool whole = true;
};

struct DateFit
{
    int sizeHalfPt = kClassicHalfPt;
    bool upward = false;
    double rowPt = 0;
    double barHeightPt = kBarHeightPt;
    QList<int> cut; // entries, from 0
    QList<int> shown;
    QList<double> textWidthsPt; // each date's widest line across
};

// The bars of a page being fitted: which entries each holds, its columns and dates.
struct BarRun
{
    int first = 0;
    int count = 0;
    QList<double> columns;
    bool scaled = false;
    DateFit dates;
    double topPt = 0;
};

class Planner
{
public:
    Planner(const QString& title, const QList<TimelineEntry>& entries, const PageMetrics& page,
            const QList<double>& timeAxis, const PageTheme& theme,
            const QList<SpanReach>& spans = {})
        : mTitle(title), mEntries(entries), mPage(page), mAxis(timeAxis), mTheme(theme),
          mSpans(spans)
    {
        if (mAxis.size() != entries.size())
            mAxis.clear();
        for (const TimelineEntry& entry : entries)
            mNotes.push_back(entry.notes);
    }

    PagePlan classic() const
    {
        PagePlan plan;
        plan.frame = LayoutPageFrame(mTitle, mEntries, mPage);
        plan.callouts = LayoutCallouts(mEntries, mPage,
                                       PageFit::columnWidthPt(kBarWidthPt, std::max(1, count())));
        for (PageElement& element : plan.frame)
            mTheme.dress(element);
        for (PageElement& element : plan.callouts)
            mTheme.dress(element);
        return plan;
    }

    // What the classic geometry cuts: the title and the notes that overflow their boxes.
    FitReport classicReport(const PagePlan& plan)
    {
        FitReport report;
        const PageElement& title = plan.frame.at(0);
        if (!titleFits(title))
            addCut(report, titleCut(title));
        for (int i = 0; i < count(); ++i) {
            if (!notesFit(i, kCalloutWidthPt, kCalloutHeightPt, kClassicHalfPt) &&
                addCut(report, notesCut(i, kCalloutWidthPt, kCalloutHeightPt, kClassicHalfPt)))
                report.cutFramesPt << frameOf(plan.callouts.at(i));
        }
        return report;
    }

    // Several bars span the printable width, less what gives the callouts at their ends
    // as much room beside their arrows as their neighbours have: half a column each side;
    // never shorter than the classic bar, unless that would leave no callout's width
    // beside it (a sheet as narrow as a 4:3 slide).
    double barWidthFor(int bars) const
    {
        const double printable = double(mPage.pageWidthPt) - 2 * kMarginPt;
        if (bars == 1)
            return std::min(kBarWidthPt, printable);
        const int most = (count() + bars - 1) / bars;
        const double column = printable / (most + 1);
        return std::max(std::min(kBarWidthPt, printable - kCalloutWidthPt),
                        printable - column + 2 * kTextInsetXPt);
    }

    // A page of this many bars, in passes: the title, the bars and their dates, where
    // the arrows point, the callouts at one notes size, then the whole set in the middle
    // of the sheet.
    // On a page of several bars the dates are set no larger than the notes, so that thin
    // bars leave the callouts the room. With `aboveHalfPt`, only a page whose notes show
    // whole in a larger size is wanted: none when there is no such page.
    std::optional<PagePlan> fit(int bars, int aboveHalfPt = 0)
    {
        mDense = bars > 1;
        const bool milestones = std::any_of(mEntries.begin(), mEntries.end(),
                                            [](const TimelineEntry& e) { return e.milestone; });
        mArrowPt = !mDense ? kArrowPt : milestones ? kDenseMarkedArrowPt : kDenseArrowPt;
        mBarWidthPt = barWidthFor(bars);
        if (mDense && aboveHalfPt > 0) {
            // The dates no larger than the smallest notes size wanted.
            int dates = kSizesHalfPt[0];
            for (const int size : kSizesHalfPt)
                dates = size > aboveHalfPt ? size : dates;
            return fitWithDates(bars, dates, aboveHalfPt);
        }
        std::optional<PagePlan> plan = fitWithDates(bars, kSizesHalfPt[0], aboveHalfPt);
        if (!mDense || !plan)
            return plan;
        const int notes = int(plan->callouts.value(0).style.fontSizePt * 2);
        const int dates = int(plan->tables().value(0).style.fontSizePt * 2);
        if (notes >= dates)
            return plan;
        std::optional<PagePlan> smaller =
            fitWithDates(bars, notes, plan->report.fits() ? notes - 1 : 0);
        return smaller && smaller->report.cuts.size() <= plan->report.cuts.size() ? smaller : plan;
    }

    std::optional<PagePlan> fitWithDates(int bars, int largestDatesHalfPt, int aboveHalfPt)
    {
        mMarked = true;
        PagePlan plan = classic();
        dressEntries(plan.callouts, mEntries, mTheme);
        mLegend = legendKeys(mEntries, mTheme, mPage, &plan.report.cuts);
        fitTitle(plan);
        QList<BarRun> runs = fitBars(bars, largestDatesHalfPt);
        placeBars(runs, plan.frame.at(0));
        const QList<double> anchors = anchorsOf(runs);
        writeBars(plan, runs);
        if (!fitCallouts(plan, runs, anchors, aboveHalfPt))
            return std::nullopt;
        placeMarks(plan);
        centre(plan);
        std::stable_sort(plan.report.cuts.begin(), plan.report.cuts.end(),
                         [](const CutText& a, const CutText& b) { return a.line < b.line; });
        return plan;
    }

    int count() const { return int(mEntries.size()); }

    // How tall the tallest notes of a plan stand in their callouts.
    double tallestNotes(const PagePlan& plan) const
    {
        double tallest = 0;
        for (int i = 0; i < plan.callouts.size(); ++i)
            tallest = std::max(tallest, placedNotes(plan, i).heightPt);
        return tallest;
    }

    // Whether some callout's notes show whole only with a word broken across lines, as the
    // smallest size allows; a page of more bars may give every word its own line.
    bool breaksWords(const PagePlan& plan) const
    {
        for (int i = 0; i < plan.callouts.size(); ++i) {
            if (!placedNotes(plan, i).wordsWhole)
                return true;
        }
        return false;
    }

    // Whether bars of this many entries leave every date a column it can stand in upright
    // at the smallest size: a count that does not is tried only when nothing else is left.
    bool columnsHoldDates(int bars) const
    {
        const int most = (count() + bars - 1) / bars;
        const double across = PageFit::columnWidthPt(barWidthFor(bars), std::max(1, most)) -
                              2 * kCellMarginPt - kWidthSlackPt;
        return across >= lineHeightPt(kSmallestHalfPt);
    }

private:
    // The title stands half an inch below the sheet's top; a title the classic box cuts
    // widens to the bar and takes the lines it needs.
    void fitTitle(PagePlan& plan)
    {
        PageElement& title = plan.frame[0];
        const double pageWidth = mPage.pageWidthPt;
        title.topPt = kMarginPt;
        if (titleFits(title))
            return;
        title.widthPt = std::min(kBarWidthPt, pageWidth - 2 * kMarginPt);
        title.leftPt = pageWidth / 2 - title.widthPt / 2;
        const double cap = std::max(kTitleHeightPt, kTitleMaxShare * mPage.pageHeightPt);
        const double textWidth = title.widthPt - 2 * title.insets().width() - kWidthSlackPt;
        if (measureAll(titleParagraphs(title), textWidth).lines > 1)
            title.lineSpacingPt = kTitleLineFactor * title.style.fontSizePt;
        const double need = measureAll(titleParagraphs(title), textWidth).heightPt +
                            2 * title.insets().height() + kHeightSlackPt + kTitleFootPt;
        title.heightPt = std::clamp(need, kTitleHeightPt, cap);
        if (!titleFits(title))
            addCut(plan.report, titleCut(title));
    }

    // Which entries each bar holds, their columns, and the dates in one size on every bar.
    QList<BarRun> fitBars(int bars, int largest) const
    {
        QList<BarRun> runs;
        int size = largest;
        for (int b = 0; b < bars; ++b) {
            BarRun run;
            run.first = count() * b / bars;
            run.count = count() * (b + 1) / bars - run.first;
            run.columns = columnsOf(run.first, run.count);
            run.scaled = !mAxis.isEmpty() && run.columns != evenColumns(run.count);
            run.dates = fitDates(run.first, run.columns, largest);
            size = std::min(size, run.dates.sizeHalfPt);
            runs << run;
        }
        for (BarRun& run : runs) {
            if (run.dates.sizeHalfPt != size)
                run.dates = fitDates(run.first, run.columns, size);
        }
        return runs;
    }

    // The bars share the sheet below the title; one bar stands in the middle of that room,
    // so the callouts may grow as far up as down.
    void placeBars(QList<BarRun>& runs, const PageElement& title)
    {
        // A page of several bars needs every point between them.
        const double top = title.topPt + title.heightPt + (runs.size() > 1 ? kGapPt : kTitleGapPt);
        // The legend keeps its rows below everything else.
        const double legend = mLegend.isEmpty() ? 0 : legendHeightPt(mLegend) + kTitleGapPt;
        const double bottom = double(mPage.pageHeightPt) - kMarginPt - legend;
        double space = bottom - top - (runs.size() - 1) * kGapPt;
        for (const BarRun& run : runs)
            space -= run.dates.barHeightPt;
        const double band = std::max(0.0, space / (2 * runs.size()));
        double y = top + band;
        for (BarRun& run : runs) {
            run.topPt = y;
            y += run.dates.barHeightPt + 2 * band + kGapPt;
        }
        mTopPt = top;
        mBottomPt = bottom;
    }

    // Where each arrow points: over its date, which stands in the middle of its cell; on
    // a bar spaced to scale, at the date's place on the axis as far as the date's text
    // reaches.
    QList<double> anchorsOf(const QList<BarRun>& runs) const
    {
        QList<double> anchors;
        const double barLeft = double(mPage.pageWidthPt) / 2 - mBarWidthPt / 2;
        for (const BarRun& run : runs) {
            double cellLeft = barLeft + kTextInsetXPt;
            const QList<double> places = placesOf(run.first, run.count);
            const double inner = mBarWidthPt - 2 * kTextInsetXPt;
            const double ends = axisEnds(run);
            for (int k = 0; k < run.count; ++k) {
                const double width = run.columns.at(k);
                double anchor = cellLeft + width / 2;
                if (run.scaled) {
                    const double place =
                        barLeft + kTextInsetXPt + ends + places.at(k) * (inner - 2 * ends);
                    const double reach = std::max(0.0, run.dates.textWidthsPt.value(k) / 2 - 1);
                    anchor = std::clamp(place, anchor - reach, anchor + reach);
                }
                anchors << anchor;
                cellLeft += width;
            }
        }
        return anchors;
    }

    void writeBars(PagePlan& plan, const QList<BarRun>& runs)
    {
        const PageElement classicBar = plan.frame.at(1);
        const PageElement classicTable = plan.frame.at(2);
        plan.frame.resize(1);
        for (const BarRun& run : runs) {
            PageElement bar = classicBar;
            if (mDense)
                bar.insetPt = QSizeF(kTextInsetXPt, barInsetYPt());
            bar.leftPt = double(mPage.pageWidthPt) / 2 - mBarWidthPt / 2;
            bar.widthPt = mBarWidthPt;
            bar.topPt = run.topPt;
            bar.heightPt = run.dates.barHeightPt;
            bar.firstEntry = run.first;
            bar.entryCount = run.count;
            PageElement table = classicTable;
            table.cells.clear();
            for (int i = run.first; i < run.first + run.count; ++i)
                table.cells << mEntries.at(i).date;
            if (table.cells.isEmpty())
                table.cells << QString();
            table.style.fontSizePt = run.dates.sizeHalfPt / 2.0;
            table.style.alignment = TextAlignment::Centre;
            table.textUpward = run.dates.upward;
            table.rowHeightPt = run.dates.upward ? run.dates.rowPt : 0;
            if (run.scaled)
                table.columnWidthsPt = run.columns;
            table.firstEntry = bar.firstEntry;
            table.entryCount = bar.entryCount;
            plan.frame << bar << table;
            for (int k = 0; k < run.dates.cut.size(); ++k) {
                const int i = run.dates.cut[k];
                plan.report.cuts << CutText{CutText::Part::Date, i + 1, mEntries.at(i).date,
                                            run.dates.shown[k], charactersOf(mEntries.at(i).date)};
            }
        }
    }

    // The callouts at the largest notes size at which every one shows its words, each as
    // narrow as lets it stay no taller than wide, widened into what its neighbours leave
    // when it needs more; at the smallest size what still does not fit is cut.
    bool fitCallouts(PagePlan& plan, const QList<BarRun>& runs, const QList<double>& anchors,
                     int aboveHalfPt)
    {
        const int n = count();
        QList<int> barOf;
        for (int b = 0; b < runs.size(); ++b)
            barOf << QList<int>(runs[b].count, b);
        const auto roomOf = [&](int i) {
            const int b = barOf[i];
            const double barTop = runs[b].topPt;
            const double barBottom = barTop + runs[b].dates.barHeightPt;
            if (i % 2 == 0) {
                const double limit = b + 1 < runs.size()
                                         ? (barBottom + runs[b + 1].topPt) / 2 - kGapPt / 2
                                         : mBottomPt;
                return limit - barBottom;
            }
            const double limit =
                b > 0
                    ? (runs[b - 1].topPt + runs[b - 1].dates.barHeightPt + barTop) / 2 + kGapPt / 2
                    : mTopPt;
            return barTop - limit;
        };
        const auto neighbour = [&](int i, int direction) {
            const int j = i + 2 * direction;
            return j >= 0 && j < n && barOf[j] == barOf[i] ? j : -1;
        };
        const double pageWidth = mPage.pageWidthPt;
        QList<CalloutFit> fits(n);
        QList<double> lefts(n, 0);
        int size = kSmallestHalfPt;
        bool whole = true;
        for (const int candidate : kSizesHalfPt) {
            if (candidate <= aboveHalfPt)
                return false;
            whole = true;
            // First each within half the way to its neighbours' arrows, needed for an
            // entry only once its neighbour two before widens: a size that cuts an entry
            // is given up there, unless it is the last.
            const bool lastSize = candidate == kSmallestHalfPt && aboveHalfPt == 0;
            int halfWay = 0;
            const auto fitHalfWay = [&](int upTo) {
                for (; halfWay < std::min(n, upTo); ++halfWay) {
                    const int i = halfWay;
                    Slot slot{kMarginPt, pageWidth - kMarginPt};
                    if (const int before = neighbour(i, -1); before >= 0)
                        slot.leftPt = (anchors[before] + anchors[i]) / 2 + kGapPt / 2;
                    if (const int after = neighbour(i, 1); after >= 0)
                        slot.rightPt = (anchors[i] + anchors[after]) / 2 - kGapPt / 2;
                    const double half = std::max(
                        0.0, std::min(anchors[i] - slot.leftPt, slot.rightPt - anchors[i]));
                    fits[i] = sizeCallout(i, 2 * half, roomOf(i), candidate);
                    lefts[i] = anchors[i] - fits[i].widthPt / 2;
                }
            };
            // Then those that need more widen into what their neighbours left.
            for (int i = 0; i < n && (whole || lastSize); ++i) {
                fitHalfWay(i + 3);
                if (fits[i].whole)
                    continue;
                Slot slot{kMarginPt, pageWidth - kMarginPt};
                if (const int before = neighbour(i, -1); before >= 0)
                    slot.leftPt = lefts[before] + fits[before].widthPt + kGapPt;
                if (const int after = neighbour(i, 1); after >= 0)
                    slot.rightPt = lefts[after] - kGapPt;
                const double half = std::min(anchors[i] - slot.leftPt, slot.rightPt - anchors[i]);
                if (2 * half > fits[i].widthPt + 0.5) {
                    fits[i] = sizeCallout(i, 2 * half, roomOf(i), candidate);
                    lefts[i] = anchors[i] - fits[i].widthPt / 2;
                }
                whole = whole && fits[i].whole;
            }
            size = candidate;
            if (whole)
                break;
        }
        // Only a page that shows every note is wanted above a size.
        if (!whole && aboveHalfPt > 0)
            return false;
        for (int i = 0; i < n; ++i) {
            PageElement& callout = plan.callouts[i];
            const CalloutFit& fit = fits[i];
            const BarRun& run = runs[barOf[i]];
            callout.leftPt = lefts[i];
            callout.widthPt = fit.widthPt;
            callout.heightPt = fit.heightPt;
            callout.topPt =
                i % 2 == 0 ? run.topPt + run.dates.barHeightPt : run.topPt - fit.heightPt;
            callout.style.fontSizePt = size / 2.0;
            if (mDense)
                callout.insetPt = calloutInsets();
            const office::Adjust adjust = adjustOf(fit.widthPt, fit.heightPt);
            callout.adjust.reset();
            if (adjust != office::Adjust{25000, 25000, 25000, kDefaultBodyShare})
                callout.adjust = adjust;
            if (!fit.whole &&
                addCut(plan.report, CutText{CutText::Part::Notes, i + 1, mEntries.at(i).date,
                                            notesShown(i, fit, size), charactersOf(mNotes[i])}))
                plan.report.cutFramesPt << frameOf(callout);
        }
        return true;
    }

    // The spans' bands and the milestones' markers where the bars and arrows stand, and
    // the legend below the lowest shape, in the room the bars left for it.
    void placeMarks(PagePlan& plan) const
    {
        plan.marks = entryMarks(plan.frame, plan.callouts, mEntries, mSpans, mAxis, mTheme);
        double lowest = 0;
        for (const PageElement& element : plan.frame + plan.callouts + plan.marks)
            lowest = std::max(lowest, element.topPt + element.heightPt);
        for (PageElement key : mLegend) {
            key.topPt += lowest + kTitleGapPt;
            plan.marks << key;
        }
    }

    // Moves the whole composition so the empty space above it equals the space below;
    // a single bar first comes up to the tallest callout above it.
    void centre(PagePlan& plan)
    {
        const auto shift = [&](QList<PageElement>& elements, double dy, bool skipTitle) {
            for (PageElement& element : elements) {
                if (!(skipTitle && element.kind == ElementKind::TitleBox))
                    element.topPt += dy;
            }
        };
        const PageElement& title = plan.frame.at(0);
        if (plan.bars().size() == 1) {
            double above = 0;
            for (int i = 1; i < plan.callouts.size(); i += 2)
                above = std::max(above, plan.callouts.at(i).heightPt);
            const double barTop = title.topPt + title.heightPt + kTitleGapPt + above;
            const double dy = barTop - plan.frame.at(1).topPt;
            if (dy < 0) {
                shift(plan.frame, dy, true);
                shift(plan.callouts, dy, false);
                shift(plan.marks, dy, false);
            }
        }
        QRectF all;
        for (const PageElement& element : plan.frame + plan.callouts + plan.marks) {
            if (element.kind != ElementKind::DateTable)
                all = all.isNull() ? frameOf(element) : all.united(frameOf(element));
        }
        const double dy = (double(mPage.pageHeightPt) - all.bottom() - all.top()) / 2;
        shift(plan.frame, dy, false);
        shift(plan.callouts, dy, false);
        shift(plan.marks, dy, false);
        for (QRectF& frame : plan.report.cutFramesPt)
            frame.translate(0, dy);
    }

    // The arrow keeps the classic length, unless the preset's head (a quarter of the
    // shorter side) is longer.
    double arrowPt(double widthPt, double heightPt) const
    {
        return mDense ? mArrowPt : std::max(mArrowPt, std::min(widthPt, heightPt) / 4);
    }

    // The height that gives a body of this height.
    double heightForBody(double widthPt, double bodyPt) const
    {
        if (mDense)
            return bodyPt + mArrowPt;
        const double tall = bodyPt + std::max(mArrowPt, widthPt / 4);
        if (tall >= widthPt)
            return tall;
        const double low = bodyPt + mArrowPt;
        return low / 4 <= mArrowPt ? low : bodyPt * 4 / 3;
    }

    // The body's share of a callout's height.
    int bodyShare(double widthPt, double heightPt) const
    {
        if (mArrowPt == kArrowPt && std::abs(heightPt - kCalloutHeightPt) < 1e-9 &&
            std::abs(widthPt - kCalloutWidthPt) < 1e-9)
            return kDefaultBodyShare;
        return int(std::floor((heightPt - arrowPt(widthPt, heightPt)) / heightPt * 100000));
    }

    double barInsetYPt() const { return mDense ? kTextInsetYPt / 2 : kTextInsetYPt; }

    // A dense page keeps half the usual room between a callout's edge and its text.
    QSizeF calloutInsets() const
    {
        return mDense ? QSizeF(kTextInsetXPt / 2, kTextInsetYPt / 2)
                      : QSizeF(kTextInsetXPt, kTextInsetYPt);
    }

    // The preset's adjustments for a callout of this size: the classic head (a quarter of
    // the shorter side), or on a dense page one of the arrow's own length.
    office::Adjust adjustOf(double widthPt, double heightPt) const
    {
        const int share = bodyShare(widthPt, heightPt);
        const double shorter = std::min(widthPt, heightPt);
        if (!mDense || shorter <= 0)
            return office::Adjust{25000, 25000, 25000, share};
        const int head = int(std::floor(mArrowPt / shorter * 100000));
        return office::Adjust{head, head, head, share};
    }

    // The text area of a callout of this size: the preset's text rectangle less the insets.
    QSizeF calloutArea(double widthPt, double heightPt) const
    {
        const QRectF rect = office::calloutTextRect(office::ShapeKind::UpArrowCallout, widthPt,
                                                    heightPt, adjustOf(widthPt, heightPt));
        const QSizeF insets = calloutInsets();
        return QSizeF(rect.width() - 2 * insets.width(), rect.height() - 2 * insets.height());
    }

    std::vector<office::Paragraph> notesParagraphs(int entry, int sizeHalfPt) const
    {
        // A milestone's notes are bold, and wider.
        return paragraphsOf(mNotes[entry], mTheme.notesFont, sizeHalfPt, office::Alignment::Center,
                            mMarked && mEntries.at(entry).milestone);
    }

    enum class Text
    {
        Notes,
        Date
    };

    // Lines broken greedily at one width break the same at any narrower width that still
    // holds the widest of them, so one layout answers for that whole range of widths.
    // Only whole texts are answered so: a cut or broken word is measured at its own width.
    Measure measured(Text text, int entry, int sizeHalfPt, double widthPt,
                     double limitPt = kLongestSidePt) const
    {
        MeasuredText& known =
            mMeasured[std::make_tuple(text == Text::Notes, entry, sizeHalfPt, limitPt)];
        for (const MeasuredWidth& at : known.widths) {
            // One line stays one line at any width that holds it.
            if (widthPt == at.widthPt ||
                (at.measure.wordsWhole && (widthPt < at.widthPt || at.measure.lines == 1) &&
                 widthPt >= at.measure.widestLinePt + kSameBreaksPt))
                return at.measure;
        }
        if (known.widths.empty())
            known.paragraphs = text == Text::Notes ? notesParagraphs(entry, sizeHalfPt)
                                                   : dateParagraphs(entry, sizeHalfPt);
        Measure m = measureAll(known.paragraphs, widthPt, limitPt);
        if (text == Text::Notes)
            m.wordsWhole = m.wordsWhole && mNotes[entry].size() <= kMeasuredCharacters;
        known.widths.push_back(MeasuredWidth{widthPt, m});
        return m;
    }

    Measure notesMeasure(int entry, int sizeHalfPt, double widthPt) const
    {
        return measured(Text::Notes, entry, sizeHalfPt, widthPt);
    }

    // The notes of a plan's callout as they stand in it, at its size and width.
    Measure placedNotes(const PagePlan& plan, int entry) const
    {
        const PageElement& callout = plan.callouts.at(entry);
        return notesMeasure(entry, int(callout.style.fontSizePt * 2),
                            callout.widthPt - 2 * callout.insets().width() - kWidthSlackPt);
    }

    // Exactly, without slack: the classic frame is judged as it stands.
    bool notesFit(int entry, double widthPt, double heightPt, int sizeHalfPt)
    {
        const QSizeF area = calloutArea(widthPt, heightPt);
        if (area.width() < 4)
            return false;
        const Measure& m = notesMeasure(entry, sizeHalfPt, area.width());
        return m.wordsWhole && m.heightPt <= area.height();
    }

    CutText notesCut(int entry, double widthPt, double heightPt, int sizeHalfPt)
    {
        const QSizeF area = calloutArea(widthPt, heightPt);
        return CutText{
            CutText::Part::Notes, entry + 1, mEntries.at(entry).date,
            charactersShown(notesParagraphs(entry, sizeHalfPt), area.width(), area.height()),
            charactersOf(mNotes[entry])};
    }

    // The narrowest callout, up to `maxWidthPt` and `roomPt` high, that shows the notes at
    // this size and stands no taller than wide (or than the classic callout); failing
    // that the narrowest that shows them at all; cut in the whole room when none does.
    CalloutFit sizeCallout(int entry, double maxWidthPt, double roomPt, int sizeHalfPt)
    {
        const double minWidth = std::min(kCalloutWidthPt, maxWidthPt);
        const double classicHeight = std::min(kCalloutHeightPt, roomPt);
        // The height a width needs; infinite when no height is enough.
        const auto heightFor = [&](double widthPt) {
            const double textWidth = widthPt - 2 * calloutInsets().width() - kWidthSlackPt;
            if (textWidth < 4)
                return HUGE_VAL;
            const Measure& m = notesMeasure(entry, sizeHalfPt, textWidth);
            if (!m.wordsWhole)
                return HUGE_VAL;
            const double body = m.heightPt + 2 * calloutInsets().height() + kHeightSlackPt;
            return std::max(classicHeight, heightForBody(widthPt, body) + 0.01);
        };
        const auto narrowest = [&](const auto& good) -> std::optional<double> {
            if (good(minWidth))
                return minWidth;
            if (maxWidthPt <= minWidth + 0.5 || !good(maxWidthPt))
                return std::nullopt;
            double low = minWidth;
            double high = maxWidthPt;
            while (high - low > 1) {
                const double middle = (low + high) / 2;
                (good(middle) ? high : low) = middle;
            }
            return high;
        };
        const auto fitsRoom = [&](double w) { return heightFor(w) <= roomPt; };
        const auto notTower = [&](double w) {
            const double h = heightFor(w);
            return h <= roomPt && h <= std::max(kCalloutHeightPt, w);
        };
        std::optional<double> width = narrowest(notTower);
        if (!width)
            width = narrowest(fitsRoom);
        if (width)
            return CalloutFit{*width, heightFor(*width), true};
        return CalloutFit{std::max(maxWidthPt, 1.0), std::max(roomPt, 1.0), false};
    }

    // How much of the notes a callout that cuts them shows; counted only for the size the
    // page takes, as it costs a layout of its own.
    int notesShown(int entry, const CalloutFit& fit, int sizeHalfPt) const
    {
        const QSizeF area = calloutArea(fit.widthPt, fit.heightPt);
        return area.width() > 0 && area.height() > 0
                   ? charactersShown(notesParagraphs(entry, sizeHalfPt), area.width(),
                                     area.height())
                   : 0;
    }

    bool titleFits(const PageElement& box) const
    {
        const Measure m = measureAll(titleParagraphs(box),
                                     box.widthPt - 2 * box.insets().width() - kWidthSlackPt);
        return m.wordsWhole && mTitle.size() <= kMeasuredCharacters &&
               m.heightPt <= box.heightPt - 2 * box.insets().height() + kHeightSlackPt;
    }

    CutText titleCut(const PageElement& box) const
    {
        return CutText{CutText::Part::Title, 0, QString(),
                       charactersShown(titleParagraphs(box), box.widthPt - 2 * box.insets().width(),
                                       box.heightPt - 2 * box.insets().height()),
                       charactersOf(mTitle)};
    }

    std::vector<office::Paragraph> dateParagraphs(int entry, int sizeHalfPt) const
    {
        return paragraphsOf(mEntries.at(entry).date, mTheme.dateFont, sizeHalfPt,
                            office::Alignment::Center);
    }

    // The height of one line of the dates' font at a size.
    double lineHeightPt(int sizeHalfPt) const
    {
        const auto found = mLineHeights.find(sizeHalfPt);
        if (found != mLineHeights.end())
            return found->second;
        const double height =
            measureAll({paragraphOf(QString(), bodyFormat(mTheme.dateFont, sizeHalfPt),
                                    office::Alignment::Left)},
                       100)
                .heightPt;
        mLineHeights.emplace(sizeHalfPt, height);
        return height;
    }

    QList<double> evenColumns(int number) const
    {
        return QList<double>(std::max(1, number),
                             PageFit::columnWidthPt(mBarWidthPt, std::max(1, number)));
    }

    // The places 0..1 of a bar's entries on its own stretch of the time axis.
    QList<double> placesOf(int first, int number) const
    {
        QList<double> places;
        if (mAxis.isEmpty() || number < 2)
            return places;
        const double low = mAxis.at(first);
        const double high = mAxis.at(first + number - 1);
        for (int i = first; i < first + number; ++i)
            places << (high > low ? std::clamp((mAxis.at(i) - low) / (high - low), 0.0, 1.0)
                                  : double(i - first) / (number - 1));
        return places;
    }

    // How far in from the bar's inner edges the axis starts: half the widest end date.
    double axisEnds(const BarRun& run) const
    {
        return std::max(run.dates.textWidthsPt.value(0),
                        run.dates.textWidthsPt.value(run.count - 1)) /
                   2 +
               kCellMarginPt + kWidthSlackPt;
    }

    // Equal columns, or with a time axis columns centred on the dates' places while each
    // holds its date on one line at the largest size.
    QList<double> columnsOf(int first, int number) const
    {
        const QList<double> places = placesOf(first, number);
        // Dates as far apart as even cells already stand need no columns of their own.
        bool evenly = true;
        for (qsizetype k = 0; k < places.size() && evenly; ++k)
            evenly = std::abs(places[k] - double(k) / double(number - 1)) * mBarWidthPt < 0.5;
        if (evenly)
            return evenColumns(number);
        QList<double> minimums;
        double widest = 0;
        for (int i = first; i < first + number; ++i) {
            const double text = measureAll(dateParagraphs(i, kClassicHalfPt), 1e6).widestLinePt;
            minimums << text + 2 * kCellMarginPt + 2 * kWidthSlackPt;
            if (i == first || i == first + number - 1)
                widest = std::max(widest, text);
        }
        const QList<double> widths =
            PageFit::scaledColumns(mBarWidthPt - 2 * kTextInsetXPt, places, minimums,
                                   widest / 2 + kCellMarginPt + kWidthSlackPt);
        return widths.isEmpty() ? evenColumns(number) : widths;
    }

    // Dates across at the largest size up to `largest` that keeps every word whole in two
    // lines at most, then upwards; what neither shows whole is cut.
    DateFit fitDates(int first, const QList<double>& columns, int largest) const
    {
        DateFit fit;
        const int number = int(columns.size());
        // The room across each date's own cell, and the narrowest of them.
        QList<double> across;
        double narrowest = HUGE_VAL;
        for (const double width : columns) {
            across << width - 2 * kCellMarginPt - kWidthSlackPt;
            narrowest = std::min(narrowest, across.last());
        }
        for (const int size : kSizesHalfPt) {
            if (narrowest < 2)
                break;
            if (size > largest)
                continue;
            double row = 0;
            bool whole = true;
            QList<double> widths;
            for (int k = 0; k < number && whole; ++k) {
                const Measure m = measured(Text::Date, first + k, size, across[k], kDateLimitPt);
                whole = m.wordsWhole && m.lines <= 2;
                row = std::max(row, m.heightPt);
                widths << m.widestLinePt;
            }
            if (whole) {
                // One line fits the classic bar, running a little into its bottom inset; a
                // dense page's bar is as thin as its dates.
                fit.sizeHalfPt = size;
                fit.barHeightPt = mDense ? row + 2 * barInsetYPt() + kHeightSlackPt
                                  : row <= kBarHeightPt - kTextInsetYPt ? kBarHeightPt
                                                                        : row + 2 * kTextInsetYPt;
                fit.textWidthsPt = widths;
                return fit;
            }
        }
        for (const int size : kSizesHalfPt) {
            if (size > largest || lineHeightPt(size) > narrowest)
                continue;
            double row = 0;
            double thickest = 0;
            for (int i = first; i < first + number; ++i) {
                const Measure m = measured(Text::Date, i, size, kMaxUpwardRowPt, narrowest + 1);
                row = std::max(row, m.widestLinePt);
                thickest = std::max(thickest, m.wordsWhole ? m.heightPt : HUGE_VAL);
                fit.textWidthsPt << m.heightPt;
            }
            if (thickest <= narrowest && row <= kMaxUpwardRowPt - 2) {
                fit.sizeHalfPt = size;
                fit.upward = true;
                fit.rowPt = std::ceil(row + 2);
                fit.barHeightPt = fit.rowPt + 2 * barInsetYPt();
                return fit;
            }
            fit.textWidthsPt.clear();
        }
        // Nothing shows every date: the smallest size across, and say which are cut.
        fit.sizeHalfPt = kSmallestHalfPt;
        double row = 0;
        for (int k = 0; k < number; ++k) {
            const Measure m =
                measured(Text::Date, first + k, kSmallestHalfPt, std::max(1.0, across[k]));
            row = std::max(row, m.heightPt);
            fit.textWidthsPt << std::min(m.widestLinePt, std::max(0.0, across[k]));
            if (!m.wordsWhole || m.lines > 2 || across[k] < 2) {
                fit.cut << first + k;
                fit.shown << (across[k] < 2
                                  ? 0
                                  : charactersShown(dateParagraphs(first + k, kSmallestHalfPt),
                                                    across[k], HUGE_VAL, true));
            }
        }
        fit.barHeightPt = std::max(kBarHeightPt, std::min(row, 30.0) + 2 * kTextInsetYPt);
        return fit;
    }

    QString mTitle;
    QList<TimelineEntry> mEntries;
    QList<QString> mNotes;
    PageMetrics mPage;
    QList<double> mAxis;
    const PageTheme& mTheme;
    QList<SpanReach> mSpans;
    QList<PageElement> mLegend; // its keys, the first row's top at 0
    bool mMarked = false;       // a fitted page: milestones in bold
    // The arrows' length, the bars' width and the band the bars share on the page being
    // fitted.
    double mArrowPt = kArrowPt;
    bool mDense = false;
    double mBarWidthPt = kBarWidthPt;
    double mTopPt = 0;
    double mBottomPt = 0;
    struct MeasuredWidth
    {
        double widthPt = 0;
        Measure measure;
    };
    // Per text (notes or date), entry, size and height limit, its paragraphs and the widths
    // measured so far.
    struct MeasuredText
    {
        std::vector<office::Paragraph> paragraphs;
        std::vector<MeasuredWidth> widths;
    };
    mutable std::map<std::tuple<bool, int, int, double>, MeasuredText> mMeasured;
    mutable std::map<int, double> mLineHeights;
};

// Whether a page with more bars shows more than one with fewer: fewer texts cut, or as
// many cut with half as many characters again shown, which is worth the bar it costs.
bool showsMore(const FitReport& more, const FitReport& fewer)
{
    const auto score = [](const FitReport& report) {
        int shown = 0;
        for (const CutText& cut : report.cuts)
            shown += cut.shownCharacters;
        return std::pair{int(report.cuts.size()), shown};
    };
    const auto [moreCut, moreShown] = score(more);
    const auto [fewerCut, fewerShown] = score(fewer);
    return moreCut < fewerCut ||
           (moreCut == fewerCut && 2 * moreShown >= 3 * fewerShown && moreShown > fewerShown);
}

} // namespace

QString CutText::reason() const
{
    const QString what = part == Part::Title      ? QStringLiteral("title")
                         : part == Part::Date     ? QStringLiteral("date")
                         : part == Part::Category ? QStringLiteral("category")
                                                  : QStringLiteral("notes");
    return QStringLiteral("%1 cut after %2 of %3 characters")
        .arg(what)
        .arg(shownCharacters)
        .arg(totalCharacters);
}

QString CutText::describe() const
{
    if (part == Part::Title)
        return reason();
    return QStringLiteral("line %1 (%2): %3").arg(line).arg(date, reason());
}

QList<int> FitReport::cutLines() const
{
    QList<int> lines;
    for (const CutText& cut : cuts) {
        if (cut.line > 0 && !lines.contains(cut.line))
            lines << cut.line;
    }
    return lines;
}

QString FitReport::reasonFor(int line) const
{
    QStringList reasons;
    for (const CutText& cut : cuts) {
        if (cut.line == line) {
            QString reason = cut.reason();
            reason[0] = reason[0].toUpper();
            reasons << reason;
        }
    }
    return reasons.join(QLatin1Char('\n'));
}

QList<PageElement> PagePlan::ofKind(ElementKind kind) const
{
    QList<PageElement> found;
    for (const PageElement& element : frame) {
        if (element.kind == kind)
            found << element;
    }
    return found;
}

QList<double> PageFit::scaledColumns(double innerPt, const QList<double>& places,
                                     const QList<double>& minimumsPt, double endsPt)
{
    const qsizetype n = places.size();
    if (n == 0 || minimumsPt.size() != n)
        return {};
    double needed = 0;
    for (const double minimum : minimumsPt)
        needed += minimum;
    if (needed > innerPt)
        return {};
    // Centres on the axis, the ends half an even column in (or as asked); cells end
    // midway between them.
    const double even = innerPt / double(n);
    const double ends = endsPt < 0 ? even / 2 : std::min(endsPt, innerPt / 2);
    QList<double> centres;
    for (const double place : places)
        centres << ends + place * (innerPt - 2 * ends);
    QList<double> edges{0};
    for (qsizetype i = 1; i < n; ++i)
        edges << (centres[i - 1] + centres[i]) / 2;
    edges << innerPt;
    QList<double> widths;
    for (qsizetype i = 0; i < n; ++i)
        widths << std::max(0.0, edges[i + 1] - edges[i]);
    // Cells below their minimum take it; the others give up room in proportion to what
    // they have above theirs, until every cell holds its date.
    for (int round = 0; round < 64; ++round) {
        double missing = 0;
        double spare = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (widths[i] < minimumsPt[i])
                missing += minimumsPt[i] - widths[i];
            else
                spare += widths[i] - minimumsPt[i];
        }
        if (missing <= 1e-9 || spare <= 1e-9)
            break;
        const double share = std::min(1.0, missing / spare);
        for (qsizetype i = 0; i < n; ++i) {
            widths[i] = widths[i] < minimumsPt[i] ? minimumsPt[i]
                                                  : widths[i] - (widths[i] - minimumsPt[i]) * share;
        }
    }
    // Then each inner edge moves to bring the middles of the two cells it parts closest
    // to their dates' places, never narrowing a cell below its minimum, so each date
    // stands where the axis puts it as far as the room allows.
    for (qsizetype i = 0; i < n; ++i)
        edges[i + 1] = edges[i] + widths[i];
    edges[n] = innerPt;
    for (int sweep = 0; sweep < 200; ++sweep) {
        double moved = 0;
        for (qsizetype i = 1; i < n; ++i) {
            const double low = edges[i - 1] + minimumsPt[i - 1];
            const double high = edges[i + 1] - minimumsPt[i];
            if (low > high)
                continue;
            const double best = std::clamp(
                centres[i - 1] + centres[i] - (edges[i - 1] + edges[i + 1]) / 2, low, high);
            moved = std::max(moved, std::abs(best - edges[i]));
            edges[i] = best;
        }
        if (moved < 0.01)
            break;
    }
    for (qsizetype i = 0; i < n; ++i)
        widths[i] = edges[i + 1] - edges[i];
    // Whole twips, the last column taking what rounding leaves so the row fills the bar.
    double used = 0;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        widths[i] = units::twipsToPt(double(units::ptToTwips(widths[i])));
        used += widths[i];
    }
    widths[n - 1] = units::twipsToPt(double(units::ptToTwips(innerPt - used)));
    return widths;
}

float PageFit::columnWidthPt(double boxWidthPt, int columns)
{
    const long widthTwips = long(units::ptToTwips(boxWidthPt - 2 * kTextInsetXPt));
    const long columnTwips = std::max(1L, std::lround(double(widthTwips) / std::max(1, columns)));
    return float(units::twipsToPt(double(columnTwips)));
}

namespace {

// What the page picture shows: the shapes and 18 pt around them, within the page.
QRectF pictureRegion(const PagePlan& plan, const PageMetrics& page)
{
    QRectF region;
    for (const PageElement& element : plan.frame + plan.callouts + plan.marks) {
        if (element.kind == ElementKind::DateTable)
            continue;
        const QRectF frame(element.leftPt, element.topPt, element.widthPt, element.heightPt);
        region = region.isNull() ? frame : region.united(frame);
    }
    constexpr double kAroundPt = 18;
    return region.adjusted(-kAroundPt, -kAroundPt, kAroundPt, kAroundPt)
        .intersected(QRectF(0, 0, page.pageWidthPt, page.pageHeightPt));
}

} // namespace

namespace {

PagePlan planAfresh(const QString& title, const QList<TimelineEntry>& entries,
                    const PageMetrics& page, LayoutStyle style, const QList<double>& timeAxis,
                    const PageTheme& theme, const QList<SpanReach>& spans)
{
    Planner planner(title, entries, page, style == LayoutStyle::Fit ? timeAxis : QList<double>{},
                    theme, spans);
    PagePlan best;
    if (style == LayoutStyle::Classic || entries.isEmpty()) {
        best = planner.classic();
        if (!entries.isEmpty())
            best.report = planner.classicReport(best);
    } else {
        // One bar first, as the classic page has it; more only while text is cut, and
        // never a count whose columns are too narrow for any date when another is not.
        const int most = std::min(kMaxBars, planner.count());
        int first = 1;
        while (first < most && !planner.columnsHoldDates(first))
            ++first;
        // Once one bar cannot show every word, the count that shows the notes largest
        // wins among those that show them all; on a tie, the one whose tallest notes take
        // fewer lines, else the fewer bars.
        // A page that shows every word only by breaking some counts as not fitting yet.
        best = *planner.fit(first);
        bool broken = best.report.fits() && planner.breaksWords(best);
        for (int bars = first + 1; bars <= most; ++bars) {
            if (best.report.fits()) {
                if (best.bars().size() == 1 && !broken)
                    break;
                const int size = int(best.callouts.first().style.fontSizePt * 2);
                std::optional<PagePlan> other = planner.fit(bars, size - 1);
                if (!other)
                    continue;
                const bool otherBroken = planner.breaksWords(*other);
                if ((broken && !otherBroken) ||
                    (broken == otherBroken &&
                     (other->callouts.first().style.fontSizePt * 2 > size ||
                      planner.tallestNotes(*other) < planner.tallestNotes(best) - 1))) {
                    best = std::move(*other);
                    broken = otherBroken;
                }
                continue;
            }
            PagePlan more = *planner.fit(bars);
            if (showsMore(more.report, best.report)) {
                best = std::move(more);
                broken = best.report.fits() && planner.breaksWords(best);
            }
        }
    }
    best.report.pictureRegionPt = pictureRegion(best, page);
    return best;
}

// What one plan was made from, kept whole so that only the very same input finds it.
struct PlanInput
{
    QString title;
    QList<TimelineEntry> entries;
    PageMetrics page;
    LayoutStyle style;
    QList<double> timeAxis;
    PageTheme theme;
    QList<SpanReach> spans;

    friend bool operator==(const PlanInput&, const PlanInput&) = default;
};

} // namespace

PagePlan PageFit::plan(const QString& title, const QList<TimelineEntry>& entries,
                       const PageMetrics& page, LayoutStyle style, const QList<double>& timeAxis,
                       const PageTheme& theme, const QList<SpanReach>& spans)
{
    // The page beside the list plans every change, and the press then plans the same input
    // again; a plan depends on nothing but its input, so the last few are kept (per
    // thread, as the fonts that measure them are). The copy shares its texts.
    constexpr size_t kKept = 4;
    thread_local std::vector<std::pair<PlanInput, PagePlan>> kept;
    PlanInput input{title, entries, page, style, timeAxis, theme, spans};
    const auto found = std::find_if(kept.begin(), kept.end(),
                                    [&input](const auto& made) { return made.first == input; });
    if (found != kept.end()) {
        std::rotate(kept.begin(), found, found + 1);
        return kept.front().second;
    }
    PagePlan made = planAfresh(title, entries, page, style, timeAxis, theme, spans);
    if (kept.size() == kKept)
        kept.pop_back();
    kept.insert(kept.begin(), {std::move(input), made});
    return made;
}

} // namespace docgen
