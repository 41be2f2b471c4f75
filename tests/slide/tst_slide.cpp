// The slide as other programs read it: the schema check, the package's own markup, the
// studio reading its timeline back, and LibreOffice Impress drawing it.
#include "officetools.h"

#include "docgen/timelinefile.h"
#include "docgen/timelinepage.h"
#include "docgen/wordautomation.h"
#include "office/calloutgeometry.h"
#include "office/drawingml.h"
#include "office/zippackage.h"
#include "slide/slide.h"
#include "support/letterpaper.h"
#include "timeline/samples.h"
#include "units/lengths.h"

#include <QFile>
#include <QLocale>
#include <QPolygonF>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(timeline::Timeline)

namespace {

constexpr double kTolerancePt = 1.5;

timeline::Timeline sampleTimeline(timeline::Scale scale)
{
    timeline::Timeline value;
    value.title = QString::fromLatin1(editor::kSampleTitle);
    value.scale = scale;
    value.entries = editor::sampleEntries(timeline::scaleNumber(scale));
    return value;
}

// `count` years, every fourth a span, in three categories, every seventh a milestone, with
// notes of two to nine words, in the look named.
timeline::Timeline manyEntries(int count, const QString& theme = QString())
{
    static const QStringList words =
        QStringLiteral("Treaty signed after long talks between both sides "
                       "of the river valley")
            .split(u' ');
    static const QStringList categories{QStringLiteral("Science"), QStringLiteral("Arts"),
                                        QStringLiteral("Politics")};
    timeline::Timeline value;
    value.title = QStringLiteral("%1 Years of the Valley").arg(count);
    value.page.theme = theme;
    for (int i = 0; i < count; ++i) {
        const int year = 1800 + 3 * i;
        const QString date = i % 4 == 3 ? QStringLiteral("%1\u2013%2").arg(year).arg(year + 2)
                                        : QString::number(year);
        value.entries << timeline::Entry(date, words.mid(i % 5, 2 + i % 8).join(u' '),
                                         categories.at(i % 3), i % 7 == 0);
    }
    return value;
}

QString sharedDir()
{
    return QStringLiteral(LOOM_SHARED_DIR);
}

// The slide of the timeline on the named size, written where the test says.
docgen::PagePlan writeSlide(const timeline::Timeline& timeline, const QString& size,
                            const QString& path)
{
    const slide::SlideSize& slideSize = *slide::findSlideSize(size);
    const docgen::PagePlan plan =
        slide::planSlide(timeline, docgen::pageOptionsOf(timeline, QLocale()), slideSize);
    slide::saveSlide(timeline, plan, slideSize, path);
    return plan;
}

QByteArray partOf(const QString& path, const QString& name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    office::zippackage::Reader package(file.readAll());
    return package.read(name);
}

QStringList captured(const QByteArray& xml, const QString& pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator match =
        QRegularExpression(pattern).globalMatch(QString::fromUtf8(xml));
    while (match.hasNext())
        found << match.next().captured(1);
    return found;
}

office::ShapeKind calloutKind(const docgen::PageElement& callout)
{
    return callout.shapeType == docgen::word::kShapeDownArrowCallout
               ? office::ShapeKind::DownArrowCallout
               : office::ShapeKind::UpArrowCallout;
}

// Where a word of the element may stand: a callout's body, the title's box, less their
// insets; a date anywhere on its bar.
QRectF textArea(const docgen::PageElement& element)
{
    const QRectF frame(element.leftPt, element.topPt, element.widthPt, element.heightPt);
    if (element.kind == docgen::ElementKind::TimelineBar)
        return frame;
    QRectF area(QPointF(0, 0), frame.size());
    if (element.kind == docgen::ElementKind::Callout)
        area = office::calloutTextRect(calloutKind(element), element.widthPt, element.heightPt,
                                       element.adjust.value_or(office::kCalloutDefaultAdjust));
    const QSizeF insets = element.insets();
    return area.translated(frame.topLeft())
        .adjusted(insets.width(), insets.height(), -insets.width(), -insets.height());
}

// Across the slide, where the callout's arrow ends: its outline's point farthest from its body.
double tipOf(const docgen::PageElement& c)
{
    const QPolygonF outline =
        office::calloutOutline(calloutKind(c), c.widthPt, c.heightPt,
                               c.adjust.value_or(office::kCalloutDefaultAdjust))
            .toFillPolygon();
    const auto [top, bottom] = std::minmax_element(
        outline.cbegin(), outline.cend(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    return c.leftPt + (calloutKind(c) == office::ShapeKind::UpArrowCallout ? top : bottom)->x();
}

bool overlap(const QRectF& a, const QRectF& b)
{
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left()) > kTolerancePt &&
           std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) > kTolerancePt;
}

} // namespace

