#include "document.h"

#include "error.h"
#include "textlayout.h"

#include "units/lengths.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace office {

QString Paragraph::text() const
{
    QString all;
    for (const Run& run : runs) {
        all += run.text;
    }
    return all;
}

int Paragraph::length() const
{
    int n = 0;
    for (const Run& run : runs) {
        n += int(run.text.size());
    }
    return n;
}

namespace {

// The regions whose word processors start a new document on Letter paper: North America
// and the Letter countries of Central and South America and the Pacific. Everywhere else,
// and without a region at all, A4.
bool usesLetterPaper(QLocale::Territory territory)
{
    switch (territory) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Philippines:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::CostaRica:
    case QLocale::Guatemala:
    case QLocale::Nicaragua:
    case QLocale::Panama:
    case QLocale::PuertoRico:
    case QLocale::ElSalvador:
    case QLocale::Bolivia:
        return true;
    default:
        return false;
    }
}

} // namespace

const Paper* findPaper(QStringView name)
{
    for (const Paper& paper : kPapers) {
        if (name.compare(QLatin1String(paper.name), Qt::CaseInsensitive) == 0) {
            return &paper;
        }
    }
    return nullptr;
}

const Paper* findPaper(int wordCode)
{
    for (const Paper& paper : kPapers) {
        if (paper.wordCode == wordCode) {
            return &paper;
        }
    }
    return nullptr;
}

const Paper& regionPaper()
{
    const Paper& letter = *findPaper(QStringLiteral("Letter"));
    const Paper& a4 = *findPaper(QStringLiteral("A4"));
    for (const char* category : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const QByteArray name = qgetenv(category);
        if (!name.isEmpty())
            return usesLetterPaper(QLocale(QString::fromLatin1(name)).territory()) ? letter : a4;
    }
    return a4;
}

PageSetup pageSetupOf(const Paper& paper)
{
    PageSetup page;
    page.widthPt = paper.widthPt;
    page.heightPt = paper.heightPt;
    return page;
}

PageSetup defaultPageSetup()
{
    return pageSetupOf(regionPaper());
}

