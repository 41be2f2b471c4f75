#pragma once

#include "model.h"

#include <QFont>
#include <QPointF>

#include <memory>
#include <vector>

class QPainter;
class QTextLayout;

namespace office {

// Text is shaped in quarter points: a font of S half-points is then exactly 2*S pixels,
// so every size the file can state is a whole pixel size and no screen DPI enters.
inline constexpr double kLayoutUnitsPerPt = 4.0;

QFont layoutFont(const CharFormat& format);

struct LineBox
{
    int textStart = 0;  // characters of the paragraph
    int textLength = 0; // includes the blank a wrapped line ends with
    double xPt = 0;     // from the paragraph's left edge, after alignment
    double topPt = 0;   // from the paragraph's top
    double baselinePt = 0;
    double heightPt = 0; // ascender + line gap + descender of the line's tallest font
    double widthPt = 0;  // inked width without trailing blanks
};

// One paragraph broken into lines of a given width with the runs' own fonts. Lines stack
// by their line spacing; the baseline sits at line top + ascender + line gap, read from
// the fonts' horizontal header as word processors read it.
class ParagraphLayout
{
public:
    ParagraphLayout(const Paragraph& paragraph, double widthPt);
    ~ParagraphLayout();
    ParagraphLayout(ParagraphLayout&&) noexcept;
    ParagraphLayout& operator=(ParagraphLayout&&) noexcept;

    const std::vector<LineBox>& lines() const { return mLines; }
    double heightPt() const { return mHeightPt; }
    // The painter works in points; topLeft is the paragraph's corner.
    void draw(QPainter& painter, QPointF topLeftPt) const;

private:
    std::unique_ptr<QTextLayout> mLayout;
    std::vector<LineBox> mLines;
    double mHeightPt = 0;
};

} // namespace office
