#include "renderer.h"

#include "calloutgeometry.h"
#include "error.h"
#include "textlayout.h"

#include "units/lengths.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QPainter>
#include <QThread>

#include <cmath>
#include <memory>
#include <unordered_map>

namespace office {

namespace {

// The most text one picture of the page lays out, in lines plus paragraphs: far more than
// a page can show legibly, and a bound on the time a hostile file can take however tall
// its frames are. Text past it is not drawn.
constexpr int kTextBudgetPerPage = 5000;
// The line length of upward cell text whose row states no height: a page's longest side.
constexpr double kUnboundedRowPt = 1584;

using SharedLayout = std::shared_ptr<const ParagraphLayout>;

// Paragraphs laid out by the last two pages drawn on this thread. The press draws one page
// twice (the clipboard's picture, then the preview from the document it opens again) and
// the preview draws it again at each zoom and scroll: the same text, width and limit give
// the same lines, so a page drawn again takes them from here. Only the characters of a few
// ordinary pages are kept. Per thread, as fonts and text layouts are.
class LayoutCache
{
public:
    static LayoutCache& ofThread()
    {
        thread_local LayoutCache cache;
        return cache;
    }

    SharedLayout layout(const Paragraph& paragraph, double widthPt, LayoutLimit limit)
    {
        Key key{paragraph, widthPt, limit.heightPt, limit.throughOffset, limit.lines};
        const auto found = mEntries.find(key);
        if (found != mEntries.end()) {
            found->second.page = mPage;
            return found->second.layout;
        }
        auto layout = std::make_shared<const ParagraphLayout>(paragraph, widthPt, limit);
        const qsizetype chars = paragraph.length();
        if (mChars + chars <= kMaxChars) {
            mChars += chars;
            mEntries.emplace(std::move(key), Entry{layout, mPage, chars});
        }
        return layout;
    }

    // Called when a page is drawn: what neither it nor the page before used goes.
    void pageDone()
    {
        std::erase_if(mEntries, [this](const auto& entry) {
            const bool old = entry.second.page + 1 < mPage;
            if (old)
                mChars -= entry.second.chars;
            return old;
        });
        ++mPage;
    }

private:
    static constexpr qsizetype kMaxChars = 256 * 1024;

    LayoutCache()
    {
        // The main thread's layouts hold fonts, which must go before the application.
        if (QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread())
            qAddPostRoutine([] { ofThread().clear(); });
    }
    void clear()
    {
        mEntries.clear();
        mChars = 0;
    }

    struct Key
    {
        Paragraph paragraph;
        double widthPt;
        double heightPt;
        int throughOffset;
        int lines;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash
    {
        size_t operator()(const Key& key) const
        {
            size_t seed = qHashMulti(0, key.widthPt, key.heightPt, key.throughOffset, key.lines,
                                     key.paragraph.lineAtLeastTwips, key.paragraph.runs.size());
            for (const Run& run : key.paragraph.runs)
                seed = qHashMulti(seed, run.text, run.format.sizeHalfPt);
            return seed;
        }
    };
    struct Entry
    {
        SharedLayout layout;
        quint64 page = 0;
        qsizetype chars = 0;
    };
    std::unordered_map<Key, Entry, KeyHash> mEntries;
    qsizetype mChars = 0;
    quint64 mPage = 0;
};

struct CellLayout
{
    std::vector<SharedLayout> paragraphs;
    double heightPt = 0;
};

// A story measured for a given width, so it can be anchored and then drawn. Blocks are
// laid out only down to the given height: what lies below it is never shown.
class StoryLayout
{
public:
    StoryLayout(const Story& story, double widthPt, double maxHeightPt, int& budget)
        : mBudget(budget)
    {
        for (const Block& block : story) {
            if (mHeightPt >= maxHeightPt || mBudget <= 0) {
                mComplete = false;
                break;
            }
            const double room = maxHeightPt - mHeightPt;
            Entry entry;
            if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
                entry.paragraph = layoutParagraph(*paragraph, widthPt, room);
                entry.heightPt = entry.paragraph->heightPt();
            } else {
                entry.table = &std::get<Table>(block);
                layoutTable(entry, room);
            }
            mHeightPt += entry.heightPt;
            mEntries.push_back(std::move(entry));
        }
    }