namespace {

// One entry of a container: a paragraph (text plus its mark) or a table (one position).
struct Item
{
    Paragraph* paragraph = nullptr;
    Table* table = nullptr;
    int start = 0;
    int length = 0;
};

struct Spot
{
    int item = 0;
    int offset = 0; // within the paragraph's text; never on the mark itself
};

Spot locate(const std::vector<Item>& items, int position)
{
    for (int i = 0; i < int(items.size()); ++i) {
        const Item& item = items[size_t(i)];
        if (item.paragraph) {
            if (position <= item.start + item.paragraph->length()) {
                return {i, std::max(0, position - item.start)};
            }
        } else if (position == item.start) {
            return {i, 0};
        }
    }
    // After the final mark: the end of the last paragraph.
    const int last = int(items.size()) - 1;
    return {last, items.back().paragraph ? items.back().paragraph->length() : 0};
}

// The UTF-16 unit at an offset of the paragraph's text, or 0 past its ends.
char16_t unitAt(const Paragraph& paragraph, int offset)
{
    if (offset < 0) {
        return 0;
    }
    for (const Run& run : paragraph.runs) {
        if (offset < run.text.size()) {
            return run.text.at(offset).unicode();
        }
        offset -= int(run.text.size());
    }
    return 0;
}

// A character outside the Basic Multilingual Plane takes two positions; no position may
// fall between them, or a split leaves two halves that no file can hold.
bool insidePair(const Paragraph& paragraph, int offset)
{
    return QChar::isHighSurrogate(unitAt(paragraph, offset - 1)) &&
           QChar::isLowSurrogate(unitAt(paragraph, offset));
}

// Makes a run boundary at the offset; returns the index of the run that starts there. An
// offset between the halves of a pair splits after the pair.
size_t splitRunsAt(Paragraph& paragraph, int offset)
{
    if (insidePair(paragraph, offset)) {
        ++offset;
    }
    int at = 0;
    for (size_t i = 0; i < paragraph.runs.size(); ++i) {
        Run& run = paragraph.runs[i];
        const int length = int(run.text.size());
        if (offset == at) {
            return i;
        }
        if (offset < at + length) {
            Run tail{run.text.mid(offset - at), run.format};
            run.text.truncate(offset - at);
            paragraph.runs.insert(paragraph.runs.begin() + std::ptrdiff_t(i) + 1, std::move(tail));
            return i + 1;
        }
        at += length;
    }
    return paragraph.runs.size();
}

void normalize(Paragraph& paragraph)
{
    std::vector<Run> merged;
    for (Run& run : paragraph.runs) {
        if (run.text.isEmpty()) {
            continue;
        }
        if (!merged.empty() && merged.back().format == run.format) {
            merged.back().text += run.text;
        } else {
            merged.push_back(std::move(run));
        }
    }
    paragraph.runs = std::move(merged);
}

void insertText(Paragraph& paragraph, int offset, const QString& text, const CharFormat& format)
{
    if (text.isEmpty()) {
        return;
    }
    const size_t at = splitRunsAt(paragraph, offset);
    paragraph.runs.insert(paragraph.runs.begin() + std::ptrdiff_t(at), Run{text, format});
    normalize(paragraph);
}

void eraseText(Paragraph& paragraph, int from, int to)
{
    const size_t first = splitRunsAt(paragraph, from);
    const size_t last = splitRunsAt(paragraph, to);
    paragraph.runs.erase(paragraph.runs.begin() + std::ptrdiff_t(first),
                         paragraph.runs.begin() + std::ptrdiff_t(last));
    normalize(paragraph);
}

// Cuts the paragraph at the offset and returns the part after it; both keep the
// paragraph's properties and mark formatting.
Paragraph splitParagraph(Paragraph& paragraph, int offset)
{
    const size_t at = splitRunsAt(paragraph, offset);
    Paragraph tail;
    tail.alignment = paragraph.alignment;
    tail.markFormat = paragraph.markFormat;
    tail.runs.assign(paragraph.runs.begin() + std::ptrdiff_t(at), paragraph.runs.end());
    paragraph.runs.erase(paragraph.runs.begin() + std::ptrdiff_t(at), paragraph.runs.end());
    return tail;
}

template <typename Change>
void formatText(Paragraph& paragraph, int from, int to, const Change& change)
{
    const size_t first = splitRunsAt(paragraph, from);
    const size_t last = splitRunsAt(paragraph, to);
    for (size_t i = first; i < last; ++i) {
        change(paragraph.runs[i].format);
    }
    normalize(paragraph);
}

template <typename Visit> void forEachCellParagraph(Table& table, const Visit& visit)
{
    for (auto& row : table.rows) {
        for (TableCell& cell : row) {
            for (Paragraph& paragraph : cell.paragraphs) {
                visit(paragraph);
            }
        }
    }
}

CharFormat formatBefore(const Paragraph& paragraph, int offset)
{
    if (paragraph.runs.empty()) {
        return paragraph.markFormat;
    }
    if (offset <= 0) {
        return paragraph.runs.front().format;
    }
    int at = 0;
    for (const Run& run : paragraph.runs) {
        at += int(run.text.size());
        if (offset <= at) {
            return run.format;
        }
    }
    return paragraph.runs.back().format;
}

} // namespace

std::vector<QString> splitParagraphTexts(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    unified.replace(QChar(u'\n'), QChar(u'\r'));
    std::vector<QString> pieces;
    for (const QString& piece : unified.split(QChar(u'\r'))) {
        pieces.push_back(piece);
    }
    return pieces;
}

namespace {

const QString kCollectionMember =
    QStringLiteral("The requested member of the collection does not exist.");

} // namespace

