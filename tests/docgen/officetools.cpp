#include "officetools.h"
#include "support/letterpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>

namespace officetools {
namespace {
bool run(const QString& program, const QStringList& arguments, QByteArray* output,
         QString* errorText, int timeoutMs = 180000)
{
    QProcess process;
    process.setProcessEnvironment(testsupport::toolEnvironment());
    process.start(program, arguments);
    if (!process.waitForStarted(20000) || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (errorText)
            *errorText = program + QStringLiteral(" did not run: ") + process.errorString();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitCode() != 0 && errorText)
        *errorText = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
} // namespace

bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

QString convertTo(const QString& documentPath, const QString& workFolder, const QString& format,
                  QString* errorText)
{
    const QString profile = QDir(workFolder).filePath(QStringLiteral("office-profile"));
    const QString outFolder = QDir(workFolder).filePath(format);
    QDir().mkpath(outFolder);
    const QStringList arguments{QStringLiteral("-env:UserInstallation=") +
                                    QUrl::fromLocalFile(profile).toString(),
                                QStringLiteral("--headless"),
                                QStringLiteral("--norestore"),
                                QStringLiteral("--convert-to"),
                                format,
                                QStringLiteral("--outdir"),
                                outFolder,
                                documentPath};
    if (!run(QStringLiteral("soffice"), arguments, nullptr, errorText))
        return {};
    const QString converted =
        QDir(outFolder).filePath(QFileInfo(documentPath).completeBaseName() + u'.' + format);
    return QFileInfo::exists(converted) ? converted : QString();
}

QString convertToPdf(const QString& documentPath, const QString& workFolder, QString* errorText)
{
    return convertTo(documentPath, workFolder, QStringLiteral("pdf"), errorText);
}

QList<Word> wordsOf(const QString& pdfPath)
{
    QByteArray xhtml;
    QList<Word> words;
    if (!run(QStringLiteral("pdftotext"),
             {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
              QStringLiteral("-l"), QStringLiteral("1"), pdfPath, QStringLiteral("-")},
             &xhtml, nullptr))
        return words;
    QXmlStreamReader reader(xhtml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("word")) {
            const auto attributes = reader.attributes();
            const double xMin = attributes.value(QLatin1String("xMin")).toDouble();
            const double yMin = attributes.value(QLatin1String("yMin")).toDouble();
            const double xMax = attributes.value(QLatin1String("xMax")).toDouble();
            const double yMax = attributes.value(QLatin1String("yMax")).toDouble();
            words << Word{reader.readElementText(),
                          QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax))};
        }
    }
    return words;
}

QImage rasterise(const QString& pdfPath, int dpi, const QString& workFolder)
{
    const QString prefix = QDir(workFolder).filePath(QStringLiteral("raster"));
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
              QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"),
              QStringLiteral("-singlefile"), pdfPath, prefix},
             nullptr, nullptr))
        return {};
    return QImage(prefix + QStringLiteral(".png"));
}

QList<Font> fontsOf(const QString& pdfPath)
{
    QByteArray table;
    QList<Font> fonts;
    if (!run(QStringLiteral("pdffonts"), {pdfPath}, &table, nullptr))
        return fonts;
    // Two heading lines; the dashes under the headings give the columns' widths. The fourth
    // column says whether the font is embedded.
    const QList<QByteArray> lines = table.split('\n');
    if (lines.size() < 2)
        return fonts;
    const QList<QByteArray> dashes = lines[1].split(' ');
    const qsizetype nameWidth = dashes.value(0).size();
    qsizetype embeddedAt = 0;
    for (qsizetype i = 0; i < 3 && i < dashes.size(); ++i)
        embeddedAt += dashes[i].size() + 1;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.size() <= embeddedAt)
            continue;
        fonts << Font{QString::fromLatin1(line.left(nameWidth)).trimmed(),
                      line.mid(embeddedAt, 3) == "yes"};
    }
    return fonts;
}

QSizeF pageSizeOf(const QString& pdfPath)
{
    QByteArray info;
    if (!run(QStringLiteral("pdfinfo"), {pdfPath}, &info, nullptr))
        return {};
    static const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch match = size.match(QString::fromLatin1(info));
    if (!match.hasMatch())
        return {};
    return QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
}

QImage renderSvg(const QString& svgPath, QSize pixels, const QString& workFolder)
{
    const QString out = QDir(workFolder).filePath(QStringLiteral("svg.png"));
    if (!run(QStringLiteral("rsvg-convert"),
             {QStringLiteral("--width"), QString::number(pixels.width()),
              QStringLiteral("--height"), QString::number(pixels.height()),
              QStringLiteral("--background-color"), QStringLiteral("white"),
              QStringLiteral("--output"), out, svgPath},
             nullptr, nullptr))
        return {};
    return QImage(out);
}

} // namespace officetools
