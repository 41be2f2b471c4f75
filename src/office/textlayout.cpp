#include "textlayout.h"

#include <QPainter>
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
    return font;
}

namespace {

QColor inkOf(const CharFormat& format)
{
    return format.color ? QColor::fromRgb(*format.color) : QColor(Qt::black);
}

} // namespace

ParagraphLayout::ParagraphLayout(const Paragraph& paragraph, double widthPt)
{
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
        line.setPosition(QPointF(x, topUnits + line.leading()));
        LineBox box;
        box.textStart = line.textStart();
        box.textLength = line.textLength();
        box.xPt = x / kLayoutUnitsPerPt;
        box.topPt = topUnits / kLayoutUnitsPerPt;
        box.baselinePt = (topUnits + line.leading() + line.ascent()) / kLayoutUnitsPerPt;
        const double heightUnits = line.leading() + line.ascent() + line.descent();
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
