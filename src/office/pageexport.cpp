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
    const QSize pixels(int(std::lround(page.widthPt * dpi / kPointsPerInch)),
                       int(std::lround(page.heightPt * dpi / kPointsPerInch)));
    // The page is opaque: without an alpha channel the picture is a quarter smaller and
    // quicker to encode.
    QImage image = renderRegion(document, QRectF(0, 0, page.widthPt, page.heightPt), pixels)
                       .convertToFormat(QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / kMetersPerInch));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QByteArray pageSvg(const Document& document)
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
    return buffer.data();
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

void writePagePdf(const Document& document, const QString& path)
{
    checkPageSize(document);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(pageTitle(document));
        writer.setCreator(QLatin1String(kProgramName));
        writer.setResolution(kPdfDpi);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_1_6);
        setUpPagedDevice(document, writer);
        paintPageOnto(document, writer);
    }
    writeFile(path, pdf);
}

void writePagePng(const Document& document, const QString& path, int dpi)
{
    const QImage image = pageImage(document, dpi);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(native(path), writer.errorString()));
    writeFile(path, png);
}

void writePageSvg(const Document& document, const QString& path)
{
    const QByteArray svg = pageSvg(document);
    writeFile(path, svg);
}

void writePage(const Document& document, const QString& path, PageFileKind kind)
{
    switch (kind) {
    case PageFileKind::Pdf:
        writePagePdf(document, path);
        return;
    case PageFileKind::Png:
        writePagePng(document, path);
        return;
    case PageFileKind::Svg:
        writePageSvg(document, path);
        return;
    }
}

} // namespace office
