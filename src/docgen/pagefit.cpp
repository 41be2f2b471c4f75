#include "pagefit.h"

#include "office/calloutgeometry.h"
#include "office/document.h"
#include "office/textlayout.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace docgen {

namespace {

// Text box insets (bodyPr defaults): 0.1 in across, 0.05 in up and down.
constexpr double kInsetXPt = 7.2;
constexpr double kInsetYPt = 3.6;
// Normal Table's cell margin, each side.
constexpr double kCellMarginPt = 5.4;
// The classic callout's arrow: the part of its 81 pt outside the body (64.977 %).
constexpr double kArrowPt = kCalloutHeightPt * (1 - 0.64977);
// On a page of several bars room between the bars is scarce: the arrows are shorter, and
// the bars span the page but for its edges.
constexpr double kDenseArrowPt = 18;
constexpr int kDefaultBodyShare = 64977;
// Room kept free at the page's edges and between neighbouring shapes.
constexpr double kEdgePt = 18;
// A callout at either end of a bar may come closer to the page's side.
constexpr double kSideEdgePt = 6;
constexpr double kGapPt = 4;
// Another word processor may break a line a hair later; measure a little narrower and
// shorter than the area so its lines still fit.
constexpr double kWidthSlackPt = 0.5;
constexpr double kHeightSlackPt = 0.5;
// Font sizes tried in turn, largest first; nothing is set smaller than the last.
constexpr int kSizesHalfPt[] = {20, 18, 16, 14};
constexpr double kTitleMaxShare = 0.3; // of the page height
// A title on several lines sets them this many sizes apart, so no line's ink reaches into
// the next, and keeps this much below its last line for the descenders.
constexpr double kTitleLineFactor = 1.3;
constexpr double kTitleSizePt = 28;
constexpr double kTitleFootPt = 3;
constexpr int kMaxBars = 3;
// A date runs upwards in a row at most this high.
constexpr double kMaxUpwardRowPt = 120;
// Dates across take two lines at most: more than three is never measured.
constexpr double kDateLimitPt = 40;

struct Measure
{
    double heightPt = 0;
    double widestLinePt = 0;
    int lines = 0;
    bool wordsWhole = true; // no line breaks inside a word
};

office::CharFormat bodyFormat(int sizeHalfPt)
{
    office::CharFormat format;
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

// Whether a line that ends at `end` broke inside a word.
bool splitsWord(const QString& text, QTextBoundaryFinder& finder, int end)
{
    if (end <= 0 || end >= text.size() || text.at(end - 1).isSpace())
        return false;
    finder.setPosition(end);
    return !finder.isAtBoundary();
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
        const office::ParagraphLayout layout(
            paragraph, std::max(1.0, widthPt),
            office::LayoutLimit{.heightPt = std::max(1.0, limitPt - measure.heightPt)});
        measure.wordsWhole = measure.wordsWhole && layout.complete();
        const QString text = paragraph.text();
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (const office::LineBox& line : layout.lines()) {
            const int end = line.textStart + line.textLength;
            const bool split = splitsWord(text, finder, end);
            measure.wordsWhole = measure.wordsWhole && !split;
            measure.widestLinePt = std::max(measure.widestLinePt, line.widthPt);
            ++measure.lines;
            if (!onLine(line, measure.heightPt + line.topPt + line.heightPt, split))
                return measure;
        }
        measure.heightPt += layout.heightPt();
    }
    return measure;
}

// More text than any frame on a page can show at 7 pt; only this much of a longer text
// is measured, which keeps a hostile text's cost bounded.
constexpr int kMeasuredCharacters = 6000;

// Notes are centred in their callouts; dates stand at the left of their cells.
std::vector<office::Paragraph> paragraphsOf(const QString& text, int sizeHalfPt,
                                            office::Alignment alignment = office::Alignment::Center)
{
    std::vector<office::Paragraph> paragraphs;
    for (const QString& piece : office::splitParagraphTexts(text.left(kMeasuredCharacters)))
        paragraphs.push_back(paragraphOf(piece, bodyFormat(sizeHalfPt), alignment));
    return paragraphs;
}

// The title as the builder formats it: the first line, found in the box's own font before
// any formatting, less its last character, in Arial 28 pt bold and centred; the rest stays
// in the document's font.
std::vector<office::Paragraph> titleParagraphs(const QString& title, double boxWidthPt,
                                               double lineSpacingPt = 0)
{
    std::vector<office::Paragraph> paragraphs;
    const office::CharFormat plain;
    office::CharFormat styled;
    styled.fontName = QStringLiteral("Arial");
    styled.sizeHalfPt = 56;
    styled.bold = true;
    const std::vector<QString> pieces =
        office::splitParagraphTexts(title.left(kMeasuredCharacters));
    for (size_t i = 0; i < pieces.size(); ++i) {
        const QString& text = pieces[i];
        if (i > 0) {
            paragraphs.push_back(paragraphOf(text, plain, office::Alignment::Left));
            continue;
        }
        const office::ParagraphLayout firstLine(paragraphOf(text, plain, office::Alignment::Left),
                                                boxWidthPt - 2 * kInsetXPt,
                                                office::LayoutLimit{.lines = 2});
        int end = int(text.size());
        if (firstLine.lines().size() > 1) {
            const office::LineBox& line = firstLine.lines().front();
            end = line.textStart + line.textLength;
            // One character back, a whole one.
            end -= (end >= 2 && text.at(end - 1).isLowSurrogate() &&
                    text.at(end - 2).isHighSurrogate())
                       ? 2
                       : 1;
            end = std::max(0, end);
        }
        office::Paragraph paragraph;
        paragraph.alignment = office::Alignment::Center;
        paragraph.markFormat = plain;
        paragraph.lineAtLeastTwips = int(std::lround(lineSpacingPt * 20));
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

struct Slot
{
    double leftPt = 0; // the room a callout may use across
    double rightPt = 0;
};

struct CalloutFit
{
    double widthPt = kCalloutWidthPt;
    double heightPt = kCalloutHeightPt;
    int sizeHalfPt = 20;
    bool whole = true;
    int shown = 0;
};

struct DateFit
{
    int sizeHalfPt = 20;
    bool upward = false;
    double rowPt = 0;
    double barHeightPt = kBarHeightPt;
    QList<int> cut; // entries, from 0
    QList<int> shown;
};

class Planner
{
public:
    Planner(const QString& title, const QList<TimelineEntry>& entries, const PageMetrics& page,
            const QList<double>& timeAxis)
        : mTitle(title), mEntries(entries), mPage(page), mAxis(timeAxis)
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
        return plan;
    }

    // What the classic geometry cuts: the title and the notes that overflow their boxes.
    FitReport classicReport(const PagePlan& plan)
    {
        FitReport report;
        const PageElement& title = plan.frame.at(0);
        if (!titleFits(title.widthPt, title.heightPt))
            addCut(report, titleCut(title.widthPt, title.heightPt));
        for (int i = 0; i < count(); ++i) {
            if (!notesFit(i, kCalloutWidthPt, kCalloutHeightPt, 20, true) &&
                addCut(report, notesCut(i, kCalloutWidthPt, kCalloutHeightPt, 20)))
                report.cutFramesPt << frameOf(plan.callouts.at(i));
        }
        return report;
    }

    double barWidthFor(int bars) const
    {
        return bars > 1 ? std::max(kBarWidthPt, double(mPage.pageWidthPt) - 2 * kEdgePt)
                        : kBarWidthPt;
    }

    PagePlan fit(int bars)
    {
        mArrowPt = bars > 1 ? kDenseArrowPt : kArrowPt;
        mBarWidthPt = barWidthFor(bars);
        PagePlan plan = classic();
        PageElement& title = plan.frame[0];
        const double pageWidth = mPage.pageWidthPt;
        const double pageHeight = mPage.pageHeightPt;
        if (!titleFits(title.widthPt, title.heightPt)) {
            title.widthPt = std::min(kBarWidthPt, pageWidth - 2 * kEdgePt);
            title.leftPt = pageWidth / 2 - title.widthPt / 2;
            const double cap = std::max(kTitleHeightPt, kTitleMaxShare * pageHeight);
            const double textWidth = title.widthPt - 2 * kInsetXPt - kWidthSlackPt;
            if (measureAll(titleParagraphs(mTitle, title.widthPt), textWidth).lines > 1)
                title.lineSpacingPt = kTitleLineFactor * kTitleSizePt;
            const double need =
                measureAll(titleParagraphs(mTitle, title.widthPt, title.lineSpacingPt), textWidth)
                    .heightPt +
                2 * kInsetYPt + kHeightSlackPt + kTitleFootPt;
            title.heightPt = std::clamp(need, kTitleHeightPt, cap);
            if (!titleFits(title.widthPt, title.heightPt, title.lineSpacingPt))
                addCut(plan.report, titleCut(title.widthPt, title.heightPt, title.lineSpacingPt));
        }
        const double titleBottom = title.topPt + title.heightPt;

        // The bars, each with the dates it holds.
        const PageElement classicBar = plan.frame.at(1);
        const double barLeft = bars > 1 ? pageWidth / 2 - mBarWidthPt / 2 : classicBar.leftPt;
        const PageElement classicTable = plan.frame.at(2);
        plan.frame.resize(1);
        QList<int> firsts;
        QList<DateFit> dates;
        QList<QList<double>> columns;
        QList<bool> scaled;
        for (int b = 0; b < bars; ++b) {
            const int first = count() * b / bars;
            const int next = count() * (b + 1) / bars;
            firsts << first;
            columns << columnsOf(first, next - first);
            scaled << (!mAxis.isEmpty() && columns.last() != evenColumns(next - first));
            dates << fitDates(first, columns.last());
        }
        firsts << count();

        QList<double> barTops;
        const double top = titleBottom + kGapPt;
        const double bottom = pageHeight - kEdgePt;
        if (bars == 1) {
            barTops << barTopPt(mPage) + (titleBottom - kTitleHeightPt);
        } else {
            double space = bottom - top - (bars - 1) * kGapPt;
            for (const DateFit& fit : dates)
                space -= fit.barHeightPt;
            const double band = std::max(0.0, space / (2 * bars));
            double y = top + band;
            for (int b = 0; b < bars; ++b) {
                barTops << y;
                y += dates[b].barHeightPt + 2 * band + kGapPt;
            }
        }
        for (int b = 0; b < bars; ++b) {
            PageElement bar = classicBar;
            bar.leftPt = barLeft;
            bar.widthPt = mBarWidthPt;
            bar.topPt = barTops[b];
            bar.heightPt = dates[b].barHeightPt;
            bar.style.fontSizePt = dates[b].sizeHalfPt / 2.0;
            bar.firstEntry = firsts[b];
            bar.entryCount = firsts[b + 1] - firsts[b];
            PageElement table = classicTable;
            table.cells.clear();
            for (int i = firsts[b]; i < firsts[b + 1]; ++i)
                table.cells << mEntries.at(i).date;
            if (table.cells.isEmpty())
                table.cells << QString();
            table.style.fontSizePt = bar.style.fontSizePt;
            table.textUpward = dates[b].upward;
            table.rowHeightPt = dates[b].upward ? dates[b].rowPt : 0;
            if (scaled[b])
                table.columnWidthsPt = columns[b];
            table.firstEntry = bar.firstEntry;
            table.entryCount = bar.entryCount;
            plan.frame << bar << table;
            for (int k = 0; k < dates[b].cut.size(); ++k) {
                const int i = dates[b].cut[k];
                plan.report.cuts << CutText{CutText::Part::Date, i + 1, mEntries.at(i).date,
                                            dates[b].shown[k], charactersOf(mEntries.at(i).date)};
            }
        }

        // Where each callout's arrow points, and the room above and below each bar.
        const int n = count();
        QList<double> anchors;
        QList<int> barOf;
        for (int b = 0; b < bars; ++b) {
            double cellLeft = barLeft + kInsetXPt;
            const QList<double> places = placesOf(firsts[b], firsts[b + 1] - firsts[b]);
            for (int i = firsts[b]; i < firsts[b + 1]; ++i) {
                const double columnWidth = columns[b].at(i - firsts[b]);
                double anchor = cellLeft + columnWidth / 2;
                const PageElement& old = plan.callouts.at(i);
                const double classicCentre = old.leftPt + old.widthPt / 2;
                if (scaled[b]) {
                    // The date's place on the axis, kept inside its own cell.
                    const double inner = mBarWidthPt - 2 * kInsetXPt;
                    const double even = inner / (firsts[b + 1] - firsts[b]);
                    const double place =
                        barLeft + kInsetXPt + even / 2 + places.at(i - firsts[b]) * (inner - even);
                    anchor = std::clamp(place, cellLeft + 1, cellLeft + columnWidth - 1);
                } else if (bars == 1 && classicCentre > cellLeft + 1 &&
                           classicCentre < cellLeft + columnWidth - 1) {
                    anchor = classicCentre;
                }
                anchors << anchor;
                barOf << b;
                cellLeft += columnWidth;
            }
        }
        const auto roomOf = [&](int i) {
            const int b = barOf[i];
            const bool below = i % 2 == 0;
            const double barTop = barTops[b];
            const double barBottom = barTop + dates[b].barHeightPt;
            if (below) {
                const double limit =
                    b + 1 < bars ? (barBottom + barTops[b + 1]) / 2 - kGapPt / 2 : bottom;
                return limit - barBottom;
            }
            const double limit =
                b > 0 ? (barTops[b - 1] + dates[b - 1].barHeightPt + barTop) / 2 + kGapPt / 2 : top;
            return barTop - limit;
        };

        // A callout keeps its classic frame when that shows its text and leaves its
        // neighbours alone.
        QList<CalloutFit> fits(n);
        QList<bool> placed(n, false);
        QList<double> lefts(n, 0);
        if (bars == 1 && !scaled[0]) {
            const double step = n > 1 ? plan.callouts.at(1).leftPt - plan.callouts.at(0).leftPt : 0;
            const bool apart = n <= 2 || 2 * step >= kCalloutWidthPt + 1;
            for (int i = 0; i < n; ++i) {
                const PageElement& old = plan.callouts.at(i);
                const bool onPage = old.leftPt >= 0 && old.leftPt + old.widthPt <= pageWidth;
                if (apart && onPage && anchors[i] == old.leftPt + old.widthPt / 2 &&
                    roomOf(i) >= kCalloutHeightPt &&
                    notesFit(i, kCalloutWidthPt, kCalloutHeightPt, 20, true)) {
                    placed[i] = true;
                    lefts[i] = old.leftPt;
                }
            }
        }
        const auto sameSideNeighbour = [&](int i, int direction) {
            const int j = i + 2 * direction;
            return j >= 0 && j < n && barOf[j] == barOf[i] ? j : -1;
        };
        const auto slotOf = [&](int i, bool useFrames) {
            Slot slot{kSideEdgePt, pageWidth - kSideEdgePt};
            const int before = sameSideNeighbour(i, -1);
            const int after = sameSideNeighbour(i, 1);
            if (before >= 0) {
                slot.leftPt = placed[before] || useFrames
                                  ? lefts[before] + fits[before].widthPt + kGapPt
                                  : (anchors[before] + anchors[i]) / 2 + kGapPt / 2;
            }
            if (after >= 0) {
                slot.rightPt = placed[after] || useFrames
                                   ? lefts[after] - kGapPt
                                   : (anchors[i] + anchors[after]) / 2 - kGapPt / 2;
            }
            return slot;
        };
        QList<bool> sized(n, false);
        for (int i = 0; i < n; ++i) {
            if (placed[i])
                continue;
            const Slot slot = slotOf(i, false);
            const double half = std::min(anchors[i] - slot.leftPt, slot.rightPt - anchors[i]);
            fits[i] = sizeCallout(i, 2 * std::max(0.0, half), roomOf(i));
            lefts[i] = anchors[i] - fits[i].widthPt / 2;
            sized[i] = true;
        }
        // Those that still had to shrink their font widen into what their neighbours left.
        for (int i = 0; i < n; ++i) {
            if (!sized[i] || (fits[i].whole && fits[i].sizeHalfPt == 20))
                continue;
            const Slot slot = slotOf(i, true);
            const double half = std::min(anchors[i] - slot.leftPt, slot.rightPt - anchors[i]);
            if (2 * half <= fits[i].widthPt + 0.5)
                continue;
            fits[i] = sizeCallout(i, 2 * half, roomOf(i));
            lefts[i] = anchors[i] - fits[i].widthPt / 2;
        }

        for (int i = 0; i < n; ++i) {
            PageElement& callout = plan.callouts[i];
            if (placed[i]) {
                const int b = barOf[i];
                callout.topPt =
                    i % 2 == 0 ? barTops[b] + dates[b].barHeightPt : barTops[b] - kCalloutHeightPt;
                continue;
            }
            const CalloutFit& fit = fits[i];
            const int b = barOf[i];
            callout.leftPt = lefts[i];
            callout.widthPt = fit.widthPt;
            callout.heightPt = fit.heightPt;
            callout.topPt =
                i % 2 == 0 ? barTops[b] + dates[b].barHeightPt : barTops[b] - fit.heightPt;
            callout.style.fontSizePt = fit.sizeHalfPt / 2.0;
            const int share = bodyShare(fit.widthPt, fit.heightPt);
            if (share != kDefaultBodyShare)
                callout.adjust = std::array<int, 4>{25000, 25000, 25000, share};
            if (!fit.whole &&
                addCut(plan.report, CutText{CutText::Part::Notes, i + 1, mEntries.at(i).date,
                                            fit.shown, charactersOf(mNotes[i])}))
                plan.report.cutFramesPt << frameOf(callout);
        }
        std::stable_sort(plan.report.cuts.begin(), plan.report.cuts.end(),
                         [](const CutText& a, const CutText& b) { return a.line < b.line; });
        return plan;
    }

    int count() const { return int(mEntries.size()); }

    // Whether bars of this many entries leave every date a column it can stand in upright
    // at the smallest size: a count that does not is tried only when nothing else is left.
    bool columnsHoldDates(int bars) const
    {
        const int most = (count() + bars - 1) / bars;
        const double across = PageFit::columnWidthPt(barWidthFor(bars), std::max(1, most)) -
                              2 * kCellMarginPt - kWidthSlackPt;
        return across >= lineHeightPt(kSizesHalfPt[std::size(kSizesHalfPt) - 1]);
    }

private:
    static QRectF frameOf(const PageElement& element)
    {
        return QRectF(element.leftPt, element.topPt, element.widthPt, element.heightPt);
    }

    // The arrow keeps the classic length, unless the preset's head (a quarter of the
    // shorter side) is longer.
    double arrowPt(double widthPt, double heightPt) const
    {
        return std::max(mArrowPt, std::min(widthPt, heightPt) / 4);
    }

    // The height that gives a body of this height.
    double heightForBody(double widthPt, double bodyPt) const
    {
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

    // The text area of a callout of this size: the preset's text rectangle less the insets.
    QSizeF calloutArea(double widthPt, double heightPt) const
    {
        const int share = bodyShare(widthPt, heightPt);
        const QRectF rect =
            office::calloutTextRect(office::ShapeKind::UpArrowCallout, widthPt, heightPt,
                                    office::Adjust{25000, 25000, 25000, share});
        return QSizeF(rect.width() - 2 * kInsetXPt, rect.height() - 2 * kInsetYPt);
    }

    const Measure& notesMeasure(int entry, int sizeHalfPt, double widthPt)
    {
        const auto key = std::make_tuple(entry, sizeHalfPt, qRound64(widthPt * 100));
        auto found = mCache.find(key);
        if (found == mCache.end()) {
            Measure m = measureAll(paragraphsOf(mNotes[entry], sizeHalfPt), widthPt);
            m.wordsWhole = m.wordsWhole && mNotes[entry].size() <= kMeasuredCharacters;
            found = mCache.emplace(key, m).first;
        }
        return found->second;
    }

    // With `exact`, no slack: a classic frame whose text fits exactly stays as it is.
    bool notesFit(int entry, double widthPt, double heightPt, int sizeHalfPt, bool exact)
    {
        const QSizeF area = calloutArea(widthPt, heightPt);
        const double widthSlack = exact ? 0 : kWidthSlackPt;
        const double heightSlack = exact ? 0 : kHeightSlackPt;
        if (area.width() - widthSlack < 4)
            return false;
        const Measure& m = notesMeasure(entry, sizeHalfPt, area.width() - widthSlack);
        return m.wordsWhole && m.heightPt + heightSlack <= area.height();
    }

    CutText notesCut(int entry, double widthPt, double heightPt, int sizeHalfPt)
    {
        const QSizeF area = calloutArea(widthPt, heightPt);
        const std::vector<office::Paragraph> paragraphs = paragraphsOf(mNotes[entry], sizeHalfPt);
        return CutText{CutText::Part::Notes, entry + 1, mEntries.at(entry).date,
                       charactersShown(paragraphs, area.width(), area.height()),
                       charactersOf(mNotes[entry])};
    }

    // The narrowest callout, up to `maxWidthPt` and `roomPt` high, that shows the notes at
    // the largest size; cut at 7 pt in the whole room when none does.
    CalloutFit sizeCallout(int entry, double maxWidthPt, double roomPt)
    {
        const double minWidth = std::min(kCalloutWidthPt, maxWidthPt);
        const double classicHeight = std::min(kCalloutHeightPt, roomPt);
        // The height a width needs at a size; infinite when no height is enough.
        const auto heightFor = [&](double widthPt, int sizeHalfPt) {
            const double textWidth = widthPt - 2 * kInsetXPt - kWidthSlackPt;
            if (textWidth < 4)
                return HUGE_VAL;
            const Measure& m = notesMeasure(entry, sizeHalfPt, textWidth);
            if (!m.wordsWhole)
                return HUGE_VAL;
            const double body = m.heightPt + 2 * kInsetYPt + kHeightSlackPt;
            return std::max(classicHeight, heightForBody(widthPt, body) + 0.01);
        };
        const int smallest = kSizesHalfPt[std::size(kSizesHalfPt) - 1];
        // Text that the widest callout cannot hold at the smallest size is cut whatever
        // else is tried.
        const bool hopeless = heightFor(std::max(maxWidthPt, minWidth), smallest) > roomPt;
        for (const int size : kSizesHalfPt) {
            if (hopeless)
                break;
            double h = heightFor(minWidth, size);
            if (h <= roomPt)
                return CalloutFit{minWidth, h, size, true, 0};
            if (maxWidthPt <= minWidth + 0.5 || heightFor(maxWidthPt, size) > roomPt)
                continue;
            double low = minWidth;
            double high = maxWidthPt;
            while (high - low > 1) {
                const double middle = (low + high) / 2;
                (heightFor(middle, size) <= roomPt ? high : low) = middle;
            }
            return CalloutFit{high, heightFor(high, size), size, true, 0};
        }
        CalloutFit cut{std::max(maxWidthPt, 1.0), std::max(roomPt, 1.0), smallest, false, 0};
        const QSizeF area = calloutArea(cut.widthPt, cut.heightPt);
        cut.shown = area.width() > 0 && area.height() > 0
                        ? charactersShown(paragraphsOf(mNotes[entry], smallest), area.width(),
                                          area.height())
                        : 0;
        return cut;
    }

    bool titleFits(double widthPt, double heightPt, double lineSpacingPt = 0) const
    {
        const Measure m = measureAll(titleParagraphs(mTitle, widthPt, lineSpacingPt),
                                     widthPt - 2 * kInsetXPt - kWidthSlackPt);
        return m.wordsWhole && mTitle.size() <= kMeasuredCharacters &&
               m.heightPt <= heightPt - 2 * kInsetYPt + kHeightSlackPt;
    }

    CutText titleCut(double widthPt, double heightPt, double lineSpacingPt = 0) const
    {
        const std::vector<office::Paragraph> paragraphs =
            titleParagraphs(mTitle, widthPt, lineSpacingPt);
        return CutText{
            CutText::Part::Title, 0, QString(),
            charactersShown(paragraphs, widthPt - 2 * kInsetXPt, heightPt - 2 * kInsetYPt),
            charactersOf(mTitle)};
    }

    // Dates across at the largest size that keeps every word whole in two lines at most,
    // then upwards; what neither shows whole is cut.
    // The height of one line of the body font at a size.
    static double lineHeightPt(int sizeHalfPt)
    {
        static std::map<int, double> heights;
        const auto found = heights.find(sizeHalfPt);
        if (found != heights.end())
            return found->second;
        const double height =
            measureAll({paragraphOf(QString(), bodyFormat(sizeHalfPt), office::Alignment::Left)},
                       100)
                .heightPt;
        heights.emplace(sizeHalfPt, height);
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

    // Equal columns, or with a time axis columns that follow it while each holds its date
    // on one line at the largest size.
    QList<double> columnsOf(int first, int number) const
    {
        const QList<double> places = placesOf(first, number);
        if (places.isEmpty())
            return evenColumns(number);
        QList<double> minimums;
        for (int i = first; i < first + number; ++i) {
            const auto paragraphs = paragraphsOf(mEntries.at(i).date, 20, office::Alignment::Left);
            minimums << measureAll(paragraphs, 1e6).widestLinePt + 2 * kCellMarginPt +
                            2 * kWidthSlackPt;
        }
        const QList<double> widths =
            PageFit::scaledColumns(mBarWidthPt - 2 * kInsetXPt, places, minimums);
        const QList<double> even = evenColumns(number);
        // Dates as far apart as their cells already are need no columns of their own.
        bool same = true;
        for (qsizetype k = 0; k < widths.size() && same; ++k)
            same = std::abs(widths[k] - even[k]) < 0.5;
        return widths.isEmpty() || same ? even : widths;
    }

    DateFit fitDates(int first, const QList<double>& columns) const
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
        const auto datesOf = [&](int sizeHalfPt) {
            std::vector<std::vector<office::Paragraph>> all;
            for (int i = first; i < first + number; ++i)
                all.push_back(
                    paragraphsOf(mEntries.at(i).date, sizeHalfPt, office::Alignment::Left));
            return all;
        };
        for (const int size : kSizesHalfPt) {
            if (narrowest < 2)
                break;
            double row = 0;
            bool whole = true;
            const auto all = datesOf(size);
            for (int k = 0; k < number && whole; ++k) {
                const Measure m = measureAll(all[size_t(k)], across[k], kDateLimitPt);
                whole = m.wordsWhole && m.lines <= 2;
                row = std::max(row, m.heightPt);
            }
            if (whole) {
                // One line fits the classic bar, running a little into its bottom inset.
                fit.sizeHalfPt = size;
                fit.barHeightPt =
                    row <= kBarHeightPt - kInsetYPt ? kBarHeightPt : row + 2 * kInsetYPt;
                return fit;
            }
        }
        for (const int size : kSizesHalfPt) {
            if (lineHeightPt(size) > narrowest)
                continue;
            double row = 0;
            double thickest = 0;
            for (const auto& paragraphs : datesOf(size)) {
                const Measure m = measureAll(paragraphs, kMaxUpwardRowPt, narrowest + 1);
                row = std::max(row, m.widestLinePt);
                thickest = std::max(thickest, m.wordsWhole ? m.heightPt : HUGE_VAL);
            }
            if (thickest <= narrowest && row <= kMaxUpwardRowPt - 2) {
                fit.sizeHalfPt = size;
                fit.upward = true;
                fit.rowPt = std::ceil(row + 2);
                fit.barHeightPt = fit.rowPt + 2 * kInsetYPt;
                return fit;
            }
        }
        // Nothing shows every date: the smallest size across, and say which are cut.
        const int smallest = kSizesHalfPt[std::size(kSizesHalfPt) - 1];
        fit.sizeHalfPt = smallest;
        double row = 0;
        const auto all = datesOf(smallest);
        for (int k = 0; k < number; ++k) {
            const Measure m = measureAll(all[size_t(k)], std::max(1.0, across[k]));
            row = std::max(row, m.heightPt);
            if (!m.wordsWhole || m.lines > 2 || across[k] < 2) {
                fit.cut << first + k;
                fit.shown << (across[k] < 2
                                  ? 0
                                  : charactersShown(all[size_t(k)], across[k], HUGE_VAL, true));
            }
        }
        fit.barHeightPt = std::max(kBarHeightPt, std::min(row, 30.0) + 2 * kInsetYPt);
        return fit;
    }

    QString mTitle;
    QList<TimelineEntry> mEntries;
    QList<QString> mNotes;
    PageMetrics mPage;
    QList<double> mAxis;
    // The arrows' length and the bars' width of the page being fitted.
    double mArrowPt = kArrowPt;
    double mBarWidthPt = kBarWidthPt;
    std::map<std::tuple<int, int, qint64>, Measure> mCache;
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
    const QString what = part == Part::Title  ? QStringLiteral("title")
                         : part == Part::Date ? QStringLiteral("date")
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
                                     const QList<double>& minimumsPt)
{
    const qsizetype n = places.size();
    if (n == 0 || minimumsPt.size() != n)
        return {};
    double needed = 0;
    for (const double minimum : minimumsPt)
        needed += minimum;
    if (needed > innerPt)
        return {};
    // Centres on the axis, the ends half an even column in; cells end midway between them.
    const double even = innerPt / double(n);
    QList<double> edges{0};
    for (qsizetype i = 1; i < n; ++i)
        edges << even / 2 + (places[i - 1] + places[i]) / 2 * (innerPt - even);
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
    // Whole twips, the last column taking what rounding leaves so the row fills the bar.
    double used = 0;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        widths[i] = std::round(widths[i] * 20) / 20;
        used += widths[i];
    }
    widths[n - 1] = std::round((innerPt - used) * 20) / 20;
    return widths;
}

float PageFit::columnWidthPt(double boxWidthPt, int columns)
{
    const long widthTwips = std::lround((boxWidthPt - 2 * kInsetXPt) * 20);
    const long columnTwips = std::max(1L, std::lround(double(widthTwips) / std::max(1, columns)));
    return float(columnTwips / 20.0);
}

namespace {

// What the page picture shows: the shapes and 18 pt around them, within the page.
QRectF pictureRegion(const PagePlan& plan, const PageMetrics& page)
{
    QRectF region;
    for (const PageElement& element : plan.frame + plan.callouts) {
        if (element.kind == ElementKind::DateTable)
            continue;
        const QRectF frame(element.leftPt, element.topPt, element.widthPt, element.heightPt);
        region = region.isNull() ? frame : region.united(frame);
    }
    return region.adjusted(-kEdgePt, -kEdgePt, kEdgePt, kEdgePt)
        .intersected(QRectF(0, 0, page.pageWidthPt, page.pageHeightPt));
}

} // namespace

PagePlan PageFit::plan(const QString& title, const QList<TimelineEntry>& entries,
                       const PageMetrics& page, LayoutStyle style, const QList<double>& timeAxis)
{
    Planner planner(title, entries, page, style == LayoutStyle::Fit ? timeAxis : QList<double>{});
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
        best = planner.fit(first);
        for (int bars = first + 1; bars <= most && !best.report.fits(); ++bars) {
            PagePlan more = planner.fit(bars);
            if (showsMore(more.report, best.report))
                best = std::move(more);
        }
    }
    best.report.pictureRegionPt = pictureRegion(best, page);
    return best;
}

} // namespace docgen