    // The height of what was laid out; when incomplete, at least the height asked for.
    double heightPt() const { return mHeightPt; }
    bool complete() const { return mComplete; }

    void draw(QPainter& painter, QPointF topLeft) const
    {
        double y = topLeft.y();
        for (const Entry& entry : mEntries) {
            if (entry.table) {
                drawTable(painter, entry, QPointF(topLeft.x(), y));
            } else {
                entry.paragraph->draw(painter, QPointF(topLeft.x(), y));
            }
            y += entry.heightPt;
        }
    }

private:
    // One paragraph, charged to the page's budget.
    SharedLayout layoutParagraph(const Paragraph& paragraph, double widthPt, double roomPt)
    {
        SharedLayout layout = LayoutCache::ofThread().layout(
            paragraph, widthPt, LayoutLimit{.heightPt = roomPt, .lines = std::max(1, mBudget)});
        mBudget -= 1 + int(layout->lines().size());
        mComplete = mComplete && layout->complete();
        return layout;
    }

    struct Entry
    {
        SharedLayout paragraph; // none for a table
        const Table* table = nullptr;
        std::vector<std::vector<CellLayout>> cells;
        std::vector<double> rowHeightsPt;
        double heightPt = 0;
    };

    static double columnPt(const Table& table, size_t column)
    {
        return column < table.columnWidthsTwips.size()
                   ? units::twipsToPt(table.columnWidthsTwips[column])
                   : 0.0;
    }

    void layoutTable(Entry& entry, double maxHeightPt)
    {
        const Table& table = *entry.table;
        const double marginPt = units::twipsToPt(table.cellMarginTwips);
        for (const auto& row : table.rows) {
            if (entry.heightPt >= maxHeightPt || mBudget <= 0) {
                mComplete = false;
                break;
            }
            const double room = maxHeightPt - entry.heightPt;
            std::vector<CellLayout> cells;
            double rowHeight = 0;
            const double minRowPt = units::twipsToPt(table.minRowHeightTwips);
            for (size_t column = 0; column < row.size(); ++column) {
                CellLayout cell;
                // Upward text runs along the row: its lines are as long as the row is high
                // and stack across the column.
                const double width = table.textUpward ? (minRowPt > 0 ? minRowPt : kUnboundedRowPt)
                                                      : columnPt(table, column) - 2 * marginPt;
                const double across = table.textUpward ? columnPt(table, column) : room;
                for (const Paragraph& paragraph : row[column].paragraphs) {
                    if (cell.heightPt >= across || mBudget <= 0) {
                        mComplete = false;
                        break;
                    }
                    cell.paragraphs.push_back(
                        layoutParagraph(paragraph, width, across - cell.heightPt));
                    cell.heightPt += cell.paragraphs.back()->heightPt();
                }
                double along = cell.heightPt;
                if (table.textUpward) {
                    along = 0;
                    for (const SharedLayout& paragraph : cell.paragraphs) {
                        for (const LineBox& line : paragraph->lines()) {
                            along = std::max(along, line.widthPt);
                        }
                    }
                }
                rowHeight = std::max(rowHeight, along);
                cells.push_back(std::move(cell));
            }
            rowHeight = std::max(rowHeight, minRowPt);
            entry.rowHeightsPt.push_back(rowHeight);
            entry.heightPt += rowHeight;
            entry.cells.push_back(std::move(cells));
        }
    }

