#include "textlayout.h"

#include "error.h"

#include "units/lengths.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>

namespace office {

namespace {

QFont makeLayoutFont(const CharFormat& format)
{
    QFont font(format.fontName);
    font.setPixelSize(std::max(1, format.sizeHalfPt * 2));
    font.setBold(format.bold);
    font.setKerning(false);
    // Unhinted advances keep line breaks independent of the render scale.
    font.setHintingPreference(QFont::PreferNoHinting);
    // Word processors set no ligatures unless asked; a ligature glyph would also break the
    // word in the text a PDF reader extracts ("Sea" "le" for "Seattle"). Scripts that need
    // shaping are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

QFont layoutFont(const CharFormat& format)
{
    // Copies of one font share the engine Qt found for it; a font made afresh for every
    // layout looks its engine up again, which costs more than laying a short text out.
    // Per thread, as fonts are.
    thread_local QHash<QString, QFont> fonts;
    const QString key = format.fontName + QLatin1Char('/') + QString::number(format.sizeHalfPt) +
                        (format.bold ? QStringLiteral("/b") : QStringLiteral("/r"));
    const auto found = fonts.constFind(key);
    if (found != fonts.constEnd())
        return *found;
    const QFont font = makeLayoutFont(format);
    fonts.insert(key, font);
    return font;
}

namespace {

// Line metrics as word processors take them: from the font's horizontal header
// (ascender, descender, line gap), per em. Qt may report the OS/2 "win" values instead,
// which sit the baseline of some fonts (Carlito) two points lower at 10 pt.
struct EmMetrics
{
    double ascent = 0; // ascender + line gap: baseline below the line top
    double descent = 0;
};

EmMetrics emMetrics(const QFont& font)
{
    static QHash<QString, EmMetrics> cache;
    const QString key = font.family() + (font.bold() ? QStringLiteral("/b") : QStringLiteral("/r"));
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    EmMetrics metrics;
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray head = raw.fontTable("head");
    // Big-endian fields; callers check the table is long enough.
    const auto readU16 = [](const QByteArray& table, int offset) {
        return quint16((quint8(table.at(offset)) << 8) | quint8(table.at(offset + 1)));
    };
    const auto readS16 = [&](const QByteArray& table, int offset) {
        return qint16(readU16(table, offset));
    };
    const int unitsPerEm = head.size() >= 20 ? readU16(head, 18) : 0;
    if (hhea.size() >= 10 && unitsPerEm > 0) {
        metrics.ascent = double(readS16(hhea, 4) + readS16(hhea, 8)) / unitsPerEm;
        metrics.descent = double(-readS16(hhea, 6)) / unitsPerEm;
    } else {
        // No tables to read: fall back to what the font engine reports.
        const QFontMetricsF qt(font);
        metrics.ascent = (qt.ascent() + qt.leading()) / font.pixelSize();
        metrics.descent = qt.descent() / font.pixelSize();
    }
    cache.insert(key, metrics);
    return metrics;
}

QColor inkOf(const CharFormat& format)
{
    return format.color ? QColor::fromRgb(*format.color) : QColor(Qt::black);
}

} // namespace

ParagraphLayout::ParagraphLayout(const Paragraph& paragraph, double widthPt, LayoutLimit limit)
{
    // Fonts exist only once a GUI application runs; without one Qt's shaper crashes.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw Error(QStringLiteral("Text cannot be laid out without a running GUI application."));
    }
    QString text;
    struct Span
    {
        int start = 0;
        int length = 0;
        QTextCharFormat format;
        QFont font;
    };
    std::vector<Span> spans; // the non-empty runs, in order
    for (const Run& run : paragraph.runs) {
        if (run.text.isEmpty()) {
            continue;
        }
        Span span{int(text.size()), int(run.text.size()), {}, layoutFont(run.format)};
        span.format.setFont(span.font);
        span.format.setForeground(inkOf(run.format));
        spans.push_back(span);
        text += run.text;
    }
    // A manual line break keeps its position so offsets match the model.
    text.replace(QChar(u'\v'), QChar::LineSeparator);

    const CharFormat& first =
        paragraph.runs.empty() ? paragraph.markFormat : paragraph.runs.front().format;
    const QFont firstFont = layoutFont(first);
    const double atLeastUnits = units::twipsToPt(paragraph.lineAtLeastTwips) * kLayoutUnitsPerPt;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);

    // Each line is as tall as its tallest font: the fonts of the spans it holds, or the
    // paragraph mark's when it holds none.
    const auto lineMetrics = [&](int start, int length) {
        double ascent = 0;
        double descent = 0;
        bool any = false;
        auto span = std::upper_bound(spans.begin(), spans.end(), start,
                                     [](int at, const Span& s) { return at < s.start + s.length; });
        for (; span != spans.end() && span->start < start + std::max(length, 1); ++span) {
            const QFont& font = span->font;
            const EmMetrics em = emMetrics(font);
            ascent = std::max(ascent, em.ascent * font.pixelSize());
            descent = std::max(descent, em.descent * font.pixelSize());
            any = true;
        }
        if (!any) {
            const EmMetrics em = emMetrics(firstFont);
            ascent = em.ascent * firstFont.pixelSize();
            descent = em.descent * firstFont.pixelSize();
        }
        return std::pair{ascent, descent};
    };

