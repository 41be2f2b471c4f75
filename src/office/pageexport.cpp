#include "pageexport.h"

#include "error.h"
#include "outputformat.h"
#include "renderer.h"

#include "filewrite/safefile.h"
#include "units/lengths.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QXmlStreamWriter>

#include <cmath>

namespace office {
namespace {

using units::kPointsPerInch;

// Device units of the PDF: fine enough that positions round to well under a hundredth of
// a point.
constexpr int kPdfDpi = 1200;
constexpr double kSvgUnitsPerPt = 100.0;
constexpr double kMetersPerInch = 0.0254;
// The largest side a PDF reader is obliged to accept (200 inches, in points).
constexpr double kMaxPageSidePt = 14400.0;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A timeline page opens with its title box: the first shape's text is the page's title.
QString pageTitle(const Document& document)
{
    QStringList lines;
    if (!document.shapes().empty())
        for (const Block& block : document.shapes().front().story)
            if (const auto* paragraph = std::get_if<Paragraph>(&block))
                lines.append(paragraph->text());
    return lines.join(u' ').trimmed();
}

void checkPageSize(const Document& document)
{
    const PageSetup& page = document.page();
    const auto usable = [](double sidePt) {
        return std::isfinite(sidePt) && sidePt >= 1.0 && sidePt <= kMaxPageSidePt;
    };
    if (!usable(page.widthPt) || !usable(page.heightPt))
        throw Error(QStringLiteral("The page has no usable size (%1 x %2 pt).")
                        .arg(page.widthPt)
                        .arg(page.heightPt));
}

// A page file is made in memory first (a page is at most a few megabytes), so only
// finished bytes reach the writer.
void writeFile(const QString& path, const QByteArray& bytes)
{
    if (const filewrite::WriteResult written = filewrite::replaceFile(path, bytes); !written)
        throw Error(QStringLiteral("Cannot write %1: %2").arg(native(path), written.reason));
}

// The data without its XML declaration, to stand as an element inside another document.
QByteArray dataElement(const QByteArray& data)
{
    QByteArray element = data.trimmed();
    if (element.startsWith("<?xml")) {
        const qsizetype end = element.indexOf("?>");
        element = end < 0 ? QByteArray() : element.mid(end + 2).trimmed();
    }
    return element;
}

// An XMP packet with the page's title, the program and the data as an XML literal, so a
// PDF reader still finds the title there and this program finds its data.
QByteArray xmpPacket(const QString& title, const QByteArray& data)
{
    QByteArray packet;
    QXmlStreamWriter xml(&packet);
    xml.writeProcessingInstruction(QStringLiteral("xpacket"),
                                   QStringLiteral("begin='' id='W5M0MpCehiHzreSzNTczkc9d'"));
    const QString x = QStringLiteral("adobe:ns:meta/");
    const QString rdf = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
    const QString dc = QStringLiteral("http://purl.org/dc/elements/1.1/");
    const QString xmp = QStringLiteral("http://ns.adobe.com/xap/1.0/");
    const QString loom = QStringLiteral("urn:loomchart:page-studio:xmp:1");
    xml.writeNamespace(x, QStringLiteral("x"));
    xml.writeNamespace(rdf, QStringLiteral("rdf"));
    xml.writeNamespace(dc, QStringLiteral("dc"));
    xml.writeNamespace(xmp, QStringLiteral("xmp"));
    xml.writeNamespace(loom, QStringLiteral("loom"));
    xml.writeStartElement(x, QStringLiteral("xmpmeta"));
    xml.writeStartElement(rdf, QStringLiteral("RDF"));
    xml.writeStartElement(rdf, QStringLiteral("Description"));
    xml.writeAttribute(rdf, QStringLiteral("about"), QString());
    xml.writeTextElement(xmp, QStringLiteral("CreatorTool"), QLatin1String(kProgramName));
    xml.writeStartElement(dc, QStringLiteral("title"));
    xml.writeStartElement(rdf, QStringLiteral("Alt"));
    xml.writeStartElement(rdf, QStringLiteral("li"));
    xml.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("x-default"));
    xml.writeCharacters(title);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(loom, QStringLiteral("data"));
    xml.writeAttribute(rdf, QStringLiteral("parseType"), QStringLiteral("Literal"));
    // The element goes in as it stands; a comment marks its place.
    xml.writeComment(QStringLiteral("data"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeProcessingInstruction(QStringLiteral("xpacket"), QStringLiteral("end='r'"));
    return packet.replace("<!--data-->", dataElement(data));
}

// The SVG with the data inside a metadata element, first in the root, where SVG keeps
// data for other programs.
QByteArray withMetadata(const QByteArray& svg, const QByteArray& data)
{
    const qsizetype root = svg.indexOf("<svg");
    const qsizetype open = root < 0 ? -1 : svg.indexOf('>', root);
    if (open < 0)
        throw Error(QStringLiteral("The page's SVG has no root element."));
    return svg.left(open + 1) + "\n<metadata>\n" + dataElement(data) + "\n</metadata>" +
           svg.mid(open + 1);
}

} // namespace

std::optional<PageFileKind> pageFileKindOf(const QString& path)
{
    const std::optional<OutputFormat> format = outputFormatOf(path);
    return format ? outputFormatRow(*format).pageFile : std::nullopt;
}

const OutputFormatRow& outputFormatRow(OutputFormat format)
{
    for (const OutputFormatRow& row : kOutputFormats)
        if (row.format == format)
            return row;
    return kOutputFormats.front();
}

const OutputFormatRow& outputFormatRow(PageFileKind kind)
{
    for (const OutputFormatRow& row : kOutputFormats)
        if (row.pageFile == kind)
            return row;
    return kOutputFormats.front();
}

std::optional<OutputFormat> outputFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const OutputFormatRow& row : kOutputFormats)
        for (const char* extension : row.extensions)
            if (extension && suffix.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0)
                return row.format;
    return std::nullopt;
}

