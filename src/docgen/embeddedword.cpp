#include "embeddedword.h"

#include "app/failure.h"
#include "app/fileutil.h"
#include "filewrite/safefile.h"
#include "office/customxml.h"
#include "office/docreader.h"
#include "office/document.h"
#include "office/docwriter.h"
#include "office/error.h"
#include "office/renderer.h"

#include <QFile>
#include <QMutex>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdio>
#include <deque>
#include <new>
#include <vector>

namespace docgen {

namespace {

using office::Error;

struct DocumentState
{
    office::Document document;
    QString path;
    bool open = true;
};

// What every object of one application instance shares.
struct Engine
{
    Engine(app::Clipboard& board, EmbeddedWordOptions opts)
        : clipboard(board), options(std::move(opts))
    {}

    // Runs one member: the hook first, then the work; every failure leaves as app::Failure.
    template <typename Work> auto call(const char* member, const Work& work) -> decltype(work())
    {
        try {
            if (options.beforeMember) {
                options.beforeMember(member);
            }
            if (quit) {
                throw Error(QStringLiteral("The application has quit; %1 is not available.")
                                .arg(QString::fromLatin1(member)));
            }
            return work();
        } catch (const app::Failure&) {
            throw;
        } catch (const Error& error) {
            throw app::Failure(error.description());
        } catch (const std::bad_alloc&) {
            throw app::Failure(QStringLiteral("There is not enough memory to complete %1.")
                                   .arg(QString::fromLatin1(member)));
        } catch (const std::exception& error) {
            throw app::Failure(QString::fromUtf8(error.what()));
        }
    }

    std::shared_ptr<DocumentState> active() const
    {
        for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
            if ((*it)->open) {
                return *it;
            }
        }
        throw Error(QStringLiteral("This command is not available because no document is open."));
    }

    app::Clipboard& clipboard;
    EmbeddedWordOptions options;
    std::vector<std::shared_ptr<DocumentState>> documents; // in the order added or opened
    bool quit = false;
    bool displayAlerts = true;
};

// A word processor's colour value (red in the low byte) as the model holds it.
QRgb rgbOf(unsigned color)
{
    if (color > 0xFFFFFFu) {
        throw Error(QStringLiteral("The colour value is out of range."));
    }
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

const QString kNoSuchAdjustment =
    QStringLiteral("The requested member of the collection does not exist.");

office::Document& live(const std::shared_ptr<DocumentState>& state)
{
    if (!state->open) {
        throw Error(QStringLiteral("The object is not available because its document was closed."));
    }
    return state->document;
}

void checkFrame(double left, double top, double width, double height)
{
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(width) ||
        !std::isfinite(height) || width < 0 || height < 0 || std::abs(left) > 1e6 ||
        std::abs(top) > 1e6 || width > 1e6 || height > 1e6) {
        throw Error(QStringLiteral("The shape's position or size is out of range."));
    }
}

// SaveAs goes through the safe writer, so a failure leaves any earlier file as it was. It
// does not wait for the disk: the document goes to the temporary folder and lives only
// until the preview lets it go; the copy the user keeps is written by the save command,
// which does wait.
// The packages this process saved last, each with the model it was written from: a file
// opened again that still holds exactly those bytes is that model, and is not parsed again.
struct SavedPackage
{
    QString path;
    QByteArray bytes;
    office::Document document;
};
constexpr size_t kSavedPackagesKept = 4;
QMutex gSavedLock;
std::deque<SavedPackage> gSaved;

void rememberSaved(const QString& path, const QByteArray& bytes, const office::Document& document)
{
    const QMutexLocker lock(&gSavedLock);
    std::erase_if(gSaved, [&](const SavedPackage& saved) { return saved.path == path; });
    gSaved.push_front(SavedPackage{path, bytes, document});
    if (gSaved.size() > kSavedPackagesKept)
        gSaved.pop_back();
}

office::Document openDocumentFile(const QString& path)
{
    {
        const QMutexLocker lock(&gSavedLock);
        for (const SavedPackage& saved : gSaved) {
            if (saved.path != path)
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && file.size() == saved.bytes.size() &&
                file.readAll() == saved.bytes)
                return saved.document;
            break;
        }
    }
    return office::openDocument(path);
}