    // A window's layout over text[from, from + length) with the spans it overlaps.
    const auto windowLayout = [&](int from, int length) {
        auto layout = std::make_unique<QTextLayout>(text.mid(from, length), firstFont);
        layout->setTextOption(option);
        QList<QTextLayout::FormatRange> ranges;
        auto span = std::upper_bound(spans.begin(), spans.end(), from,
                                     [](int at, const Span& s) { return at < s.start + s.length; });
        for (; span != spans.end() && span->start < from + length; ++span) {
            QTextLayout::FormatRange range;
            range.start = std::max(span->start, from) - from;
            range.length = std::min(span->start + span->length, from + length) - from - range.start;
            range.format = span->format;
            ranges.append(range);
        }
        layout->setFormats(ranges);
        layout->setCacheEnabled(true);
        return layout;
    };

    const int total = int(text.size());
    const double widthUnits = std::max(0.0, widthPt) * kLayoutUnitsPerPt;
    const double limitUnits = limit.heightPt * kLayoutUnitsPerPt;
    // Enough for several ordinary lines; a line that fills it makes it four times larger,
    // so the text shaped for one long line stays within a few times the line's length.
    constexpr int kWindowChars = 256;
    int windowChars = kWindowChars;
    int position = 0; // where the next line starts
    double topUnits = 0;
    bool done = false;
    while (!done) {
        const int length = std::min(total - position, windowChars);
        const bool lastWindow = position + length == total;
        auto layout = windowLayout(position, length);
        layout->beginLayout();
        int accepted = 0;
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) {
                done = true; // the whole text is laid out
                break;
            }
            line.setLineWidth(widthUnits);
            const int end = line.textStart() + line.textLength();
            if (!lastWindow && end >= length) {
                // The text after the window might have joined this line.
                break;
            }
            double x = 0;
            const double slack = widthUnits - line.naturalTextWidth();
            if (paragraph.alignment == Alignment::Center) {
                x = slack / 2;
            } else if (paragraph.alignment == Alignment::Right) {
                x = slack;
            }
            const int start = position + line.textStart();
            auto [ascentUnits, descentUnits] = lineMetrics(start, line.textLength());
            // "At least" spacing puts the extra room above the text, as word processors do.
            ascentUnits += std::max(0.0, atLeastUnits - ascentUnits - descentUnits);
            // Qt draws the baseline at the line's position plus its own ascent.
            line.setPosition(QPointF(x, topUnits + ascentUnits - line.ascent()));
            LineBox box;
            box.textStart = start;
            box.textLength = line.textLength();
            box.xPt = x / kLayoutUnitsPerPt;
            box.topPt = topUnits / kLayoutUnitsPerPt;
            box.baselinePt = (topUnits + ascentUnits) / kLayoutUnitsPerPt;
            const double heightUnits = ascentUnits + descentUnits;
            box.heightPt = heightUnits / kLayoutUnitsPerPt;
            box.widthPt = line.naturalTextWidth() / kLayoutUnitsPerPt;
            mLines.push_back(box);
            mPlaced.push_back({mWindows.size(), line.lineNumber()});
            topUnits += heightUnits;
            ++accepted;
            if (topUnits >= limitUnits || start + box.textLength > limit.throughOffset ||
                int(mLines.size()) >= limit.lines) {
                done = true;
                mComplete = lastWindow && start + box.textLength >= total &&
                            !layout->createLine().isValid();
                break;
            }
        }
        layout->endLayout();
        if (accepted > 0 && mLines.back().textStart + mLines.back().textLength == position &&
            !done) {
            // A line that takes no text would repeat for ever.
            mComplete = false;
            done = true;
        }
        if (accepted > 0) {
            const LineBox& last = mLines.back();
            position = last.textStart + last.textLength;
            mWindows.push_back(std::move(layout));
            windowChars = kWindowChars;
        } else if (!done) {
            windowChars = int(std::min<qint64>(qint64(windowChars) * 4, total));
        }
    }
    mHeightPt = topUnits / kLayoutUnitsPerPt;
}

ParagraphLayout::~ParagraphLayout() = default;
ParagraphLayout::ParagraphLayout(ParagraphLayout&&) noexcept = default;
ParagraphLayout& ParagraphLayout::operator=(ParagraphLayout&&) noexcept = default;

void ParagraphLayout::draw(QPainter& painter, QPointF topLeftPt) const
{
    painter.save();
    painter.translate(topLeftPt);
    painter.scale(1 / kLayoutUnitsPerPt, 1 / kLayoutUnitsPerPt);
    for (const Placed& placed : mPlaced) {
        mWindows[placed.window]->lineAt(placed.line).draw(&painter, QPointF(0, 0));
    }
    painter.restore();
}

} // namespace office
