#pragma once

#include "model.h"

#include <QFont>
#include <QPointF>

#include <limits>
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

// How much of a paragraph is needed: lines are laid out until they fill a height (what a
// frame shows), until the line holding a character offset, or up to a number of lines;
// the rest is never measured.
struct LayoutLimit
{
    double heightPt = std::numeric_limits<double>::infinity();
    int throughOffset = std::numeric_limits<int>::max();
    int lines = std::numeric_limits<int>::max();
};

// One paragraph broken into lines of a given width with the runs' own fonts. Lines stack
// by their line spacing; the baseline sits at line top + ascender + line gap, read from
// the fonts' horizontal header as word processors read it.
//
// Lines are laid out in windows of the text, each a few hundred characters from the
// current line's start, so a word thousands of characters long costs time in proportion
// to what is laid out, not to its square. A line counts only when it ends before its
// window does; otherwise the window starts again at that line, larger if the line alone
// filled it.
class ParagraphLayout
{
public:
    ParagraphLayout(const Paragraph& paragraph, double widthPt, LayoutLimit limit = {});
    ~ParagraphLayout();
    ParagraphLayout(ParagraphLayout&&) noexcept;
    ParagraphLayout& operator=(ParagraphLayout&&) noexcept;

    const std::vector<LineBox>& lines() const { return mLines; }
    // Height of the lines laid out.
    double heightPt() const { return mHeightPt; }
    // False when the limit stopped the layout before the paragraph's end.
    bool complete() const { return mComplete; }
    // The painter works in points; topLeft is the paragraph's corner.
    void draw(QPainter& painter, QPointF topLeftPt) const;

private:
    struct Placed
    {
        size_t window = 0; // index into mWindows
        int line = 0;      // the line within that window's layout
    };
    std::vector<std::unique_ptr<QTextLayout>> mWindows;
    std::vector<Placed> mPlaced; // one per entry of mLines
    std::vector<LineBox> mLines;
    double mHeightPt = 0;
    bool mComplete = true;
};

// A paragraph's lines for measuring only, broken exactly as ParagraphLayout breaks them.
// Plain text in one font (the common case) is broken from each character's advance kept
// per font, without shaping it again; any other paragraph is laid out in full.
struct MeasuredLine
{
    LineBox box;
    bool splitsWord = false; // ends inside a word: the word was wider than the line
};

struct MeasuredLines
{
    std::vector<MeasuredLine> lines;
    double heightPt = 0;
    bool complete = true; // false when the limit stopped it before the paragraph's end
};

MeasuredLines measureLines(const Paragraph& paragraph, double widthPt, LayoutLimit limit = {});

} // namespace office
