#pragma once

#include "document.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

class QPagedPaintDevice;

namespace office {

// The page in the forms it leaves the program: PDF, PNG, SVG, a printer and the clipboard.
// Every form is drawn by paintPage, so it shows what the preview shows. Files are written
// through the safe writer (filewrite/safefile.h): a failure leaves any earlier file of
// that name as it was and never a partial one. Every failure throws office::Error with a
// description.

// A page file may carry data beside the page for the program that made it (the timeline
// it was drawn from): a UTF-8 XML document, with or without its declaration, kept as
// given. Empty means none. The PNG holds it as a text chunk under kPngDataKey, the SVG as
// the element inside its metadata, the PDF inside its XMP metadata packet.
inline constexpr char kPngDataKey[] = "Loomchart Timeline";

// Pixels per inch of the picture forms: a Letter landscape page is 3300 x 2550 pixels.
inline constexpr int kPageImageDpi = 300;

enum class PageFileKind
{
    Pdf,
    Png,
    Svg
};

// The kind a file name asks for by its extension (any case), or none.
std::optional<PageFileKind> pageFileKindOf(const QString& path);

// The page as a picture at the given resolution, or for a page too large for that the
// finest whole one within kMaxRenderPixels, with the resolution used recorded in it.
QImage pageImage(const Document& document, int dpi = kPageImageDpi);

// The page as SVG, one user unit per point, its width and height in physical units so
// other programs place it at its true size.
QByteArray pageSvg(const Document& document, const QByteArray& data = QByteArray());

// Gives a PDF writer or printer the page's size and orientation, and no margins where the
// device allows that.
void setUpPagedDevice(const Document& document, QPagedPaintDevice& device);
// Paints the page at its true size onto a PDF writer or printer, at the paper's corner.
void paintPageOnto(const Document& document, QPagedPaintDevice& device);

// A one-page vector PDF at the page's size and orientation; its text is real text in
// embedded fonts, so it can be selected and searched.
void writePagePdf(const Document& document, const QString& path,
                  const QByteArray& data = QByteArray());
void writePagePng(const Document& document, const QString& path, int dpi = kPageImageDpi,
                  const QByteArray& data = QByteArray());
void writePageSvg(const Document& document, const QString& path,
                  const QByteArray& data = QByteArray());
// One of the three by kind.
void writePage(const Document& document, const QString& path, PageFileKind kind,
               const QByteArray& data = QByteArray());

} // namespace office
