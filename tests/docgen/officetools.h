#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

// Runs the office suite and poppler on a saved document, for checks against a real reader.
namespace officetools {

struct Word
{
    QString text;
    QRectF boxPt; // page coordinates in points, origin at the top-left corner
};

bool available();
// Converts the document with a private profile to the format ("pdf", "docx") in a folder
// of that name; returns the converted file's path or empty.
QString convertTo(const QString& documentPath, const QString& workFolder, const QString& format,
                  QString* errorText = nullptr);
QString convertToPdf(const QString& documentPath, const QString& workFolder,
                     QString* errorText = nullptr);
QList<Word> wordsOf(const QString& pdfPath);
// Page 1 of the PDF as a picture at the given resolution.
QImage rasterise(const QString& pdfPath, int dpi, const QString& workFolder);

struct Font
{
    QString name;
    bool embedded = false;
};
// What pdffonts lists; empty when it fails.
QList<Font> fontsOf(const QString& pdfPath);
// Page 1's size in points as pdfinfo reports it; empty when it fails.
QSizeF pageSizeOf(const QString& pdfPath);
// The SVG drawn by librsvg at the given pixel size on white; null when that fails.
QImage renderSvg(const QString& svgPath, QSize pixels, const QString& workFolder);

} // namespace officetools