// The container's entries, built on each use; positions are recomputed from the text.
static std::vector<Item> itemsOf(Document& document, const StoryRef& where)
{
    std::vector<Item> items;
    int start = 0;
    if (where.tableId != 0) {
        Table& table = document.table(where.tableId);
        if (where.row < 0 || where.row >= int(table.rows.size()) || where.column < 0 ||
            where.column >= int(table.rows[size_t(where.row)].size())) {
            throw Error(kCollectionMember);
        }
        for (Paragraph& paragraph :
             table.rows[size_t(where.row)][size_t(where.column)].paragraphs) {
            items.push_back({&paragraph, nullptr, start, paragraph.length() + 1});
            start += paragraph.length() + 1;
        }
        return items;
    }
    Story& story = where.shape < 0 ? document.body() : document.shape(where.shape).story;
    for (Block& block : story) {
        if (auto* paragraph = std::get_if<Paragraph>(&block)) {
            items.push_back({paragraph, nullptr, start, paragraph->length() + 1});
            start += paragraph->length() + 1;
        } else {
            items.push_back({nullptr, &std::get<Table>(block), start, 1});
            start += 1;
        }
    }
    return items;
}

static int totalLength(const std::vector<Item>& items)
{
    return items.empty() ? 0 : items.back().start + items.back().length;
}

Document::Document() : mPage(defaultPageSetup()) {}

void Document::setOrientation(int orientation)
{
    if (orientation != 0 && orientation != 1) {
        throw Error(QStringLiteral("The orientation must be 0 (portrait) or 1 (landscape)."));
    }
    const bool landscape = orientation == 1;
    if ((landscape && mPage.widthPt < mPage.heightPt) ||
        (!landscape && mPage.widthPt > mPage.heightPt)) {
        std::swap(mPage.widthPt, mPage.heightPt);
    }
    mPage.landscape = landscape;
}

Shape& Document::shape(int index)
{
    if (index < 0 || index >= int(mShapes.size())) {
        throw Error(QStringLiteral("The shape does not exist in this document."));
    }
    return mShapes[size_t(index)];
}

const Shape& Document::shape(int index) const
{
    return const_cast<Document*>(this)->shape(index);
}

Story& Document::storyOf(int shapeIndex)
{
    return shapeIndex < 0 ? mBody : shape(shapeIndex).story;
}

const Story& Document::storyOf(int shapeIndex) const
{
    return const_cast<Document*>(this)->storyOf(shapeIndex);
}

int Document::appendShape(Shape added)
{
    int lastId = 0;
    for (const Shape& existing : mShapes) {
        lastId = std::max(lastId, existing.id);
    }
    if (added.id <= 0 || std::any_of(mShapes.begin(), mShapes.end(),
                                     [&](const Shape& s) { return s.id == added.id; })) {
        added.id = lastId + 1;
    }
    if (added.story.empty() || !std::holds_alternative<Paragraph>(added.story.back())) {
        added.story.push_back(Paragraph{});
    }
    for (Block& block : added.story) {
        if (auto* table = std::get_if<Table>(&block)) {
            table->id = nextTableId();
        }
    }
    mShapes.push_back(std::move(added));
    return int(mShapes.size()) - 1;
}

namespace {
// A new shape of a kind and name with its frame on the page, in points.
Shape framedShape(ShapeKind kind, QString name, double leftPt, double topPt, double widthPt,
                  double heightPt)
{
    Shape shape;
    shape.kind = kind;
    shape.name = std::move(name);
    shape.leftPt = leftPt;
    shape.topPt = topPt;
    shape.widthPt = widthPt;
    shape.heightPt = heightPt;
    return shape;
}
} // namespace

int Document::addTextBox(double leftPt, double topPt, double widthPt, double heightPt)
{
    Shape box =
        framedShape(ShapeKind::TextBox, QStringLiteral("Text Box %1").arg(mShapes.size() + 1),
                    leftPt, topPt, widthPt, heightPt);
    box.fill = qRgb(255, 255, 255);
    box.lineVisible = true;
    box.lineWidthPt = 0.5;
    box.lineColor = qRgb(0, 0, 0);
    box.anchor = TextAnchor::Top;
    return appendShape(std::move(box));
}