QImage pageImage(const Document& document, int dpi)
{
    checkPageSize(document);
    if (dpi < 1)
        throw Error(QStringLiteral("The picture of the page needs a resolution."));
    const PageSetup& page = document.page();
    const auto pixelsAt = [&](int density) {
        return QSize(int(std::lround(page.widthPt * density / kPointsPerInch)),
                     int(std::lround(page.heightPt * density / kPointsPerInch)));
    };
    // A3 and Tabloid at 300 dpi are a little over the largest picture the renderer makes:
    // they get the finest whole resolution within it (294 and 299 dpi).
    while (dpi > 1 && qint64(pixelsAt(dpi).width()) * pixelsAt(dpi).height() > kMaxRenderPixels)
        --dpi;
    const QSize pixels = pixelsAt(dpi);
    // The page is opaque: without an alpha channel the picture is a quarter smaller and
    // quicker to encode.
    QImage image = renderRegion(document, QRectF(0, 0, page.widthPt, page.heightPt), pixels)
                       .convertToFormat(QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / kMetersPerInch));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QByteArray pageSvg(const Document& document, const QByteArray& data)
{
    checkPageSize(document);
    const PageSetup& page = document.page();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    // The stated size is in hundredths of a point, so an A4 page (595.3 pt) keeps its true
    // size; the drawing itself is in points through the view box.
    generator.setResolution(int(kPointsPerInch * kSvgUnitsPerPt));
    generator.setSize(QSize(int(std::lround(page.widthPt * kSvgUnitsPerPt)),
                            int(std::lround(page.heightPt * kSvgUnitsPerPt))));
    generator.setViewBox(QRectF(0, 0, page.widthPt, page.heightPt));
    QPainter painter;
    if (!painter.begin(&generator))
        throw Error(QStringLiteral("The page could not be drawn as SVG."));
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    paintPage(document, painter);
    painter.end();
    return data.isEmpty() ? buffer.data() : withMetadata(buffer.data(), data);
}

void setUpPagedDevice(const Document& document, QPagedPaintDevice& device)
{
    checkPageSize(document);
    const PageSetup& page = document.page();
    const bool landscape = page.widthPt > page.heightPt;
    // The paper is named by its portrait size, so a printer recognises Letter or A4.
    const QPageSize paper(
        QSizeF(std::min(page.widthPt, page.heightPt), std::max(page.widthPt, page.heightPt)),
        QPageSize::Point);
    if (!device.setPageSize(paper))
        throw Error(QStringLiteral("The device does not take a page of %1 x %2 pt.")
                        .arg(page.widthPt)
                        .arg(page.heightPt));
    device.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // A printer may keep margins it cannot print in; paintPageOnto still puts the page's
    // corner at the paper's corner.
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

void paintPageOnto(const Document& document, QPagedPaintDevice& device)
{
    checkPageSize(document);
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The page could not be drawn on the device."));
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // The painter's origin is the paper's corner when the layout has no margins; a printer
    // that keeps margins of its own shifts it to the printable area's corner.
    const QRectF paintRect = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRectF fullRect = device.pageLayout().fullRectPixels(device.logicalDpiX());
    painter.translate(fullRect.topLeft() - paintRect.topLeft());
    painter.scale(device.logicalDpiX() / kPointsPerInch, device.logicalDpiY() / kPointsPerInch);
    paintPage(document, painter);
    if (!painter.end())
        throw Error(QStringLiteral("The page could not be finished on the device."));
}

void writePagePdf(const Document& document, const QString& path, const QByteArray& data)
{
    checkPageSize(document);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(pageTitle(document));
        if (!data.isEmpty())
            writer.setDocumentXmpMetadata(xmpPacket(pageTitle(document), data));
        writer.setCreator(QLatin1String(kProgramName));
        writer.setResolution(kPdfDpi);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_1_6);
        setUpPagedDevice(document, writer);
        paintPageOnto(document, writer);
    }
    writeFile(path, pdf);
}

void writePagePng(const Document& document, const QString& path, int dpi, const QByteArray& data)
{
    QImage image = pageImage(document, dpi);
    if (!data.isEmpty())
        image.setText(QLatin1String(kPngDataKey), QString::fromUtf8(data));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(native(path), writer.errorString()));
    writeFile(path, png);
}

void writePageSvg(const Document& document, const QString& path, const QByteArray& data)
{
    const QByteArray svg = pageSvg(document, data);
    writeFile(path, svg);
}

void writePage(const Document& document, const QString& path, PageFileKind kind,
               const QByteArray& data)
{
    switch (kind) {
    case PageFileKind::Pdf:
        writePagePdf(document, path, data);
        return;
    case PageFileKind::Png:
        writePagePng(document, path, kPageImageDpi, data);
        return;
    case PageFileKind::Svg:
        writePageSvg(document, path, data);
        return;
    }
}

} // namespace office
