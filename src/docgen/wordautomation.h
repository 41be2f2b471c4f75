#pragma once

#include "pagelayout.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

// The automation boundary: what the document builder, the page snapshot and the
// availability check ask of the word processor. Every member may fail by throwing
// app::Failure, whose description the error box shows. Objects are shared handles:
// one that outlives its document fails its members instead of crashing.
namespace docgen {

namespace word {
inline constexpr int kTextOrientationHorizontal = 1;
inline constexpr int kOrientationLandscape = 1;
inline constexpr int kWrapSquare = 0;
inline constexpr int kAlignCenter = 1;
inline constexpr int kUnitCharacter = 1;
inline constexpr int kUnitLine = 5;
inline constexpr int kUnitCell = 12;
inline constexpr int kExtend = 1;
inline constexpr int kTableBehaviorDefault = 1;
inline constexpr int kAutoFitFixed = 0;
inline constexpr int kBorderTop = -1;
inline constexpr int kBorderBottom = -3;
inline constexpr int kLineStyleNone = 0;
inline constexpr int kShapeUpArrowCallout = 55;
inline constexpr int kShapeDownArrowCallout = 56;
inline constexpr int kShapeRectangle = 1;
inline constexpr int kShapeDiamond = 4;
inline constexpr int kDoNotSaveChanges = 0;
inline constexpr int kTextOrientationUpward = 2;
inline constexpr int kAlignLeft = 0;
inline constexpr int kLineStyleSingle = 1;
inline constexpr int kAutoFitContent = 1;

// The word processor's colour value: red in the low byte, then green, then blue.
constexpr unsigned colourValue(const Colour& colour)
{
    return unsigned(colour.red) | (unsigned(colour.green) << 8) | (unsigned(colour.blue) << 16);
}
constexpr int alignmentValue(TextAlignment alignment)
{
    return alignment == TextAlignment::Centre ? kAlignCenter : kAlignLeft;
}
} // namespace word

// A stretch of a document: a document's whole content or the selection's range.
class WordRange
{
public:
    virtual ~WordRange() = default;
    // Renders the range and places the picture on the clipboard.
    virtual void CopyAsPicture() = 0;
};

// A shape's TextFrame.TextRange.
class WordTextRange
{
public:
    virtual ~WordTextRange() = default;
    virtual void setText(const QString& text) = 0;
    virtual void Select() = 0;
};

class WordShape
{
public:
    virtual ~WordShape() = default;
    virtual void setLineVisible(int visible) = 0;         // Line.Visible
    virtual void setWrapFormatType(int type) = 0;         // WrapFormat.Type
    virtual void setFillForeColorRGB(unsigned color) = 0; // Fill.ForeColor.RGB, red in the low byte
    virtual void setLineForeColorRGB(unsigned color) = 0; // Line.ForeColor.RGB
    virtual void setLineWeight(float points) = 0;         // Line.Weight
    // TextFrame.MarginLeft, MarginTop, MarginRight, MarginBottom; points.
    virtual void setTextFrameMargins(float left, float top, float right, float bottom) = 0;
    virtual std::shared_ptr<WordTextRange> textRange() = 0; // TextFrame.TextRange
    virtual void Select() = 0;
    // Adjustments.Item(item): the preset's adjust value as a fraction, items from 1.
    virtual void setAdjustment(int item, float value) = 0;
};

class WordPageSetup
{
public:
    virtual ~WordPageSetup() = default;
    virtual void setOrientation(int orientation) = 0;
    virtual void setPaperSize(int paper) = 0; // PaperSize: the word processor's paper code
    // Points, single precision as the page set-up reports them.
    virtual float PageWidth() = 0;
    virtual float PageHeight() = 0;
    virtual float TopMargin() = 0;
    virtual float BottomMargin() = 0;
};

class WordTable
{
public:
    virtual ~WordTable() = default;
    virtual void setBorderLineStyle(int borderIndex, int lineStyle) = 0; // Borders(i).LineStyle
    virtual float columnPreferredWidth(int column) = 0;        // Columns(i).PreferredWidth, points
    virtual void setTextOrientation(int orientation) = 0;      // Range.Orientation of every cell
    virtual void setRowHeight(float points) = 0;               // Rows.Height, at least
    virtual void setColumnWidth(int column, float points) = 0; // Columns(i).PreferredWidth
};

class WordSelection
{
public:
    virtual ~WordSelection() = default;
    virtual void Collapse() = 0;
    virtual void EndKey(int unit, int extend) = 0;
    virtual void MoveLeft(int unit, int count, int extend) = 0;
    virtual void MoveRight(int unit) = 0;
    virtual void TypeText(const QString& text) = 0;
    virtual void WholeStory() = 0;
    virtual std::shared_ptr<WordRange> Range() = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(float points) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setFontColor(unsigned color) = 0; // Font.Color, red in the low byte
    virtual void setParagraphAlignment(int alignment) = 0;
    // ParagraphFormat.LineSpacingRule "at least" with ParagraphFormat.LineSpacing, points.
    virtual void setLineSpacingAtLeast(float points) = 0;
};

class WordDocument
{
public:
    virtual ~WordDocument() = default;
    virtual std::shared_ptr<WordPageSetup> PageSetup() = 0;
    // Shapes.AddTextbox / Shapes.AddShape; positions in points from the page's corner.
    virtual std::shared_ptr<WordShape> AddTextbox(int orientation, double left, double top,
                                                  double width, double height) = 0;
    virtual std::shared_ptr<WordShape> AddShape(int type, double left, double top, double width,
                                                double height) = 0;
    // Tables.Add
    virtual std::shared_ptr<WordTable> AddTable(const std::shared_ptr<WordRange>& range,
                                                int numRows, int numColumns,
                                                int defaultTableBehavior, int autoFitBehavior) = 0;
    // CustomXMLParts.Add: an XML document the file carries for the program that made it.
    virtual void CustomXMLPartsAdd(const QString& xml) = 0;
    virtual void SaveAs(const QString& fileName) = 0;
    virtual void Close() = 0;
    virtual void Close(int saveChanges) = 0;
    virtual std::shared_ptr<WordRange> Range() = 0; // the whole content
};

class WordApplication
{
public:
    virtual ~WordApplication() = default;
    virtual std::shared_ptr<WordDocument> DocumentsAdd() = 0;
    virtual std::shared_ptr<WordDocument> DocumentsOpen(const QString& fileName) = 0;
    virtual std::shared_ptr<WordDocument> ActiveDocument() = 0;
    virtual std::shared_ptr<WordSelection> Selection() = 0;
    virtual void setDisplayAlerts(bool alerts) = 0;
    virtual void Quit() = 0;
};

inline constexpr const char* kWordProgId = "Word.Application";

// The object behind a handle; a handle that a failed statement never set fails the
// statement that uses it, as an unset object variable does.
[[noreturn]] void throwObjectNotSet();
template <typename T> T& live(const std::shared_ptr<T>& object)
{
    if (!object)
        throwObjectNotSet();
    return *object;
}

// Creates automation objects by programmatic identifier. The program registers the
// embedded engine under "Word.Application"; tests register failing or counting ones.
class AutomationFactory
{
public:
    using Creator = std::function<std::shared_ptr<WordApplication>()>;

    void registerClass(const QString& progId, Creator creator);
    // Throws app::Failure when nothing is registered under the identifier or the
    // creator fails.
    std::shared_ptr<WordApplication> createObject(const QString& progId) const;

private:
    std::map<QString, Creator> mCreators;
};

} // namespace docgen