void writeDocumentFile(const office::Document& document, const QString& path)
{
    const QByteArray package = office::writePackage(document);
    if (const filewrite::WriteResult written = filewrite::replaceFile(
            path, package, filewrite::InPlace::Never, filewrite::Durability::Scratch);
        !written)
        throw Error(QStringLiteral("Cannot save the document as %1: %2").arg(path, written.reason));
    rememberSaved(path, package, document);
}

class Range : public WordRange
{
public:
    Range(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state,
          office::TextRange range)
        : mEngine(std::move(engine)), mState(std::move(state)), mRange(range)
    {}
    void CopyAsPicture() override
    {
        mEngine->call("Range.CopyAsPicture", [&] {
            QImage picture = renderContentPicture(live(mState));
            mEngine->clipboard.setPicture(picture);
        });
    }
    const std::shared_ptr<DocumentState>& state() const { return mState; }
    const office::TextRange& range() const { return mRange; }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
    office::TextRange mRange;
};

class TextRange : public WordTextRange
{
public:
    TextRange(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state, int shape)
        : mEngine(std::move(engine)), mState(std::move(state)), mShape(shape)
    {}
    void setText(const QString& text) override
    {
        mEngine->call("TextRange.Text", [&] { live(mState).setShapeText(mShape, text); });
    }
    void Select() override
    {
        mEngine->call("TextRange.Select", [&] {
            office::Document& document = live(mState);
            document.select(document.shapeText(mShape));
        });
    }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
    int mShape;
};

class Shape : public WordShape
{
public:
    Shape(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state, int index)
        : mEngine(std::move(engine)), mState(std::move(state)), mIndex(index)
    {}
    void setLineVisible(int visible) override
    {
        mEngine->call("Shape.Line.Visible",
                      [&] { live(mState).shape(mIndex).lineVisible = visible != 0; });
    }
    void setWrapFormatType(int type) override
    {
        mEngine->call("Shape.WrapFormat.Type", [&] {
            if (type < 0 || type > 7) {
                throw Error(QStringLiteral("The wrapping type %1 is out of range.").arg(type));
            }
            live(mState).shape(mIndex).wrapType = type;
        });
    }
    void setFillForeColorRGB(unsigned color) override
    {
        mEngine->call("Shape.Fill.ForeColor.RGB",
                      [&] { live(mState).shape(mIndex).fill = rgbOf(color); });
    }
    void setLineForeColorRGB(unsigned color) override
    {
        mEngine->call("Shape.Line.ForeColor.RGB",
                      [&] { live(mState).shape(mIndex).lineColor = rgbOf(color); });
    }
    void setLineWeight(float points) override
    {
        mEngine->call("Shape.Line.Weight", [&] {
            if (!std::isfinite(points) || points < 0 || points > 1584) {
                throw Error(QStringLiteral("The line weight is out of range."));
            }
            live(mState).shape(mIndex).lineWidthPt = points;
        });
    }
    void setTextFrameMargins(float left, float top, float right, float bottom) override
    {
        mEngine->call("Shape.TextFrame.Margin", [&] {
            for (const float margin : {left, top, right, bottom}) {
                if (!std::isfinite(margin) || margin < 0 || margin > 1584) {
                    throw Error(QStringLiteral("The text margin is out of range."));
                }
            }
            office::Shape& shape = live(mState).shape(mIndex);
            shape.insetLeftPt = left;
            shape.insetTopPt = top;
            shape.insetRightPt = right;
            shape.insetBottomPt = bottom;
        });
    }
    std::shared_ptr<WordTextRange> textRange() override
    {
        return mEngine->call("Shape.TextFrame.TextRange", [&] {
            live(mState).shape(mIndex);
            return std::make_shared<TextRange>(mEngine, mState, mIndex);
        });
    }
    void Select() override
    {
        mEngine->call("Shape.Select", [&] { live(mState).selectShape(mIndex); });
    }
    void setAdjustment(int item, float value) override
    {
        mEngine->call("Shape.Adjustments.Item", [&] {
            office::Shape& shape = live(mState).shape(mIndex);
            if (!office::isCallout(shape.kind) || item < 1 || item > int(shape.adjust.size())) {
                throw Error(kNoSuchAdjustment);
            }
            if (!std::isfinite(value) || std::abs(value) > 100) {
                throw Error(QStringLiteral("The adjustment value is out of range."));
            }
            shape.adjust[size_t(item - 1)] = int(std::lround(double(value) * 100000));
        });
    }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
    int mIndex;
};