int Document::addCallout(ShapeKind kind, double leftPt, double topPt, double widthPt,
                         double heightPt)
{
    if (!isCallout(kind)) {
        throw Error(QStringLiteral("The shape type is not an arrow callout."));
    }
    Shape callout = framedShape(
        kind,
        QStringLiteral("%1 Arrow Callout %2")
            .arg(kind == ShapeKind::UpArrowCallout ? QStringLiteral("Up") : QStringLiteral("Down"))
            .arg(mShapes.size() + 1),
        leftPt, topPt, widthPt, heightPt);
    // A new shape's look: accent-1 fill, a darker 1 pt outline, white centred text.
    callout.fill = qRgb(0x44, 0x72, 0xC4);
    callout.lineVisible = true;
    callout.lineWidthPt = 1;
    callout.lineColor = qRgb(0x2F, 0x52, 0x8F);
    callout.anchor = TextAnchor::Center;
    Paragraph paragraph;
    paragraph.alignment = Alignment::Center;
    paragraph.markFormat.color = qRgb(255, 255, 255);
    callout.story = Story{paragraph};
    return appendShape(std::move(callout));
}

int Document::addMark(ShapeKind kind, double leftPt, double topPt, double widthPt, double heightPt)
{
    if (holdsText(kind)) {
        throw Error(QStringLiteral("The shape type is not a mark."));
    }
    Shape mark = framedShape(kind,
                             QStringLiteral("%1 %2")
                                 .arg(kind == ShapeKind::Diamond ? QStringLiteral("Diamond")
                                                                 : QStringLiteral("Rectangle"))
                                 .arg(mShapes.size() + 1),
                             leftPt, topPt, widthPt, heightPt);
    // A new shape's look, as for the callouts: accent-1 fill with a darker 1 pt outline.
    mark.fill = qRgb(0x44, 0x72, 0xC4);
    mark.lineVisible = true;
    mark.lineWidthPt = 1;
    mark.lineColor = qRgb(0x2F, 0x52, 0x8F);
    return appendShape(std::move(mark));
}

void Document::setShapeText(int index, const QString& text)
{
    Shape& target = shape(index);
    if (!holdsText(target.kind)) {
        throw Error(QStringLiteral("The shape holds no text."));
    }
    const std::vector<Item> items = itemsOf(*this, {index});
    const Item& firstItem = items.front();
    Paragraph model;
    CharFormat format;
    if (firstItem.paragraph) {
        model.alignment = firstItem.paragraph->alignment;
        model.markFormat = firstItem.paragraph->markFormat;
        format = formatBefore(*firstItem.paragraph, 0);
    }
    Story story;
    for (const QString& piece : splitParagraphTexts(text)) {
        Paragraph paragraph = model;
        if (!piece.isEmpty()) {
            paragraph.runs.push_back(Run{piece, format});
        }
        story.push_back(std::move(paragraph));
    }
    target.story = std::move(story);
    if (mSelection.where.shape == index) {
        select(TextRange{StoryRef{index}, 0, 0});
    }
}

TextRange Document::shapeText(int index) const
{
    const int total = containerLength(StoryRef{index});
    return TextRange{StoryRef{index}, 0, std::max(0, total - 1)};
}

TextRange Document::wholeBody() const
{
    return TextRange{StoryRef{}, 0, containerLength(StoryRef{})};
}

int Document::containerLength(const StoryRef& where) const
{
    return totalLength(itemsOf(const_cast<Document&>(*this), where));
}

void Document::checkRange(const TextRange& range) const
{
    if (range.where.shape >= int(mShapes.size())) {
        throw Error(QStringLiteral("The range belongs to a shape that does not exist."));
    }
    const int total = containerLength(range.where);
    if (range.start < 0 || range.start > range.end || range.end > total) {
        throw Error(QStringLiteral("The range is no longer valid."));
    }
}

int Document::characterBoundary(int position, int direction) const
{
    const std::vector<Item> items = itemsOf(const_cast<Document&>(*this), mSelection.where);
    const Spot spot = locate(items, position);
    const Item& item = items[size_t(spot.item)];
    if (item.paragraph && insidePair(*item.paragraph, spot.offset)) {
        return position + direction;
    }
    return position;
}

void Document::select(const TextRange& range)
{
    checkRange(range);
    mSelection = range;
    // A range never cuts a character: it widens to the whole pair.
    mSelection.start = characterBoundary(range.start, -1);
    mSelection.end = characterBoundary(range.end, +1);
    mAnchor = mSelection.start;
    mActive = mSelection.end;
    mPendingFormat.reset();
}

void Document::selectShape(int index)
{
    select(shapeText(index));
}

