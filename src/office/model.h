#pragma once

#include <QByteArray>
#include <QRgb>
#include <QString>

#include <array>
#include <optional>
#include <variant>
#include <vector>

// The word-processing model: a page set-up, the body story, and floating shapes whose
// text stories hold paragraphs of runs and tables. Lengths are points unless a name says
// otherwise; font sizes are half-points as the file stores them.
namespace office {

enum class Alignment
{
    Left,
    Center,
    Right,
    Justify
};

enum class ShapeKind
{
    TextBox,
    UpArrowCallout,
    DownArrowCallout,
    // Marks without text: a plain rectangle and a diamond.
    Rectangle,
    Diamond
};

// Whether a shape of this kind carries a text body; the marks carry none.
constexpr bool holdsText(ShapeKind kind)
{
    return kind != ShapeKind::Rectangle && kind != ShapeKind::Diamond;
}
// Whether the kind is one of the arrow callouts, the presets with adjust values.
constexpr bool isCallout(ShapeKind kind)
{
    return kind == ShapeKind::UpArrowCallout || kind == ShapeKind::DownArrowCallout;
}

enum class TextAnchor
{
    Top,
    Center,
    Bottom
};

// Word's WrapFormat.Type codes; 3 ("in front of text") is what a new shape gets.
inline constexpr int kWrapSquare = 0;
inline constexpr int kWrapInFront = 3;
inline constexpr int kWrapTopBottom = 4;
inline constexpr int kWrapBehind = 5;

// The document defaults (docDefaults): Calibri 11 pt, no spacing after, single lines.
inline constexpr const char* kDefaultFont = "Calibri";
inline constexpr int kDefaultSizeHalfPt = 22;

struct CharFormat
{
    QString fontName = QString::fromLatin1(kDefaultFont);
    int sizeHalfPt = kDefaultSizeHalfPt;
    bool bold = false;
    std::optional<QRgb> color; // unset: automatic (black on a light fill)
    bool operator==(const CharFormat&) const = default;
};

struct Run
{
    QString text;
    CharFormat format;
    bool operator==(const Run&) const = default;
};

struct Paragraph
{
    std::vector<Run> runs;
    Alignment alignment = Alignment::Left;
    CharFormat markFormat; // the paragraph mark's own run formatting
    // "At least" line spacing in twips, the extra space above the text; 0: single lines.
    int lineAtLeastTwips = 0;
    QString text() const;
    int length() const; // characters, not counting the paragraph mark
    bool operator==(const Paragraph&) const = default;
};

enum BorderSide
{
    BorderTop,
    BorderLeft,
    BorderBottom,
    BorderRight,
    BorderInsideH,
    BorderInsideV,
    BorderSideCount
};

struct Border
{
    bool visible = true;
    int widthEighthPt = 4; // 0.5 pt single line
    bool operator==(const Border&) const = default;
};

struct TableCell
{
    std::vector<Paragraph> paragraphs{Paragraph{}};
    bool operator==(const TableCell&) const = default;
};

// Word's limit on the columns of one table.
inline constexpr int kMaxTableColumns = 63;
// Normal Table's left and right cell margin, 5.4 pt.
inline constexpr int kCellMarginTwips = 108;

struct Table
{
    int id = 0; // stable handle while the document is open; not part of the content
    std::vector<int> columnWidthsTwips;
    std::vector<std::vector<TableCell>> rows;
    std::array<Border, BorderSideCount> borders{};
    int cellMarginTwips = kCellMarginTwips;
    // Cell text that reads upwards (btLr): a narrow column then holds a long date.
    bool textUpward = false;
    // The least height of every row; 0 lets the content decide.
    int minRowHeightTwips = 0;
    bool operator==(const Table& other) const
    {
        return columnWidthsTwips == other.columnWidthsTwips && rows == other.rows &&
               borders == other.borders && cellMarginTwips == other.cellMarginTwips &&
               textUpward == other.textUpward && minRowHeightTwips == other.minRowHeightTwips;
    }
};

using Block = std::variant<Paragraph, Table>;
// A story always ends with a paragraph, so there is a place after every table.
using Story = std::vector<Block>;

// The preset's adjust values in 1/100000, defaults of the arrow callouts.
using Adjust = std::array<int, 4>;
inline constexpr Adjust kCalloutDefaultAdjust{25000, 25000, 25000, 64977};

struct Shape
{
    int id = 0; // docPr id, unique in the document
    QString name;
    ShapeKind kind = ShapeKind::TextBox;
    double leftPt = 0; // from the page's top-left corner
    double topPt = 0;
    double widthPt = 0;
    double heightPt = 0;
    std::optional<QRgb> fill;
    bool lineVisible = true;
    double lineWidthPt = 0.5;
    QRgb lineColor = qRgb(0, 0, 0);
    int wrapType = kWrapInFront;
    // bodyPr insets: 0.1 in left and right, 0.05 in top and bottom.
    double insetLeftPt = 7.2;
    double insetTopPt = 3.6;
    double insetRightPt = 7.2;
    double insetBottomPt = 3.6;
    TextAnchor anchor = TextAnchor::Top;
    Adjust adjust = kCalloutDefaultAdjust;
    Story story{Paragraph{}};
    bool operator==(const Shape&) const = default;
};

// An XML data part the package carries for the program that made it (a custom XML item).
// The engine keeps its bytes as they are; it checks only that they are XML.
struct CustomXmlItem
{
    QByteArray data; // the whole part, with its XML declaration
    // "{GUID}" in capitals, as the item properties state it; empty: made from the data.
    QString itemId;
    std::vector<QString> schemaRefs; // namespace URIs of the schemas the data follows
    bool operator==(const CustomXmlItem&) const = default;
};

struct PageSetup
{
    double widthPt = 595.3;
    double heightPt = 841.9;
    double topMarginPt = 72;
    double bottomMarginPt = 72;
    double leftMarginPt = 72;
    double rightMarginPt = 72;
    bool landscape = false;
    bool operator==(const PageSetup&) const = default;
};

// The program that makes the documents and pages, as their properties name it.
inline constexpr const char* kProgramName = "Loomchart Page Studio";

// The papers a page can be set to, by their common name and the word processor's paper
// code; portrait sides in points.
struct Paper
{
    const char* name;
    int wordCode;
    double widthPt;
    double heightPt;
};
inline constexpr std::array<Paper, 5> kPapers{{{"Letter", 2, 612, 792},
                                               {"Legal", 4, 612, 1008},
                                               {"A4", 7, 595.3, 841.9},
                                               {"A3", 6, 841.9, 1190.55},
                                               {"Tabloid", 23, 792, 1224}}};
// By name, ignoring case, or by code; nothing when unknown.
const Paper* findPaper(QStringView name);
const Paper* findPaper(int wordCode);

// The paper of the user's region: Letter where it is the usual paper, A4 elsewhere and
// when no region is named. The region is the locale's paper category as the C library
// settles it: LC_ALL, else LC_PAPER, else LANG, each counting only when set and not
// empty.
const Paper& regionPaper();
// The portrait page of that paper with the usual margins.
PageSetup pageSetupOf(const Paper& paper);

// A new document's page: the region's paper.
PageSetup defaultPageSetup();

} // namespace office