    static void drawTable(QPainter& painter, const Entry& entry, QPointF topLeft)
    {
        const Table& table = *entry.table;
        const double marginPt = units::twipsToPt(table.cellMarginTwips);
        double tableWidth = 0;
        for (size_t c = 0; c < table.columnWidthsTwips.size(); ++c) {
            tableWidth += columnPt(table, c);
        }
        auto borderPen = [&](BorderSide side) {
            const Border& border = table.borders[size_t(side)];
            return QPen(Qt::black, border.widthEighthPt / 8.0, Qt::SolidLine, Qt::FlatCap);
        };
        auto visible = [&](BorderSide side) { return table.borders[size_t(side)].visible; };
        double y = topLeft.y();
        for (size_t r = 0; r < entry.cells.size(); ++r) {
            const double rowHeight = entry.rowHeightsPt[r];
            double x = topLeft.x();
            for (size_t c = 0; c < entry.cells[r].size(); ++c) {
                if (table.textUpward) {
                    // A quarter turn counter-clockwise: the text reads upwards from the
                    // cell's bottom, its first line at the cell's left margin.
                    painter.save();
                    painter.translate(x + marginPt, y + rowHeight);
                    painter.rotate(-90);
                    double py = 0;
                    for (const SharedLayout& paragraph : entry.cells[r][c].paragraphs) {
                        paragraph->draw(painter, QPointF(0, py));
                        py += paragraph->heightPt();
                    }
                    painter.restore();
                } else {
                    double py = y;
                    for (const SharedLayout& paragraph : entry.cells[r][c].paragraphs) {
                        paragraph->draw(painter, QPointF(x + marginPt, py));
                        py += paragraph->heightPt();
                    }
                }
                const BorderSide leftSide = c == 0 ? BorderLeft : BorderInsideV;
                if (visible(leftSide)) {
                    painter.setPen(borderPen(leftSide));
                    painter.drawLine(QLineF(x, y, x, y + rowHeight));
                }
                x += columnPt(table, c);
            }
            if (visible(BorderRight)) {
                painter.setPen(borderPen(BorderRight));
                painter.drawLine(QLineF(x, y, x, y + rowHeight));
            }
            const BorderSide topSide = r == 0 ? BorderTop : BorderInsideH;
            if (visible(topSide)) {
                painter.setPen(borderPen(topSide));
                painter.drawLine(QLineF(topLeft.x(), y, topLeft.x() + tableWidth, y));
            }
            y += rowHeight;
        }
        if (visible(BorderBottom)) {
            painter.setPen(borderPen(BorderBottom));
            painter.drawLine(QLineF(topLeft.x(), y, topLeft.x() + tableWidth, y));
        }
    }

