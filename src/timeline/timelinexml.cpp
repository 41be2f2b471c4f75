#include "timelinexml.h"

#include "scale.h"
#include "settingsstore.h"

#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace timeline::xml {
namespace {

// The choices as the store names them, so a file and the store say the same.
constexpr char kLayoutFit[] = "Fit";
constexpr char kLayoutClassic[] = "Classic";

QString columnElement(const EntryColumn& column)
{
    return QString::fromLatin1(column.name).toLower();
}

ReadResult failed(const QString& why)
{
    return {std::nullopt, why};
}

QString damaged(const QXmlStreamReader& reader)
{
    return QStringLiteral("The timeline's XML is damaged: %1").arg(reader.errorString());
}

bool ours(const QXmlStreamReader& reader, QLatin1StringView name)
{
    return reader.namespaceUri() == QLatin1String(kNamespace) && reader.name() == name;
}

// The text of a leaf element the reader stands on, within the length limit; child
// elements are refused, since no field holds any.
std::optional<QString> leafText(QXmlStreamReader& reader, QString* error)
{
    QString text;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
            text += reader.text();
            if (text.size() > kMaxTextLength) {
                *error = QStringLiteral("A text of the timeline is longer than %1 characters.")
                             .arg(kMaxTextLength);
                return std::nullopt;
            }
            break;
        case QXmlStreamReader::EndElement:
            return text;
        case QXmlStreamReader::StartElement:
            *error = QStringLiteral("The element %1 holds an element.").arg(reader.name());
            return std::nullopt;
        default:
            break;
        }
    }
    *error = damaged(reader);
    return std::nullopt;
}

// Passes over an element the reader stands on, with all it holds, within the depth limit.
bool skipElement(QXmlStreamReader& reader, int depth, QString* error)
{
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth) {
            *error = QStringLiteral("The timeline is nested deeper than %1.").arg(kMaxDepth);
            return false;
        }
        if (token == QXmlStreamReader::EndElement && --depth == 0)
            return true;
    }
    *error = damaged(reader);
    return false;
}

std::optional<Entry> readEntry(QXmlStreamReader& reader, QString* error)
{
    Entry entry;
    std::array<bool, kEntryColumns.size()> seen{};
    while (reader.readNextStartElement()) {
        bool known = false;
        for (size_t i = 0; i < kEntryColumns.size(); ++i) {
            if (!ours(reader, QLatin1StringView(columnElement(kEntryColumns[i]).toLatin1())))
                continue;
            if (seen[i]) {
                *error = QStringLiteral("An entry has two %1 elements.")
                             .arg(columnElement(kEntryColumns[i]));
                return std::nullopt;
            }
            std::optional<QString> text = leafText(reader, error);
            if (!text)
                return std::nullopt;
            if (kEntryColumns[i].text) {
                entry.*kEntryColumns[i].text = *text;
            } else if (const std::optional<bool> set = flagOfText(*text)) {
                entry.*kEntryColumns[i].flag = *set;
            } else {
                *error = QStringLiteral("An entry's %1 is neither yes nor no.")
                             .arg(columnElement(kEntryColumns[i]));
                return std::nullopt;
            }
            seen[i] = known = true;
            break;
        }
        if (!known && !skipElement(reader, 3, error))
            return std::nullopt;
    }
    if (reader.hasError()) {
        *error = damaged(reader);
        return std::nullopt;
    }
    return entry;
}

// The text as XML 1.0 carries it: a character it cannot carry (a control other than tab
// and line breaks, an unpaired surrogate, U+FFFE, U+FFFF) is left out, as the page's own
// document leaves it out, so the copy always reads back and matches the page.
QString carried(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate()) {
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                kept += c;
                kept += text.at(++i);
            }
        } else if (c == u'\t' || c == u'\n' || c == u'\r' ||
                   (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)) {
            kept += c;
        }
    }
    return kept;
}

} // namespace