class PageSetup : public WordPageSetup
{
public:
    PageSetup(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state)
        : mEngine(std::move(engine)), mState(std::move(state))
    {}
    void setOrientation(int orientation) override
    {
        mEngine->call("PageSetup.Orientation", [&] { live(mState).setOrientation(orientation); });
    }
    void setPaperSize(int paper) override
    {
        mEngine->call("PageSetup.PaperSize", [&] {
            const office::Paper* found = office::findPaper(paper);
            if (!found) {
                throw Error(QStringLiteral("The paper size %1 is not available.").arg(paper));
            }
            live(mState).setPaperSize(found->widthPt, found->heightPt);
        });
    }
    float PageWidth() override
    {
        return mEngine->call("PageSetup.PageWidth",
                             [&] { return float(live(mState).page().widthPt); });
    }
    float PageHeight() override
    {
        return mEngine->call("PageSetup.PageHeight",
                             [&] { return float(live(mState).page().heightPt); });
    }
    float TopMargin() override
    {
        return mEngine->call("PageSetup.TopMargin",
                             [&] { return float(live(mState).page().topMarginPt); });
    }
    float BottomMargin() override
    {
        return mEngine->call("PageSetup.BottomMargin",
                             [&] { return float(live(mState).page().bottomMarginPt); });
    }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
};

class Table : public WordTable
{
public:
    Table(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state, int id)
        : mEngine(std::move(engine)), mState(std::move(state)), mId(id)
    {}
    void setBorderLineStyle(int borderIndex, int lineStyle) override
    {
        mEngine->call("Table.Borders.LineStyle", [&] {
            // Border indices count down from -1: top, left, bottom, right, horizontal, vertical.
            if (borderIndex > -1 || borderIndex < -6) {
                throw Error(
                    QStringLiteral("The border index %1 is out of range.").arg(borderIndex));
            }
            if (lineStyle < 0) {
                throw Error(QStringLiteral("The line style %1 is out of range.").arg(lineStyle));
            }
            static const office::BorderSide sides[] = {
                office::BorderTop,   office::BorderLeft,    office::BorderBottom,
                office::BorderRight, office::BorderInsideH, office::BorderInsideV};
            live(mState).setTableBorderVisible(mId, sides[-borderIndex - 1], lineStyle != 0);
        });
    }
    float columnPreferredWidth(int column) override
    {
        return mEngine->call("Table.Columns.PreferredWidth", [&] {
            return float(live(mState).columnPreferredWidthPt(mId, column));
        });
    }
    void setTextOrientation(int orientation) override
    {
        mEngine->call("Table.Range.Orientation", [&] {
            if (orientation != word::kTextOrientationHorizontal &&
                orientation != word::kTextOrientationUpward) {
                throw Error(
                    QStringLiteral("The text orientation %1 is not available.").arg(orientation));
            }
            live(mState).setTableTextUpward(mId, orientation == word::kTextOrientationUpward);
        });
    }
    void setColumnWidth(int column, float points) override
    {
        mEngine->call("Table.Columns.PreferredWidth",
                      [&] { live(mState).setColumnWidthPt(mId, column, double(points)); });
    }
    void setRowHeight(float points) override
    {
        mEngine->call("Table.Rows.Height",
                      [&] { live(mState).setTableRowHeightPt(mId, double(points)); });
    }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
    int mId;
};