int Document::stepCharacters(int position, int count) const
{
    const int total = containerLength(mSelection.where);
    const int direction = count < 0 ? -1 : 1;
    // More steps than positions all end at the container's edge.
    for (int n = std::min(std::abs(qint64(count)), qint64(total) + 1); n > 0; --n) {
        const int next = position + direction;
        if (next < 0 || next > total) {
            break;
        }
        position = characterBoundary(next, direction);
    }
    return position;
}

void Document::setActive(int position, bool extend)
{
    const int total = containerLength(mSelection.where);
    mActive = std::clamp(position, 0, total);
    if (!extend) {
        mAnchor = mActive;
    }
    mSelection.start = std::min(mAnchor, mActive);
    mSelection.end = std::max(mAnchor, mActive);
    mPendingFormat.reset();
}

void Document::collapse()
{
    checkRange(mSelection);
    mAnchor = mActive = mSelection.start;
    setActive(mSelection.start, false);
}

void Document::endKeyLine(bool extend)
{
    checkRange(mSelection);
    const std::vector<Item> items = itemsOf(*this, mSelection.where);
    const Spot spot = locate(items, mActive);
    const Item& item = items[size_t(spot.item)];
    if (!item.paragraph) {
        setActive(item.start + 1, extend);
        return;
    }
    // Only the lines up to the one holding the selection's end are needed.
    const ParagraphLayout layout(*item.paragraph, lineWidthPt(mSelection.where),
                                 LayoutLimit{.throughOffset = spot.offset});
    const std::vector<LineBox>& lines = layout.lines();
    const int length = item.paragraph->length();
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineBox& line = lines[i];
        const bool last = i + 1 == lines.size() && layout.complete();
        if (!last && spot.offset >= line.textStart + line.textLength) {
            continue;
        }
        if (last) {
            // The line's ending character is the paragraph mark.
            setActive(item.start + length + (extend ? 1 : 0), extend);
        } else {
            setActive(item.start + line.textStart + line.textLength, extend);
        }
        return;
    }
    setActive(item.start + length + (extend ? 1 : 0), extend);
}

void Document::moveLeftCharacters(int count, bool extend)
{
    checkRange(mSelection);
    if (count < 0) {
        moveRightCharacters(-count, extend);
        return;
    }
    if (!extend && mSelection.start != mSelection.end) {
        setActive(stepCharacters(mSelection.start, -std::max(0, count - 1)), false);
        return;
    }
    setActive(stepCharacters(mActive, -count), extend);
}

void Document::moveRightCharacters(int count, bool extend)
{
    checkRange(mSelection);
    if (count < 0) {
        moveLeftCharacters(-count, extend);
        return;
    }
    if (!extend && mSelection.start != mSelection.end) {
        setActive(stepCharacters(mSelection.end, std::max(0, count - 1)), false);
        return;
    }
    setActive(stepCharacters(mActive, count), extend);
}

void Document::moveRightCell()
{
    checkRange(mSelection);
    StoryRef where = mSelection.where;
    if (where.tableId == 0) {
        throw Error(QStringLiteral("The selection is not in a table."));
    }
    const Table& current = table(where.tableId);
    if (where.column + 1 < int(current.rows[size_t(where.row)].size())) {
        ++where.column;
    } else if (where.row + 1 < int(current.rows.size())) {
        ++where.row;
        where.column = 0;
    } else {
        // Past the last cell the selection leaves the table for the paragraph after it.
        Story& story = storyOf(where.shape);
        for (size_t i = 0; i < story.size(); ++i) {
            const auto* block = std::get_if<Table>(&story[i]);
            if (block && block->id == where.tableId) {
                const StoryRef parent{where.shape};
                const std::vector<Item> items = itemsOf(*this, parent);
                select(TextRange{parent, items[i + 1].start, items[i + 1].start});
                return;
            }
        }
        throw Error(QStringLiteral("The table is no longer in the document."));
    }
    const int length = containerLength(where);
    select(TextRange{where, 0, length - 1});
}

void Document::wholeStory()
{
    checkRange(mSelection);
    const StoryRef story{mSelection.where.shape};
    select(TextRange{story, 0, containerLength(story)});
}

