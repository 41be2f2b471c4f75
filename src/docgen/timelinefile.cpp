#include "timelinefile.h"

#include "office/customxml.h"
#include "office/docreader.h"
#include "office/error.h"
#include "office/ooxmlnames.h"
#include "office/pageexport.h"
#include "office/readlimits.h"
#include "timeline/datereader.h"
#include "timeline/entrylist.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <variant>

namespace docgen {
namespace {

using timeline::xml::ReadResult;

ReadResult failed(const QString& why)
{
    return {std::nullopt, why};
}

// The timeline element anywhere in an XML document (an SVG, an XMP packet, the
// timeline's own document), read as hostile: UTF-8, no document type, limited depth.
ReadResult timelineInXml(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return failed(QStringLiteral("It is not UTF-8 text."));
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            return failed(QStringLiteral("It declares a document type."));
        case QXmlStreamReader::StartElement:
            if (reader.namespaceUri() == QLatin1String(timeline::xml::kNamespace) &&
                reader.name() == QLatin1String(timeline::xml::kRootName))
                return timeline::xml::readElement(reader);
            if (++depth > office::limits::kMaxDepth)
                return failed(QStringLiteral("Its XML is nested too deep."));
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return failed(reader.hasError()
                      ? QStringLiteral("Its XML is damaged: %1").arg(reader.errorString())
                      : QStringLiteral("It holds no timeline of this program."));
}

QString storyText(const office::Story& story)
{
    QStringList paragraphs;
    for (const office::Block& block : story)
        if (const auto* paragraph = std::get_if<office::Paragraph>(&block))
            paragraphs << paragraph->text();
    return paragraphs.join(u'\n');
}

// A text as its paragraphs, however its line breaks are written.
QString paragraphsOf(const QString& text)
{
    QStringList pieces;
    for (const QString& piece : office::splitParagraphTexts(text))
        pieces << piece;
    return pieces.join(u'\n');
}

// The scale whose dates a page of an earlier version shows: Yearly when every date is a
// year, else Monthly when every date reads as a month, else Daily.
timeline::Scale scaleOfDates(const QList<timeline::Entry>& entries)
{
    using timeline::Scale;
    for (const Scale scale : {Scale::Yearly, Scale::Monthly}) {
        const editor::DateReader reader(timeline::scaleNumber(scale), QLocale());
        const bool all = std::all_of(entries.cbegin(), entries.cend(), [&](const auto& entry) {
            return editor::dateFault(entry.date, timeline::scaleNumber(scale)) ==
                       editor::EntryFault::None &&
                   reader.read(entry.date).has_value();
        });
        if (all)
            return scale;
    }
    return Scale::Daily;
}

// A presentation (a slide this program wrote) is read only as far as its data items.
ReadResult fromPresentation(const QByteArray& bytes)
{
    try {
        const std::vector<office::CustomXmlItem> items = office::readPackageCustomXml(bytes);
        if (const office::CustomXmlItem* item =
                office::customxml::findItem(items, QLatin1String(timeline::xml::kNamespace)))
            return timeline::xml::read(item->data);
    } catch (const office::Error& error) {
        return failed(error.description());
    }
    return failed(QStringLiteral("The document holds no timeline of this program."));
}

// Whether a package's main part is a presentation; a damaged one is left to the Word
// reader, which says why.
bool isPresentation(const QByteArray& bytes)
{
    try {
        return office::packageMainPart(bytes) == office::ooxml::kPresentationPart;
    } catch (const office::Error&) {
        return false;
    }
}

ReadResult fromWord(const QByteArray& bytes, QString* notice)
{
    office::Document document;
    try {
        document = office::readPackage(bytes);
    } catch (const office::Error& error) {
        return failed(error.description());
    }
    const std::optional<PageTexts> page = pageTextsOf(document);
    const office::CustomXmlItem* item =
        office::customxml::findItem(document.customXml(), QLatin1String(timeline::xml::kNamespace));
    if (item) {
        ReadResult stored = timeline::xml::read(item->data);
        if (!stored.timeline || !page)
            return stored;
        bool changed = false;
        stored.timeline = withPageTexts(*stored.timeline, *page, &changed);
        if (changed && notice)
            *notice = QStringLiteral("The page was edited in another program; its texts are "
                                     "taken over the timeline saved with it.");
        return stored;
    }
    if (!page)
        return failed(QStringLiteral("The document holds no timeline of this program."));
    // A page of an earlier version: its own texts are all there is.
    timeline::Timeline timeline;
    timeline.title = page->title;
    for (qsizetype i = 0; i < page->notes.size(); ++i)
        timeline.entries.append({page->dates.at(i), page->notes.at(i)});
    timeline.scale = scaleOfDates(timeline.entries);
    return {timeline, QString()};
}

ReadResult fromPng(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // Before the picture is read the reader offers only a digest of the texts, so it is
    // read (within the reader's allocation limit, which bounds a hostile one).
    const QImage image = reader.read();
    if (image.isNull())
        return failed(QStringLiteral("The picture is damaged: %1").arg(reader.errorString()));
    const QString text = image.text(QLatin1String(office::kPngDataKey));
    if (text.isEmpty())
        return failed(QStringLiteral("The picture holds no timeline of this program."));
    return timeline::xml::read(text.toUtf8());
}

ReadResult fromPdf(const QByteArray& bytes)
{
    // The XMP packet is a plain stream, marked at both ends.
    const qsizetype begin = bytes.indexOf("<?xpacket begin");
    const qsizetype end = begin < 0 ? -1 : bytes.indexOf("<?xpacket end", begin);
    const qsizetype close = end < 0 ? -1 : bytes.indexOf("?>", end);
    if (close < 0)
        return failed(QStringLiteral("The PDF holds no timeline of this program."));
    return timelineInXml(bytes.mid(begin, close + 2 - begin));
}

} // namespace

office::CustomXmlItem timelineItem(const timeline::Timeline& timeline)
{
    office::CustomXmlItem item;
    item.data = timeline::xml::write(timeline);
    item.schemaRefs.push_back(QLatin1String(timeline::xml::kNamespace));
    return item;
}

std::optional<PageTexts> pageTextsOf(const office::Document& document)
{
    // The builder's order: the title box, then each bar (a box holding the date table),
    // then one callout per entry; marks and the legend stand among them.
    const std::vector<office::Shape>& shapes = document.shapes();
    if (shapes.empty() || shapes.front().kind != office::ShapeKind::TextBox)
        return std::nullopt;
    PageTexts page;
    page.title = storyText(shapes.front().story);
    for (std::size_t i = 1; i < shapes.size(); ++i) {
        const office::Shape& shape = shapes.at(i);
        // The marks (bands, diamonds) carry no text; a box without a table (the legend)
        // holds no date.
        if (shape.kind == office::ShapeKind::UpArrowCallout ||
            shape.kind == office::ShapeKind::DownArrowCallout) {
            page.notes << storyText(shape.story);
            continue;
        }
        if (shape.kind != office::ShapeKind::TextBox)
            continue;
        for (const office::Block& block : shape.story)
            if (const auto* table = std::get_if<office::Table>(&block))
                for (const std::vector<office::TableCell>& row : table->rows)
                    for (const office::TableCell& cell : row) {
                        QStringList paragraphs;
                        for (const office::Paragraph& paragraph : cell.paragraphs)
                            paragraphs << paragraph.text();
                        page.dates << paragraphs.join(u'\n');
                    }
    }
    if (page.notes.isEmpty() || page.notes.size() != page.dates.size())
        return std::nullopt;
    return page;
}

timeline::Timeline withPageTexts(timeline::Timeline timeline, const PageTexts& page, bool* changed)
{
    bool differs = false;
    const auto take = [&differs](QString& text, const QString& shown) {
        if (paragraphsOf(text) == shown)
            return;
        text = shown;
        differs = true;
    };
    if (page.notes.size() == timeline.entries.size()) {
        take(timeline.title, page.title);
        for (qsizetype i = 0; i < page.notes.size(); ++i) {
            take(timeline.entries[i].date, page.dates.at(i));
            take(timeline.entries[i].notes, page.notes.at(i));
        }
    }
    if (changed)
        *changed = differs;
    return timeline;
}

ReadResult readTimelineFrom(const QString& path, QString* notice)
{
    const QString name = QDir::toNativeSeparators(path);
    const auto named = [&name](ReadResult result) {
        if (!result.timeline)
            result.error = QStringLiteral("%1: %2").arg(name, result.error);
        return result;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return named(failed(file.errorString()));
    if (file.size() > office::limits::kMaxFileBytes)
        return named(failed(QStringLiteral("The file is larger than %1 MB.")
                                .arg(office::limits::kMaxFileBytes / (1024 * 1024))));
    const QByteArray bytes = file.read(office::limits::kMaxFileBytes + 1);
    if (bytes.size() > office::limits::kMaxFileBytes)
        return named(failed(QStringLiteral("The file is larger than %1 MB.")
                                .arg(office::limits::kMaxFileBytes / (1024 * 1024))));
    if (bytes.startsWith("PK\x03\x04"))
        return named(isPresentation(bytes) ? fromPresentation(bytes) : fromWord(bytes, notice));
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return named(fromPng(bytes));
    if (bytes.startsWith("%PDF-"))
        return named(fromPdf(bytes));
    if (bytes.trimmed().startsWith('<') || bytes.startsWith("\xEF\xBB\xBF<")) {
        if (bytes.size() > timeline::xml::kMaxBytes * 4)
            return named(failed(QStringLiteral("The XML file is too large.")));
        return named(timelineInXml(bytes));
    }
    return named(failed(QStringLiteral("It is no file this program wrote.")));
}

} // namespace docgen