class Selection : public WordSelection
{
public:
    explicit Selection(std::shared_ptr<Engine> engine) : mEngine(std::move(engine)) {}

    void Collapse() override
    {
        mEngine->call("Selection.Collapse", [&] { document().collapse(); });
    }
    void EndKey(int unit, int extend) override
    {
        mEngine->call("Selection.EndKey", [&] {
            office::Document& doc = document();
            if (unit == word::kUnitLine) {
                doc.endKeyLine(extend == word::kExtend);
            } else if (unit == 6) { // the end of the story
                doc.wholeStory();
                if (extend != word::kExtend) {
                    doc.moveRightCharacters(1, false);
                }
            } else {
                throw Error(QStringLiteral("The unit %1 is not available for EndKey.").arg(unit));
            }
        });
    }
    void MoveLeft(int unit, int count, int extend) override
    {
        mEngine->call("Selection.MoveLeft", [&] {
            if (unit != word::kUnitCharacter) {
                throw Error(QStringLiteral("The unit %1 is not available for MoveLeft.").arg(unit));
            }
            document().moveLeftCharacters(count, extend == word::kExtend);
        });
    }
    void MoveRight(int unit) override
    {
        mEngine->call("Selection.MoveRight", [&] {
            if (unit == word::kUnitCell) {
                document().moveRightCell();
            } else if (unit == word::kUnitCharacter) {
                document().moveRightCharacters(1, false);
            } else {
                throw Error(
                    QStringLiteral("The unit %1 is not available for MoveRight.").arg(unit));
            }
        });
    }
    void TypeText(const QString& text) override
    {
        mEngine->call("Selection.TypeText", [&] { document().typeText(text); });
    }
    void WholeStory() override
    {
        mEngine->call("Selection.WholeStory", [&] { document().wholeStory(); });
    }
    std::shared_ptr<WordRange> Range() override
    {
        return mEngine->call("Selection.Range", [&]() -> std::shared_ptr<WordRange> {
            auto state = mEngine->active();
            return std::make_shared<docgen::Range>(mEngine, state, state->document.selection());
        });
    }
    void setFontName(const QString& name) override
    {
        mEngine->call("Selection.Font.Name", [&] { document().setFontName(name); });
    }
    void setFontSize(float points) override
    {
        mEngine->call("Selection.Font.Size", [&] { document().setFontSizePt(points); });
    }
    void setFontBold(bool bold) override
    {
        mEngine->call("Selection.Font.Bold", [&] { document().setFontBold(bold); });
    }
    void setFontColor(unsigned color) override
    {
        mEngine->call("Selection.Font.Color", [&] { document().setFontColor(rgbOf(color)); });
    }
    void setParagraphAlignment(int alignment) override
    {
        mEngine->call("Selection.ParagraphFormat.Alignment", [&] {
            static const office::Alignment values[] = {
                office::Alignment::Left, office::Alignment::Center, office::Alignment::Right,
                office::Alignment::Justify};
            if (alignment < 0 || alignment > 3) {
                throw Error(QStringLiteral("The alignment %1 is out of range.").arg(alignment));
            }
            document().setAlignment(values[alignment]);
        });
    }

    void setLineSpacingAtLeast(float points) override
    {
        mEngine->call("Selection.ParagraphFormat.LineSpacing",
                      [&] { document().setLineSpacingAtLeastPt(double(points)); });
    }

private:
    office::Document& document() { return mEngine->active()->document; }
    std::shared_ptr<Engine> mEngine;
};