class TestSlide : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(sharedDir() + QStringLiteral("/ooxml-check/validate.sh")))
            QFAIL("the schema check ../shared/ooxml-check/validate.sh is missing");
        if (!officetools::available())
            QFAIL("soffice, pdftotext and pdftoppm are needed (tools/setup-debian.sh --tests)");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void nativeAndValid_data()
    {
        QTest::addColumn<timeline::Timeline>("timeline");
        QTest::addColumn<QString>("size");
        const std::pair<const char*, timeline::Timeline> timelines[] = {
            {"yearly sample", sampleTimeline(timeline::Scale::Yearly)},
            {"monthly sample", sampleTimeline(timeline::Scale::Monthly)},
            {"daily sample", sampleTimeline(timeline::Scale::Daily)},
            {"14 entries", manyEntries(14)},
            {"40 entries, Slate", manyEntries(40, QStringLiteral("Slate"))},
            {"63 entries", manyEntries(63)},
        };
        for (const auto& [name, value] : timelines) {
            for (const slide::SlideSize& size : slide::kSlideSizes)
                QTest::addRow("%s, %s", name, size.name) << value << QString::fromLatin1(size.name);
        }
    }

    // Schema-valid; every callout the preset arrow callout of the Word page with its four
    // adjustments, every bar's dates a native table, every shape on the slide; and the
    // slide opens again as the timeline it was made from.
    void nativeAndValid()
    {
        QFETCH(timeline::Timeline, timeline);
        QFETCH(QString, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("slide.pptx"));
        const docgen::PagePlan plan = writeSlide(timeline, size, path);

        QProcess check;
        check.setProcessEnvironment(testsupport::toolEnvironment());
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(QStringLiteral("sh"),
                    {sharedDir() + QStringLiteral("/ooxml-check/validate.sh"), path});
        QVERIFY(check.waitForFinished(240'000));
        QVERIFY2(check.exitCode() == 0, check.readAll().constData());

        const QByteArray slideXml = partOf(path, QStringLiteral("ppt/slides/slide1.xml"));
        QStringList presets;
        for (const docgen::PageElement& callout : plan.callouts)
            presets << office::drawingml::presetName(calloutKind(callout));
        QCOMPARE(captured(slideXml, QStringLiteral("<a:prstGeom prst=\"(\\w+Callout)\">")),
                 presets);
        QCOMPARE(captured(slideXml, QStringLiteral("prst=\"\\w+Callout\"><a:avLst>((?:<a:gd "
                                                   "[^>]*/>){4})</a:avLst>"))
                     .size(),
                 plan.callouts.size());
        QCOMPARE(slideXml.count("<a:tbl>"), plan.bars().size());
        QStringList dates;
        for (const timeline::Entry& entry : timeline.entries)
            dates << entry.date;
        QCOMPARE(captured(slideXml, QStringLiteral("<a:tc><a:txBody>.*?<a:t>([^<]*)</a:t>")),
                 dates);

        const slide::SlideSize& slideSize = *slide::findSlideSize(size);
        const qint64 widthEmu = units::ptToEmu(slideSize.widthPt);
        const qint64 heightEmu = units::ptToEmu(slideSize.heightPt);
        QVERIFY(partOf(path, QStringLiteral("ppt/presentation.xml"))
                    .contains(QStringLiteral("<p:sldSz cx=\"%1\" cy=\"%2\"")
                                  .arg(widthEmu)
                                  .arg(heightEmu)
                                  .toLatin1()));
        const QRegularExpression frame(QStringLiteral(
            "<a:off x=\"(-?\\d+)\" y=\"(-?\\d+)\"/><a:ext cx=\"(\\d+)\" cy=\"(\\d+)\"/>"));
        // Every shape half an inch or more inside the slide, the whole as far from its top
        // as from its bottom (within a tenth of the height), as on a designed page.
        int frames = 0;
        QRectF all;
        for (QRegularExpressionMatchIterator it = frame.globalMatch(QString::fromUtf8(slideXml));
             it.hasNext(); ++frames) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(3).toLongLong() == 0)
                continue; // the shape tree's own group
            const QRectF shape(
                units::emuToPt(m.captured(1).toDouble()), units::emuToPt(m.captured(2).toDouble()),
                units::emuToPt(m.captured(3).toDouble()), units::emuToPt(m.captured(4).toDouble()));
            QVERIFY2(QRectF(0, 0, slideSize.widthPt, slideSize.heightPt)
                         .adjusted(36 - kTolerancePt, 36 - kTolerancePt, kTolerancePt - 36,
                                   kTolerancePt - 36)
                         .contains(shape),
                     qPrintable(m.captured(0)));
            all = all.isNull() ? shape : all.united(shape);
        }
        QCOMPARE(frames, 1 + plan.frame.size() + plan.callouts.size() + plan.marks.size());
        QVERIFY(std::abs(all.top() - (slideSize.heightPt - all.bottom())) <=
                0.1 * slideSize.heightPt);
        // One size for every callout's notes and one for every bar's dates.
        for (const QString& pattern :
             {QStringLiteral("<p:sp>(?:(?!</p:sp>).)*?Callout\">(?:(?!</p:sp>).)*?<a:rPr "
                             "lang=\"en-US\" sz=\"(\\d+)\""),
              QStringLiteral("<a:tc><a:txBody>.*?<a:rPr lang=\"en-US\" sz=\"(\\d+)\"")}) {
            const QStringList sizes = captured(slideXml, pattern);
            QVERIFY(!sizes.isEmpty());
            QCOMPARE(QSet<QString>(sizes.cbegin(), sizes.cend()).size(), 1);
        }

        const timeline::xml::ReadResult read = docgen::readTimelineFrom(path);
        QVERIFY2(read.timeline, qPrintable(read.error));
        QCOMPARE(read.timeline->title, timeline.title);
        QCOMPARE(read.timeline->scale, timeline.scale);
        QCOMPARE(read.timeline->entries, timeline.entries);
        QCOMPARE(read.timeline->page, timeline.page);
    }

    void legibleInImpress_data()
    {
        QTest::addColumn<QString>("size");
        for (const slide::SlideSize& size : slide::kSlideSizes)
            QTest::newRow(size.name) << QString::fromLatin1(size.name);
    }

    // Impress shows every word of the daily sample (the longest notes) and of 14, 40 and 63
    // entries, each inside its shape's text area, on the slide, at 7 pt or more, none over
    // another; and what it saves again still opens as the timeline.
    void legibleInImpress()
    {
        QFETCH(QString, size);
        const QList<timeline::Timeline> timelines{
            sampleTimeline(timeline::Scale::Daily), manyEntries(14),
            manyEntries(40, QStringLiteral("Slate")), manyEntries(63)};
        for (const timeline::Timeline& timeline : std::as_const(timelines)) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("slide.pptx"));
            const docgen::PagePlan plan = writeSlide(timeline, size, path);
            QVERIFY(plan.report.fits());
            QString error;
            const QString pdf = officetools::convertToPdf(path, dir.path(), &error);
            QVERIFY2(!pdf.isEmpty(), qPrintable(error));
            const slide::SlideSize& slideSize = *slide::findSlideSize(size);
            const QSizeF page = officetools::pageSizeOf(pdf);
            QVERIFY(std::abs(page.width() - slideSize.widthPt) < 1);
            QVERIFY(std::abs(page.height() - slideSize.heightPt) < 1);

            const QList<officetools::Word> words = officetools::wordsOf(pdf);
            QStringList wanted = timeline.title.split(u' ', Qt::SkipEmptyParts);
            for (const timeline::Entry& entry : timeline.entries)
                wanted << entry.date.split(u' ', Qt::SkipEmptyParts)
                       << entry.notes.split(u' ', Qt::SkipEmptyParts);
            QStringList shown;
            QList<std::pair<QRectF, docgen::ElementKind>> areas;
            QRectF ink; // the words, the bars and the callouts
            for (const docgen::PageElement& element : plan.frame + plan.callouts + plan.marks) {
                if (element.kind == docgen::ElementKind::LegendKey)
                    wanted << element.text.split(u' ', Qt::SkipEmptyParts);
                if (element.kind != docgen::ElementKind::DateTable &&
                    element.kind != docgen::ElementKind::SpanBand &&
                    element.kind != docgen::ElementKind::MilestoneMarker)
                    areas << std::pair{textArea(element), element.kind};
                if (element.kind == docgen::ElementKind::TimelineBar ||
                    element.kind == docgen::ElementKind::Callout)
                    ink |= QRectF(element.leftPt, element.topPt, element.widthPt, element.heightPt);
            }
            std::map<docgen::ElementKind, QList<double>> across; // each word's type size
            QList<officetools::Word> dates;
            for (int i = 0; i < words.size(); ++i) {
                const officetools::Word& word = words.at(i);
                shown << word.text;
                const auto area = std::find_if(areas.cbegin(), areas.cend(), [&](const auto& a) {
                    return a.first
                        .adjusted(-kTolerancePt, -kTolerancePt, kTolerancePt, kTolerancePt)
                        .contains(word.boxPt);
                });
                QVERIFY2(area != areas.cend(), qPrintable(word.text));
                // Half an inch or more from every edge, as on a designed page.
                QVERIFY2(QRectF(QPointF(0, 0), page)
                             .adjusted(36 - kTolerancePt, 36 - kTolerancePt, kTolerancePt - 36,
                                       kTolerancePt - 36)
                             .contains(word.boxPt),
                         qPrintable(word.text));
                // A 7 pt word box is about 9.1 pt high (across, for a date that runs upwards).
                const bool upward =
                    word.text.size() >= 3 && word.boxPt.height() > 1.3 * word.boxPt.width();
                across[area->second] << (upward ? word.boxPt.width() : word.boxPt.height());
                QVERIFY2(across[area->second].last() >= 9.0, qPrintable(word.text));
                ink |= word.boxPt;
                if (area->second == docgen::ElementKind::TimelineBar)
                    dates << word;
                for (int j = i + 1; j < words.size(); ++j)
                    QVERIFY2(!overlap(word.boxPt, words.at(j).boxPt),
                             qPrintable(word.text + QStringLiteral(" / ") + words.at(j).text));
            }
            // One size for the notes and one for the dates (word boxes within 8 %), and the
            // whole as far from the top as from the bottom, within a tenth of the height.
            for (const auto kind :
                 {docgen::ElementKind::Callout, docgen::ElementKind::TimelineBar}) {
                const auto [low, high] =
                    std::minmax_element(across[kind].cbegin(), across[kind].cend());
                QVERIFY(low != across[kind].cend() && *high <= 1.08 * *low);
            }
            QVERIFY(std::abs(ink.top() - (page.height() - ink.bottom())) <= 0.1 * page.height());
            // Each arrow's tip over its own date's words, within 3 pt across.
            for (int i = 0; i < plan.callouts.size(); ++i) {
                const QString& date = timeline.entries.at(i).date;
                const auto own = std::find_if(dates.cbegin(), dates.cend(),
                                              [&](const auto& w) { return date.contains(w.text); });
                QVERIFY2(own != dates.cend() &&
                             std::abs(own->boxPt.center().x() - tipOf(plan.callouts.at(i))) <= 3,
                         qPrintable(date));
            }
            // Character for character: a span date may break after its dash.
            const auto letters = [](const QStringList& texts) {
                QString all = texts.join(QString());
                std::sort(all.begin(), all.end());
                return all;
            };
            QCOMPARE(letters(shown), letters(wanted));

            // Saved again by Impress, the slide still carries its timeline.
            const QString again =
                officetools::convertTo(path, dir.path(), QStringLiteral("pptx"), &error);
            QVERIFY2(!again.isEmpty(), qPrintable(error));
            const timeline::xml::ReadResult read = docgen::readTimelineFrom(again);
            QVERIFY2(read.timeline, qPrintable(read.error));
            QCOMPARE(read.timeline->title, timeline.title);
        }
    }
};

QTEST_MAIN(TestSlide)
#include "tst_slide.moc"