CharFormat Document::insertionFormat() const
{
    if (mPendingFormat) {
        return *mPendingFormat;
    }
    checkRange(mSelection);
    const std::vector<Item> items = itemsOf(const_cast<Document&>(*this), mSelection.where);
    const Spot spot = locate(items, mSelection.start);
    const Item& item = items[size_t(spot.item)];
    return item.paragraph ? formatBefore(*item.paragraph, spot.offset) : CharFormat{};
}

void Document::typeText(const QString& text)
{
    checkRange(mSelection);
    const CharFormat format = insertionFormat();
    StoryRef where = mSelection.where;
    std::vector<Item> items = itemsOf(*this, where);
    Spot first = locate(items, mSelection.start);
    if (mSelection.end > mSelection.start) {
        const Spot last = locate(items, mSelection.end);
        if (!items[size_t(first.item)].paragraph || !items[size_t(last.item)].paragraph) {
            throw Error(QStringLiteral("The selection cannot be replaced by text."));
        }
        Paragraph& head = *items[size_t(first.item)].paragraph;
        if (first.item == last.item) {
            eraseText(head, first.offset, last.offset);
        } else {
            Paragraph& tailSource = *items[size_t(last.item)].paragraph;
            Paragraph tail = splitParagraph(tailSource, last.offset);
            eraseText(head, first.offset, head.length());
            head.runs.insert(head.runs.end(), tail.runs.begin(), tail.runs.end());
            head.markFormat = tail.markFormat;
            normalize(head);
            // Drop the entries after the head up to and including the tail's paragraph.
            const auto from = std::ptrdiff_t(first.item) + 1;
            const auto to = std::ptrdiff_t(last.item) + 1;
            if (where.tableId != 0) {
                auto& paragraphs =
                    table(where.tableId).rows[size_t(where.row)][size_t(where.column)].paragraphs;
                paragraphs.erase(paragraphs.begin() + from, paragraphs.begin() + to);
            } else {
                Story& story = storyOf(where.shape);
                story.erase(story.begin() + from, story.begin() + to);
            }
        }
        items = itemsOf(*this, where);
    }
    if (!items[size_t(first.item)].paragraph) {
        throw Error(QStringLiteral("Text cannot be typed at a table."));
    }
    const std::vector<QString> pieces = splitParagraphTexts(text);
    int itemIndex = first.item;
    int offset = first.offset;
    for (size_t i = 0; i < pieces.size(); ++i) {
        Paragraph* paragraph = items[size_t(itemIndex)].paragraph;
        if (i > 0) {
            Paragraph tail = splitParagraph(*paragraph, offset);
            if (where.tableId != 0) {
                auto& paragraphs =
                    table(where.tableId).rows[size_t(where.row)][size_t(where.column)].paragraphs;
                paragraphs.insert(paragraphs.begin() + itemIndex + 1, std::move(tail));
            } else {
                Story& story = storyOf(where.shape);
                story.insert(story.begin() + itemIndex + 1, Block{std::move(tail)});
            }
            items = itemsOf(*this, where);
            ++itemIndex;
            offset = 0;
            paragraph = items[size_t(itemIndex)].paragraph;
        }
        insertText(*paragraph, offset, pieces[i], format);
        offset += int(pieces[i].size());
    }
    items = itemsOf(*this, where);
    const int caret = items[size_t(itemIndex)].start + offset;
    mSelection.start = mSelection.end = caret;
    mAnchor = mActive = caret;
    mPendingFormat.reset();
}

void Document::applyCharFormat(const TextRange& range, const auto& change)
{
    checkRange(range);
    const std::vector<Item> items = itemsOf(*this, range.where);
    if (range.start == range.end) {
        CharFormat format = insertionFormat();
        change(format);
        const Spot spot = locate(items, range.start);
        Paragraph* paragraph = items[size_t(spot.item)].paragraph;
        if (paragraph && paragraph->runs.empty()) {
            change(paragraph->markFormat);
        }
        mPendingFormat = format;
        return;
    }
    for (const Item& item : items) {
        if (item.table) {
            if (item.start >= range.start && item.start < range.end) {
                forEachCellParagraph(*item.table, [&](Paragraph& paragraph) {
                    for (Run& run : paragraph.runs) {
                        change(run.format);
                    }
                    change(paragraph.markFormat);
                    normalize(paragraph);
                });
            }
            continue;
        }
        const int length = item.paragraph->length();
        const int from = std::max(range.start, item.start) - item.start;
        const int to = std::min(range.end, item.start + length) - item.start;
        if (from < to) {
            formatText(*item.paragraph, from, to, change);
        }
        const int mark = item.start + length;
        if (mark >= range.start && mark < range.end) {
            change(item.paragraph->markFormat);
        }
    }
}