class Document : public WordDocument
{
public:
    Document(std::shared_ptr<Engine> engine, std::shared_ptr<DocumentState> state)
        : mEngine(std::move(engine)), mState(std::move(state))
    {}
    std::shared_ptr<WordPageSetup> PageSetup() override
    {
        return mEngine->call("Document.PageSetup", [&] {
            live(mState);
            return std::make_shared<docgen::PageSetup>(mEngine, mState);
        });
    }
    std::shared_ptr<WordShape> AddTextbox(int orientation, double left, double top, double width,
                                          double height) override
    {
        return mEngine->call("Document.Shapes.AddTextbox", [&] {
            if (orientation != word::kTextOrientationHorizontal) {
                throw Error(QStringLiteral("Only horizontal text boxes are available."));
            }
            checkFrame(left, top, width, height);
            const int index = live(mState).addTextBox(left, top, width, height);
            return std::make_shared<Shape>(mEngine, mState, index);
        });
    }
    std::shared_ptr<WordShape> AddShape(int type, double left, double top, double width,
                                        double height) override
    {
        return mEngine->call("Document.Shapes.AddShape", [&] {
            office::ShapeKind kind;
            if (type == word::kShapeUpArrowCallout) {
                kind = office::ShapeKind::UpArrowCallout;
            } else if (type == word::kShapeDownArrowCallout) {
                kind = office::ShapeKind::DownArrowCallout;
            } else if (type == word::kShapeRectangle) {
                kind = office::ShapeKind::Rectangle;
            } else if (type == word::kShapeDiamond) {
                kind = office::ShapeKind::Diamond;
            } else {
                throw Error(QStringLiteral("The shape type %1 is not available.").arg(type));
            }
            checkFrame(left, top, width, height);
            const int index = office::isCallout(kind)
                                  ? live(mState).addCallout(kind, left, top, width, height)
                                  : live(mState).addMark(kind, left, top, width, height);
            return std::make_shared<Shape>(mEngine, mState, index);
        });
    }
    std::shared_ptr<WordTable> AddTable(const std::shared_ptr<WordRange>& range, int numRows,
                                        int numColumns, int defaultTableBehavior,
                                        int autoFitBehavior) override
    {
        return mEngine->call("Document.Tables.Add", [&] {
            auto* at = dynamic_cast<docgen::Range*>(range.get());
            if (!at || at->state() != mState) {
                throw Error(QStringLiteral("The range does not belong to this document."));
            }
            if (defaultTableBehavior < 0 || defaultTableBehavior > 1 || autoFitBehavior < 0 ||
                autoFitBehavior > 2) {
                throw Error(QStringLiteral("The table behaviour is out of range."));
            }
            const int id = live(mState).addTable(at->range(), numRows, numColumns);
            return std::make_shared<Table>(mEngine, mState, id);
        });
    }
    void CustomXMLPartsAdd(const QString& xml) override
    {
        mEngine->call("Document.CustomXMLParts.Add", [&] {
            office::Document& document = live(mState);
            // Checked as any item read from a file is, so the document saved always
            // opens again; the schema is the namespace of its root element.
            office::CustomXmlItem item = office::customxml::readItem(
                xml.toUtf8(),
                QStringLiteral("/customXml/item%1.xml").arg(document.customXml().size() + 1));
            QXmlStreamReader reader(item.data);
            while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::StartElement) {
            }
            if (!reader.namespaceUri().isEmpty())
                item.schemaRefs.push_back(reader.namespaceUri().toString());
            document.customXml().push_back(std::move(item));
        });
    }
    void SaveAs(const QString& fileName) override
    {
        mEngine->call("Document.SaveAs", [&] {
            writeDocumentFile(live(mState), fileName);
            mState->path = fileName;
        });
    }
    void Close() override
    {
        mEngine->call("Document.Close", [&] {
            live(mState);
            mState->open = false;
        });
    }
    void Close(int saveChanges) override
    {
        mEngine->call("Document.Close", [&] {
            office::Document& document = live(mState);
            if (saveChanges == -1) { // save before closing
                if (mState->path.isEmpty()) {
                    throw Error(QStringLiteral("The document has never been saved."));
                }
                writeDocumentFile(document, mState->path);
            }
            mState->open = false;
        });
    }
    std::shared_ptr<WordRange> Range() override
    {
        return mEngine->call("Document.Range", [&]() -> std::shared_ptr<WordRange> {
            return std::make_shared<docgen::Range>(mEngine, mState, live(mState).wholeBody());
        });
    }
    const std::shared_ptr<DocumentState>& state() const { return mState; }