    int& mBudget;
    std::vector<Entry> mEntries;
    double mHeightPt = 0;
    bool mComplete = true;
};

void drawOutline(QPainter& painter, const Shape& shape, const QPainterPath& outline)
{
    if (shape.lineVisible && shape.lineWidthPt > 0) {
        QPen pen(QColor::fromRgb(shape.lineColor), shape.lineWidthPt);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }
}

void drawShape(QPainter& painter, const Shape& shape, int& textBudget)
{
    painter.save();
    painter.translate(shape.leftPt, shape.topPt);
    const QPainterPath outline =
        calloutOutline(shape.kind, shape.widthPt, shape.heightPt, shape.adjust);
    if (shape.fill) {
        painter.fillPath(outline, QColor::fromRgb(*shape.fill));
    }
    if (!holdsText(shape.kind)) {
        drawOutline(painter, shape, outline);
        painter.restore();
        return;
    }

    // Text taller than its area starts at the top inset whatever the anchor. A callout cuts
    // it at the area's bottom edge, inside the bottom inset, so it never runs over the
    // arrow; a text box at its frame. Only the lines down to the area's edge are laid out.
    // Text that fits is anchored and kept inside the frame.
    const QRectF textRect = calloutTextRect(shape.kind, shape.widthPt, shape.heightPt, shape.adjust)
                                .adjusted(shape.insetLeftPt, shape.insetTopPt, -shape.insetRightPt,
                                          -shape.insetBottomPt);
    const bool cutAtArea = isCallout(shape.kind);
    const double shownPt = cutAtArea ? textRect.height() : shape.heightPt - textRect.top();
    const StoryLayout story(shape.story, textRect.width(), std::max(shownPt, textRect.height()),
                            textBudget);
    const QRectF frame(0, 0, shape.widthPt, shape.heightPt);
    const bool fits = story.complete() && story.heightPt() <= textRect.height();
    painter.save();
    double top = textRect.top();
    if (!fits && cutAtArea) {
        painter.setClipRect(frame.intersected(QRectF(0, 0, shape.widthPt, textRect.bottom())));
    } else {
        painter.setClipRect(frame);
    }
    if (fits) {
        if (shape.anchor == TextAnchor::Center) {
            top += (textRect.height() - story.heightPt()) / 2;
        } else if (shape.anchor == TextAnchor::Bottom) {
            top = textRect.bottom() - story.heightPt();
        }
    }
    story.draw(painter, QPointF(textRect.left(), top));
    painter.restore();

    drawOutline(painter, shape, outline);
    painter.restore();
}

} // namespace

QRectF shapesBoundsPt(const Document& document)
{
    QRectF bounds;
    for (const Shape& shape : document.shapes()) {
        const QRectF frame(shape.leftPt, shape.topPt, shape.widthPt, shape.heightPt);
        bounds = bounds.isNull() ? frame : bounds.united(frame);
    }
    return bounds;
}

void paintPage(const Document& document, QPainter& painter)
{
    const PageSetup& page = document.page();
    painter.fillRect(QRectF(0, 0, page.widthPt, page.heightPt), Qt::white);
    // One page: the body ends at the page's bottom edge.
    int textBudget = kTextBudgetPerPage;
    const StoryLayout body(document.body(), page.widthPt - page.leftMarginPt - page.rightMarginPt,
                           std::max(0.0, page.heightPt - page.topMarginPt), textBudget);
    body.draw(painter, QPointF(page.leftMarginPt, page.topMarginPt));
    for (const Shape& shape : document.shapes()) {
        drawShape(painter, shape, textBudget);
    }
    LayoutCache::ofThread().pageDone();
}

QImage renderRegion(const Document& document, const QRectF& regionPt, double pixelsPerPt)
{
    if (!(pixelsPerPt > 0) || !std::isfinite(pixelsPerPt) || !regionPt.isValid()) {
        throw Error(QStringLiteral("The region to render is empty."));
    }
    const double widthPx = std::ceil(regionPt.width() * pixelsPerPt - 1e-6);
    const double heightPx = std::ceil(regionPt.height() * pixelsPerPt - 1e-6);
    if (!(widthPx >= 1 && heightPx >= 1) || widthPx * heightPx > double(kMaxRenderPixels)) {
        throw Error(QStringLiteral("The picture of the page would be too large."));
    }
    return renderRegion(document, regionPt, QSize(int(widthPx), int(heightPx)));
}

QImage renderRegion(const Document& document, const QRectF& regionPt, QSize pixels)
{
    if (!regionPt.isValid() || !std::isfinite(regionPt.width()) ||
        !std::isfinite(regionPt.height())) {
        throw Error(QStringLiteral("The region to render is empty."));
    }
    if (pixels.width() < 1 || pixels.height() < 1 ||
        qint64(pixels.width()) * pixels.height() > kMaxRenderPixels) {
        throw Error(QStringLiteral("The picture of the page would be too large."));
    }
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        throw Error(QStringLiteral("There is not enough memory for the picture of the page."));
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    painter.scale(pixels.width() / regionPt.width(), pixels.height() / regionPt.height());
    painter.translate(-regionPt.topLeft());
    paintPage(document, painter);
    painter.end();
    return image;
}

} // namespace office