void Document::setFontName(const QString& name)
{
    if (name.trimmed().isEmpty()) {
        throw Error(QStringLiteral("The font name must not be empty."));
    }
    applyCharFormat(mSelection, [&](CharFormat& format) { format.fontName = name; });
}

void Document::setFontSizePt(double sizePt)
{
    // Word's range of font sizes, in half-point steps.
    if (!(sizePt >= 1 && sizePt <= 1638)) {
        throw Error(QStringLiteral("The font size must be between 1 and 1638 points."));
    }
    const int halfPt = int(std::lround(sizePt * 2));
    applyCharFormat(mSelection, [&](CharFormat& format) { format.sizeHalfPt = halfPt; });
}

void Document::setFontBold(bool bold)
{
    applyCharFormat(mSelection, [&](CharFormat& format) { format.bold = bold; });
}

void Document::setFontColor(QRgb color)
{
    applyCharFormat(mSelection, [&](CharFormat& format) {
        format.color = qRgb(qRed(color), qGreen(color), qBlue(color));
    });
}

void Document::setLineSpacingAtLeastPt(double points)
{
    if (!std::isfinite(points) || points < 0 || points > 1584) {
        throw Error(QStringLiteral("The line spacing is out of range."));
    }
    checkRange(mSelection);
    const int twips = int(units::ptToTwips(points));
    const std::vector<Item> items = itemsOf(*this, mSelection.where);
    const int end = std::max(mSelection.end, mSelection.start + 1);
    for (const Item& item : items) {
        if (item.paragraph && item.start < end && item.start + item.length > mSelection.start) {
            item.paragraph->lineAtLeastTwips = twips;
        }
    }
}

void Document::setAlignment(Alignment alignment)
{
    checkRange(mSelection);
    const std::vector<Item> items = itemsOf(*this, mSelection.where);
    const int end = std::max(mSelection.end, mSelection.start + 1);
    for (const Item& item : items) {
        if (item.start >= end || item.start + item.length <= mSelection.start) {
            continue;
        }
        if (item.paragraph) {
            item.paragraph->alignment = alignment;
        } else {
            forEachCellParagraph(*item.table,
                                 [&](Paragraph& paragraph) { paragraph.alignment = alignment; });
        }
    }
}

int Document::addTable(const TextRange& at, int rows, int columns)
{
    if (columns < 1 || columns > kMaxTableColumns) {
        throw Error(QStringLiteral("The number of columns must be between 1 and %1.")
                        .arg(kMaxTableColumns));
    }
    if (rows < 1 || rows > 32767) {
        throw Error(QStringLiteral("The number of rows must be between 1 and 32767."));
    }
    if (at.where.tableId != 0) {
        throw Error(QStringLiteral("A table cannot be added inside a table cell."));
    }
    select(at);
    if (at.end > at.start) {
        typeText(QString());
    }
    const CharFormat cellFormat = insertionFormat();
    std::vector<Item> items = itemsOf(*this, at.where);
    const Spot spot = locate(items, mSelection.start);
    Paragraph* paragraph = items[size_t(spot.item)].paragraph;
    if (!paragraph) {
        throw Error(QStringLiteral("A table cannot be added at another table."));
    }

    Table table;
    table.id = nextTableId();
    const long long widthTwips = units::ptToTwips(lineWidthPt(at.where));
    const int columnTwips = int(std::max(1L, std::lround(double(widthTwips) / columns)));
    table.columnWidthsTwips.assign(size_t(columns), columnTwips);
    Paragraph cellParagraph;
    cellParagraph.alignment = paragraph->alignment;
    cellParagraph.markFormat = cellFormat;
    TableCell cell;
    cell.paragraphs = {cellParagraph};
    table.rows.assign(size_t(rows), std::vector<TableCell>(size_t(columns), cell));

    Story& story = storyOf(at.where.shape);
    auto position = story.begin() + spot.item;
    if (spot.offset > 0) {
        Paragraph tail = splitParagraph(*paragraph, spot.offset);
        position = story.insert(position + 1, Block{std::move(tail)});
    }
    const int id = table.id;
    story.insert(position, Block{std::move(table)});
    select(TextRange{StoryRef{at.where.shape, id, 0, 0}, 0, 0});
    return id;
}

