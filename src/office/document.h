#pragma once

#include "model.h"

#include <QString>

#include <vector>

namespace office {

// Where a run of text lives: the body (shape -1) or a shape's story, and within it either
// the story's own blocks or one table cell's paragraphs.
struct StoryRef
{
    int shape = -1;
    int tableId = 0; // 0: the story's own blocks
    int row = 0;
    int column = 0;
    bool operator==(const StoryRef&) const = default;
};

// A stretch of a container as character positions. Each paragraph counts its text plus
// one for its mark; a table inside a story's blocks counts as one position.
struct TextRange
{
    StoryRef where;
    int start = 0;
    int end = 0;
    bool operator==(const TextRange&) const = default;
};

// A text as a shape's or a cell's paragraphs: each CR, LF or CR LF starts a new one.
std::vector<QString> splitParagraphTexts(const QString& text);

// A document with the editing operations an automation client drives: shapes, tables
// and a selection that moves the way a word processor's caret does.
class Document
{
public:
    Document();

    PageSetup& page() { return mPage; }
    const PageSetup& page() const { return mPage; }
    // 1 is landscape; the page's sides are swapped to match.
    void setOrientation(int orientation);

    Story& body() { return mBody; }
    const Story& body() const { return mBody; }
    std::vector<Shape>& shapes() { return mShapes; }
    const std::vector<Shape>& shapes() const { return mShapes; }
    // Data items the package carries beside the page, in their order.
    std::vector<CustomXmlItem>& customXml() { return mCustomXml; }
    const std::vector<CustomXmlItem>& customXml() const { return mCustomXml; }
    Shape& shape(int index);
    const Shape& shape(int index) const;

    // New shapes in the look a word processor gives them; they return the shape's index.
    int addTextBox(double leftPt, double topPt, double widthPt, double heightPt);
    int addCallout(ShapeKind kind, double leftPt, double topPt, double widthPt, double heightPt);
    // A rectangle or a diamond: a mark without text.
    int addMark(ShapeKind kind, double leftPt, double topPt, double widthPt, double heightPt);
    // Used by the reader: keeps the shape as it is, assigns a free id when it has none.
    int appendShape(Shape shape);

    // Replaces a shape's text; the first character's formatting carries over.
    void setShapeText(int index, const QString& text);
    // The shape's whole text, without the story's final paragraph mark.
    TextRange shapeText(int index) const;
    TextRange wholeBody() const;

    // The selection.
    const TextRange& selection() const { return mSelection; }
    void select(const TextRange& range);
    void selectShape(int index);
    void collapse();
    void endKeyLine(bool extend);
    void moveLeftCharacters(int count, bool extend);
    void moveRightCharacters(int count, bool extend);
    void moveRightCell();
    void typeText(const QString& text);
    void wholeStory();
    void setFontName(const QString& name);
    void setFontSizePt(double sizePt);
    void setFontBold(bool bold);
    void setFontColor(QRgb color);
    void setAlignment(Alignment alignment);
    // "At least" line spacing of the selected paragraphs; 0 returns them to single lines.
    void setLineSpacingAtLeastPt(double points);
    // What typing at the collapsed selection would get.
    CharFormat insertionFormat() const;

    // Inserts a table of fixed, equal columns that fill the container's text width,
    // returns its id and puts the selection in its first cell.
    int addTable(const TextRange& at, int rows, int columns);
    Table& table(int id);
    const Table& table(int id) const;
    double columnPreferredWidthPt(int tableId, int column) const;
    void setTableBorderVisible(int tableId, BorderSide side, bool visible);
    void setTableTextUpward(int tableId, bool upward);
    void setTableRowHeightPt(int tableId, double heightPt);
    // Columns count from 1, as the automation client counts them.
    void setColumnWidthPt(int tableId, int column, double widthPt);
    // The portrait paper size; the orientation then decides which side is the width.
    void setPaperSize(double widthPt, double heightPt);

    // The width lines of this container are laid out in.
    double lineWidthPt(const StoryRef& where) const;

    // A copy of the content with no editing state, for comparison after a round trip.
    bool sameContent(const Document& other) const;

private:
    Story& storyOf(int shape);
    const Story& storyOf(int shape) const;
    int containerLength(const StoryRef& where) const;
    void checkRange(const TextRange& range) const;
    void applyCharFormat(const TextRange& range, const auto& change);
    void setActive(int position, bool extend);
    // Positions in the selection's container, moved off the inside of a surrogate pair
    // in the direction given (-1 or +1), and stepped by whole characters.
    int characterBoundary(int position, int direction) const;
    int stepCharacters(int position, int count) const;
    int nextTableId() { return ++mLastTableId; }

    PageSetup mPage;
    Story mBody{Paragraph{}};
    std::vector<Shape> mShapes;
    std::vector<CustomXmlItem> mCustomXml;
    TextRange mSelection;
    int mAnchor = 0; // the selection's fixed end; mActive moves
    int mActive = 0;
    std::optional<CharFormat> mPendingFormat; // formatting set on the collapsed selection
    int mLastTableId = 0;
};

} // namespace office
