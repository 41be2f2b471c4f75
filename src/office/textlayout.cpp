#include "textlayout.h"

#include "error.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>

namespace office {

QFont layoutFont(const CharFormat& format)
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

ParagraphLayout::ParagraphLayout(const Paragraph& paragraph, double widthPt)
{
    // Fonts exist only once a GUI application runs; without one Qt's shaper crashes.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw Error(QStringLiteral("Text cannot be laid out without a running GUI application."));
    }
    QString text;
    QList<QTextLayout::FormatRange> ranges;
    for (const Run& run : paragraph.runs) {
        if (run.text.isEmpty()) {
            continue;
        }
        QTextLayout::FormatRange range;
        range.start = int(text.size());
        range.length = int(run.text.size());
        range.format.setFont(layoutFont(run.format));
        range.format.setForeground(inkOf(run.format));
        ranges.append(range);
        text += run.text;
    }
    // A manual line break keeps its position so offsets match the model.
    text.replace(QChar(u'\v'), QChar::LineSeparator);

    const CharFormat& first =
        paragraph.runs.empty() ? paragraph.markFormat : paragraph.runs.front().format;
    mLayout = std::make_unique<QTextLayout>(text, layoutFont(first));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    mLayout->setTextOption(option);
    mLayout->setFormats(ranges);
    mLayout->setCacheEnabled(true);

    // Each line is as tall as its tallest font: the fonts of the runs it holds, or the
    // paragraph mark's when it holds none.
    const auto lineMetrics = [&](int start, int length) {
        double ascent = 0;
        double descent = 0;
        bool any = false;
        int offset = 0;
        for (const Run& run : paragraph.runs) {
            const int runLength = int(run.text.size());
            if (runLength > 0 && offset < start + std::max(length, 1) &&
                offset + runLength > start) {
                const QFont font = layoutFont(run.format);
                const EmMetrics em = emMetrics(font);
                ascent = std::max(ascent, em.ascent * font.pixelSize());
                descent = std::max(descent, em.descent * font.pixelSize());
                any = true;
            }
            offset += runLength;
        }
        if (!any) {
            const QFont font = layoutFont(first);
            const EmMetrics em = emMetrics(font);
            ascent = em.ascent * font.pixelSize();
            descent = em.descent * font.pixelSize();
        }
        return std::pair{ascent, descent};
    };

    const double widthUnits = std::max(0.0, widthPt) * kLayoutUnitsPerPt;
    double topUnits = 0;
    mLayout->beginLayout();
    for (;;) {
        QTextLine line = mLayout->createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(widthUnits);
        double x = 0;
        const double slack = widthUnits - line.naturalTextWidth();
        if (paragraph.alignment == Alignment::Center) {
            x = slack / 2;
        } else if (paragraph.alignment == Alignment::Right) {
            x = slack;
        }
        const auto [ascentUnits, descentUnits] = lineMetrics(line.textStart(), line.textLength());
        // Qt draws the baseline at the line's position plus its own ascent.
        line.setPosition(QPointF(x, topUnits + ascentUnits - line.ascent()));
        LineBox box;
        box.textStart = line.textStart();
        box.textLength = line.textLength();
        box.xPt = x / kLayoutUnitsPerPt;
        box.topPt = topUnits / kLayoutUnitsPerPt;
        box.baselinePt = (topUnits + ascentUnits) / kLayoutUnitsPerPt;
        const double heightUnits = ascentUnits + descentUnits;
        box.heightPt = heightUnits / kLayoutUnitsPerPt;
        box.widthPt = line.naturalTextWidth() / kLayoutUnitsPerPt;
        mLines.push_back(box);
        topUnits += heightUnits;
    }
    mLayout->endLayout();
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
    mLayout->draw(&painter, QPointF(0, 0));
    painter.restore();
}

} // namespace office