Table& Document::table(int id)
{
    auto find = [id](Story& story) -> Table* {
        for (Block& block : story) {
            if (auto* table = std::get_if<Table>(&block); table && table->id == id) {
                return table;
            }
        }
        return nullptr;
    };
    if (Table* found = find(mBody)) {
        return *found;
    }
    for (Shape& each : mShapes) {
        if (Table* found = find(each.story)) {
            return *found;
        }
    }
    throw Error(QStringLiteral("The table is no longer in the document."));
}

const Table& Document::table(int id) const
{
    return const_cast<Document*>(this)->table(id);
}

double Document::columnPreferredWidthPt(int tableId, int column) const
{
    const Table& found = table(tableId);
    if (column < 1 || column > int(found.columnWidthsTwips.size())) {
        throw Error(kCollectionMember);
    }
    return units::twipsToPt(found.columnWidthsTwips[size_t(column - 1)]);
}

void Document::setTableBorderVisible(int tableId, BorderSide side, bool visible)
{
    table(tableId).borders[size_t(side)].visible = visible;
}

void Document::setTableTextUpward(int tableId, bool upward)
{
    table(tableId).textUpward = upward;
}

void Document::setTableRowHeightPt(int tableId, double heightPt)
{
    if (!std::isfinite(heightPt) || heightPt < 0 || heightPt > 1584) {
        throw Error(QStringLiteral("The row height is out of range."));
    }
    table(tableId).minRowHeightTwips = int(units::ptToTwips(heightPt));
}

void Document::setColumnWidthPt(int tableId, int column, double widthPt)
{
    Table& found = table(tableId);
    if (column < 1 || column > int(found.columnWidthsTwips.size())) {
        throw Error(kCollectionMember);
    }
    if (!std::isfinite(widthPt) || widthPt < 0 || widthPt > 1584) {
        throw Error(QStringLiteral("The column width is out of range."));
    }
    found.columnWidthsTwips[size_t(column - 1)] = int(units::ptToTwips(widthPt));
}

void Document::setPaperSize(double widthPt, double heightPt)
{
    // From a business card to a large poster.
    if (!std::isfinite(widthPt) || !std::isfinite(heightPt) || widthPt < 72 || heightPt < 72 ||
        widthPt > 1584 || heightPt > 1584) {
        throw Error(QStringLiteral("The paper size is out of range."));
    }
    const bool landscape = mPage.widthPt > mPage.heightPt;
    mPage.widthPt = std::min(widthPt, heightPt);
    mPage.heightPt = std::max(widthPt, heightPt);
    if (landscape) {
        std::swap(mPage.widthPt, mPage.heightPt);
    }
}

double Document::lineWidthPt(const StoryRef& where) const
{
    if (where.tableId != 0) {
        const Table& found = table(where.tableId);
        if (where.column < 0 || where.column >= int(found.columnWidthsTwips.size())) {
            throw Error(kCollectionMember);
        }
        return units::twipsToPt(found.columnWidthsTwips[size_t(where.column)] -
                                2 * found.cellMarginTwips);
    }
    if (where.shape >= 0) {
        const Shape& box = shape(where.shape);
        return box.widthPt - box.insetLeftPt - box.insetRightPt;
    }
    return mPage.widthPt - mPage.leftMarginPt - mPage.rightMarginPt;
}

bool Document::sameContent(const Document& other) const
{
    return mPage == other.mPage && mBody == other.mBody && mShapes == other.mShapes &&
           mCustomXml == other.mCustomXml;
}

} // namespace office
