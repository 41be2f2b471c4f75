#include "timelinefile.h"

#include "office/docreader.h"
#include "office/error.h"
#include "office/ooxmlnames.h"
#include "office/pageexport.h"
#include "office/readlimits.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QStringDecoder>
#include <QXmlStreamReader>

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

// A Word document is read whole, as the engine opens it; a presentation only as far as
// its main part's data items.
ReadResult fromPackage(const QByteArray& bytes)
{
    try {
        const std::vector<office::CustomXmlItem> items =
            office::packageMainPart(bytes) == office::ooxml::kPresentationPart
                ? office::readPackageCustomXml(bytes)
                : office::readPackage(bytes).customXml();
        for (const office::CustomXmlItem& item : items)
            if (item.data.contains(timeline::xml::kNamespace))
                return timeline::xml::read(item.data);
    } catch (const office::Error& error) {
        return failed(error.description());
    }
    return failed(QStringLiteral("The document holds no timeline of this program."));
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

ReadResult readTimelineFrom(const QString& path)
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
        return named(fromPackage(bytes));
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