private:
    std::shared_ptr<Engine> mEngine;
    std::shared_ptr<DocumentState> mState;
};

class Application : public WordApplication
{
public:
    explicit Application(std::shared_ptr<Engine> engine) : mEngine(std::move(engine)) {}

    std::shared_ptr<WordDocument> DocumentsAdd() override
    {
        return mEngine->call("Application.Documents.Add", [&] {
            auto state = std::make_shared<DocumentState>();
            mEngine->documents.push_back(state);
            return std::make_shared<Document>(mEngine, state);
        });
    }
    std::shared_ptr<WordDocument> DocumentsOpen(const QString& fileName) override
    {
        return mEngine->call("Application.Documents.Open", [&] {
            auto state = std::make_shared<DocumentState>();
            state->document = openDocumentFile(fileName);
            state->path = fileName;
            mEngine->documents.push_back(state);
            return std::make_shared<Document>(mEngine, state);
        });
    }
    std::shared_ptr<WordDocument> ActiveDocument() override
    {
        return mEngine->call("Application.ActiveDocument", [&] {
            return std::make_shared<Document>(mEngine, mEngine->active());
        });
    }
    std::shared_ptr<WordSelection> Selection() override
    {
        return mEngine->call("Application.Selection", [&] {
            mEngine->active();
            return std::make_shared<docgen::Selection>(mEngine);
        });
    }
    void setDisplayAlerts(bool alerts) override
    {
        mEngine->call("Application.DisplayAlerts", [&] { mEngine->displayAlerts = alerts; });
    }
    void Quit() override
    {
        mEngine->call("Application.Quit", [&] {
            for (const auto& state : mEngine->documents) {
                state->open = false;
            }
            mEngine->quit = true;
        });
    }

private:
    std::shared_ptr<Engine> mEngine;
};

} // namespace

std::shared_ptr<const office::Document> embeddedModel(const WordDocument& document)
{
    const auto* embedded = dynamic_cast<const Document*>(&document);
    if (!embedded)
        return nullptr;
    return std::shared_ptr<const office::Document>(embedded->state(), &embedded->state()->document);
}

QImage renderContentPicture(const office::Document& document)
{
    const office::PageSetup& page = document.page();
    const QRectF pageRect(0, 0, page.widthPt, page.heightPt);
    QRectF region = office::shapesBoundsPt(document);
    if (region.isNull()) {
        region = pageRect.adjusted(page.leftMarginPt, page.topMarginPt, -page.rightMarginPt,
                                   -page.bottomMarginPt);
    } else {
        region = region.adjusted(-18, -18, 18, 18).intersected(pageRect);
    }
    if (!region.isValid()) {
        region = pageRect;
    }
    if (!region.isValid()) {
        throw Error(QStringLiteral("The page has no area to draw."));
    }
    const double scale = std::min(kContentPictureViewport.width() / region.width(),
                                  kContentPictureViewport.height() / region.height());
    const QSize logical(std::max(1, int(std::lround(region.width() * scale))),
                        std::max(1, int(std::lround(region.height() * scale))));
    QImage picture = office::renderRegion(document, region, logical * 2);
    // Painted over opaque white, so every pixel is opaque and the bytes already are those
    // of a 32-bit RGB picture: the bitmap is written without a conversion.
    picture.reinterpretAsFormat(QImage::Format_RGB32);
    app::markPictureDensity(picture, kContentPictureDevicePixelRatio);
    return picture;
}

std::shared_ptr<WordApplication> createEmbeddedWord(app::Clipboard& clipboard,
                                                    EmbeddedWordOptions options)
{
    return std::make_shared<Application>(std::make_shared<Engine>(clipboard, std::move(options)));
}

void registerEmbeddedWord(AutomationFactory& factory, app::Clipboard& clipboard,
                          EmbeddedWordOptions options)
{
    factory.registerClass(QString::fromLatin1(kWordProgId),
                          [&clipboard, options] { return createEmbeddedWord(clipboard, options); });
}

} // namespace docgen