void writeElement(QXmlStreamWriter& writer, const Timeline& timeline)
{
    writer.writeDefaultNamespace(QLatin1String(kNamespace));
    writer.writeStartElement(QLatin1String(kNamespace), QLatin1String(kRootName));
    writer.writeAttribute(QStringLiteral("scale"),
                          editor::scaleName(scaleNumber(timeline.scale)).toLower());
    writer.writeAttribute(QStringLiteral("layout"),
                          QLatin1String(timeline.page.classic() ? kLayoutClassic : kLayoutFit));
    writer.writeAttribute(QStringLiteral("spacing"),
                          QLatin1String(timeline.page.spacing == Spacing::ToScale
                                            ? editor::kSpacingToScale
                                            : editor::kSpacingEven));
    if (!timeline.page.paper.isEmpty())
        writer.writeAttribute(QStringLiteral("paper"), carried(timeline.page.paper));
    if (!timeline.page.theme.isEmpty())
        writer.writeAttribute(QStringLiteral("theme"), carried(timeline.page.theme));
    writer.writeTextElement(QLatin1String(kNamespace), QStringLiteral("title"),
                            carried(timeline.title));
    for (const Entry& entry : timeline.entries) {
        writer.writeStartElement(QLatin1String(kNamespace), QStringLiteral("entry"));
        for (const EntryColumn& column : kEntryColumns) {
            // The fields past the first are written when they hold something, so an
            // entry without them is written as it always was.
            const QString text = columnText(entry, column);
            if (&column - kEntryColumns.data() < qsizetype(kStoredColumns) || !text.isEmpty())
                writer.writeTextElement(QLatin1String(kNamespace), columnElement(column),
                                        carried(text));
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
}

QByteArray write(const Timeline& timeline)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writeElement(writer, timeline);
    writer.writeEndDocument();
    return bytes;
}

ReadResult readElement(QXmlStreamReader& reader)
{
    if (!reader.isStartElement() || !ours(reader, QLatin1StringView(kRootName)))
        return failed(QStringLiteral("The data is no timeline of this program."));
    const QXmlStreamAttributes attributes = reader.attributes();
    Timeline timeline;
    const std::optional<int> scale =
        editor::scaleFromName(attributes.value(QLatin1StringView("scale")));
    if (!scale)
        return failed(QStringLiteral("The timeline names no scale it can be shown on."));
    timeline.scale = *scaleOfNumber(*scale);
    if (attributes.value(QLatin1StringView("layout"))
            .compare(QLatin1String(kLayoutClassic), Qt::CaseInsensitive) == 0)
        timeline.page.layout = Layout::Classic;
    if (attributes.value(QLatin1StringView("spacing"))
            .compare(QLatin1String(editor::kSpacingToScale), Qt::CaseInsensitive) == 0)
        timeline.page.spacing = Spacing::ToScale;
    timeline.page.paper = attributes.value(QLatin1StringView("paper")).toString().left(64);
    timeline.page.theme = attributes.value(QLatin1StringView("theme")).toString().left(64);

    QString error;
    bool titled = false;
    while (reader.readNextStartElement()) {
        if (ours(reader, QLatin1StringView("title")) && !titled) {
            std::optional<QString> title = leafText(reader, &error);
            if (!title)
                return failed(error);
            timeline.title = *title;
            titled = true;
        } else if (ours(reader, QLatin1StringView("entry"))) {
            if (timeline.entries.size() >= kMaxEntries)
                return failed(
                    QStringLiteral("The timeline has more than %1 entries.").arg(kMaxEntries));
            std::optional<Entry> entry = readEntry(reader, &error);
            if (!entry)
                return failed(error);
            timeline.entries.append(*entry);
        } else if (!skipElement(reader, 2, &error)) {
            return failed(error);
        }
    }
    if (reader.hasError())
        return failed(damaged(reader));
    return {timeline, QString()};
}

ReadResult read(const QByteArray& bytes)
{
    if (bytes.size() > kMaxBytes)
        return failed(
            QStringLiteral("The timeline's data is larger than %1 bytes.").arg(kMaxBytes));
    // The studio writes UTF-8 only; anything else would be decoded by guesswork.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return failed(QStringLiteral("The timeline's data is not UTF-8 text."));
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            if (!reader.documentEncoding().isEmpty() &&
                reader.documentEncoding().compare(u"UTF-8", Qt::CaseInsensitive) != 0)
                return failed(QStringLiteral("The timeline's data declares an encoding other "
                                             "than UTF-8."));
            break;
        case QXmlStreamReader::DTD:
            return failed(QStringLiteral("The timeline's data declares a document type."));
        case QXmlStreamReader::StartElement: {
            ReadResult result = readElement(reader);
            if (!result.timeline)
                return result;
            // Only space and comments may follow the element.
            while (!reader.atEnd()) {
                const QXmlStreamReader::TokenType token = reader.readNext();
                if (token == QXmlStreamReader::StartElement || token == QXmlStreamReader::DTD)
                    return failed(QStringLiteral("The timeline's data has a second element."));
            }
            if (reader.hasError())
                return failed(damaged(reader));
            return result;
        }
        default:
            break;
        }
    }
    return failed(reader.hasError() ? damaged(reader)
                                    : QStringLiteral("The data holds no timeline."));
}

} // namespace timeline::xml
