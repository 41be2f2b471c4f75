#include "slidewriter.h"

#include "docgen/timelinefile.h"
#include "docgen/wordautomation.h"
#include "filewrite/safefile.h"
#include "office/customxml.h"
#include "office/document.h"
#include "office/drawingml.h"
#include "office/error.h"
#include "office/ooxmlnames.h"
#include "office/packageparts.h"
#include "office/textlayout.h"
#include "office/xmlout.h"
#include "office/zippackage.h"
#include "units/lengths.h"

#include <QDir>
#include <QXmlStreamWriter>

#include <cmath>

namespace slide {
namespace {

using namespace office::ooxml;
using docgen::ElementKind;
using docgen::PageElement;
using office::xmlout::emptyElement;
using office::xmlout::emu;

const QString kMain =
    QStringLiteral("application/vnd.openxmlformats-officedocument.presentationml");

// Ids of the master and its layout count from 2^31, those of slides from 256.
constexpr const char* kMasterId = "2147483648";
constexpr const char* kLayoutId = "2147483649";
constexpr const char* kSlideId = "256";

QRgb rgbOf(const docgen::Colour& colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

// A part of the presentation: the three namespaces its markup uses, declared on the root.
class Part
{
public:
    Part(const QString& ns, const QString& root) : mXml(&mBytes)
    {
        mXml.writeStartDocument(QStringLiteral("1.0"), true);
        mXml.writeNamespace(kA, QStringLiteral("a"));
        mXml.writeNamespace(kR, QStringLiteral("r"));
        mXml.writeNamespace(kP, QStringLiteral("p"));
        mXml.writeStartElement(ns, root);
    }
    QXmlStreamWriter& xml() { return mXml; }
    QByteArray finish()
    {
        mXml.writeEndDocument();
        return mBytes;
    }

private:
    QByteArray mBytes;
    QXmlStreamWriter mXml;
};

// The shape tree's own group, at the origin, as every slide, layout and master opens it.
void startShapeTree(QXmlStreamWriter& xml)
{
    xml.writeStartElement(kP, QStringLiteral("spTree"));
    xml.writeStartElement(kP, QStringLiteral("nvGrpSpPr"));
    emptyElement(xml, kP, QStringLiteral("cNvPr"),
                 {{QStringLiteral("id"), QStringLiteral("1")}, {QStringLiteral("name"), {}}});
    xml.writeEmptyElement(kP, QStringLiteral("cNvGrpSpPr"));
    xml.writeEmptyElement(kP, QStringLiteral("nvPr"));
    xml.writeEndElement();
    xml.writeStartElement(kP, QStringLiteral("grpSpPr"));
    xml.writeStartElement(kA, QStringLiteral("xfrm"));
    const QString zero = QStringLiteral("0");
    emptyElement(xml, kA, QStringLiteral("off"),
                 {{QStringLiteral("x"), zero}, {QStringLiteral("y"), zero}});
    emptyElement(xml, kA, QStringLiteral("ext"),
                 {{QStringLiteral("cx"), zero}, {QStringLiteral("cy"), zero}});
    emptyElement(xml, kA, QStringLiteral("chOff"),
                 {{QStringLiteral("x"), zero}, {QStringLiteral("y"), zero}});
    emptyElement(xml, kA, QStringLiteral("chExt"),
                 {{QStringLiteral("cx"), zero}, {QStringLiteral("cy"), zero}});
    xml.writeEndElement();
    xml.writeEndElement();
}

void masterColourMapping(QXmlStreamWriter& xml)
{
    xml.writeStartElement(kP, QStringLiteral("clrMapOvr"));
    xml.writeEmptyElement(kA, QStringLiteral("masterClrMapping"));
    xml.writeEndElement();
}

// The text format of an element, as the engine gives a new shape's text when the plan
// leaves a part of it unset.
office::CharFormat formatOf(const docgen::ElementStyle& style, std::optional<QRgb> fallbackColour)
{
    office::CharFormat format;
    if (!style.fontName.isEmpty())
        format.fontName = style.fontName;
    format.sizeHalfPt = int(std::lround(style.fontSizePt * 2));
    format.bold = style.bold;
    format.color =
        style.textColour ? std::optional<QRgb>(rgbOf(*style.textColour)) : fallbackColour;
    return format;
}

// A paragraph of the text in the format. Its lines stand the plan's pitch apart where it
// gives one; in a table cell, where a presentation program's single lines are tighter
// than a shape's, a whole line of the font apart, as the layout step measured them.
enum class Pitch
{
    Single,
    FontLine,
};
office::Paragraph paragraphOf(const QString& text, const office::CharFormat& format,
                              office::Alignment alignment, Pitch pitch, double planPitchPt = 0)
{
    office::Paragraph paragraph;
    paragraph.alignment = alignment;
    paragraph.markFormat = format;
    double pitchPt = planPitchPt;
    if (pitch == Pitch::FontLine || pitchPt > 0) {
        // One empty line, which any width holds.
        pitchPt = std::max(pitchPt, office::ParagraphLayout(paragraph, 100).heightPt());
    }
    paragraph.lineAtLeastTwips = int(units::ptToTwips(pitchPt));
    if (!text.isEmpty())
        paragraph.runs.push_back(office::Run{text, format});
    return paragraph;
}

office::Alignment alignmentOf(const docgen::ElementStyle& style, office::Alignment fallback)
{
    if (!style.alignment)
        return fallback;
    return *style.alignment == docgen::TextAlignment::Centre ? office::Alignment::Center
                                                             : office::Alignment::Left;
}

// The engine's kind of shape for the element: a callout or a mark by its shape code, any
// other element a text box.
office::ShapeKind kindOf(const PageElement& element)
{
    switch (element.kind) {
    case ElementKind::Callout:
        return element.shapeType == docgen::word::kShapeDownArrowCallout
                   ? office::ShapeKind::DownArrowCallout
                   : office::ShapeKind::UpArrowCallout;
    case ElementKind::SpanBand:
    case ElementKind::MilestoneMarker:
        return element.shapeType == docgen::word::kShapeDiamond ? office::ShapeKind::Diamond
                                                                : office::ShapeKind::Rectangle;
    default:
        return office::ShapeKind::TextBox;
    }
}

// The element as the engine makes its shape: a new text box, arrow callout or mark with
// the plan's frame, then the plan's fill, outline, insets, adjustments and text.
office::Shape shapeOf(const PageElement& element)
{
    office::Document made;
    const office::ShapeKind kind = kindOf(element);
    const double left = element.leftPt;
    const double top = element.topPt;
    const int index = office::isCallout(kind)
                          ? made.addCallout(kind, left, top, element.widthPt, element.heightPt)
                      : office::holdsText(kind)
                          ? made.addTextBox(left, top, element.widthPt, element.heightPt)
                          : made.addMark(kind, left, top, element.widthPt, element.heightPt);
    office::Shape shape = made.shape(index);
    const docgen::ElementStyle& style = element.style;
    if (style.fill)
        shape.fill = rgbOf(*style.fill);
    if (style.lineColour)
        shape.lineColor = rgbOf(*style.lineColour);
    if (style.lineVisible)
        shape.lineVisible = *style.lineVisible;
    if (style.lineWidthPt)
        shape.lineWidthPt = *style.lineWidthPt;
    const QSizeF insets = element.insets();
    shape.insetLeftPt = shape.insetRightPt = insets.width();
    shape.insetTopPt = shape.insetBottomPt = insets.height();
    if (element.adjust)
        shape.adjust = *element.adjust;
    if (!office::holdsText(kind))
        return shape;
    const office::Paragraph model = std::get<office::Paragraph>(shape.story.front());
    const office::CharFormat format = formatOf(style, model.markFormat.color);
    shape.story.clear();
    for (const QString& piece : office::splitParagraphTexts(element.text))
        shape.story.push_back(paragraphOf(piece, format, alignmentOf(style, model.alignment),
                                          Pitch::Single, element.lineSpacingPt));
    if (shape.story.empty())
        shape.story.push_back(office::Paragraph{});
    return shape;
}

// The date table of a bar: one row of cells in the plan's widths (or equal ones across
// the bar's text width), left and right borders and those between the dates.
office::Table tableOf(const PageElement& dates, const PageElement& bar)
{
    office::Table table;
    const int columns = int(std::max<qsizetype>(1, dates.cells.size()));
    for (int c = 0; c < columns; ++c) {
        const double widthPt = dates.columnWidthsPt.size() == columns
                                   ? dates.columnWidthsPt.at(c)
                                   : double(docgen::PageFit::columnWidthPt(bar.widthPt, columns));
        table.columnWidthsTwips.push_back(int(units::ptToTwips(widthPt)));
    }
    const office::CharFormat format = formatOf(dates.style, std::nullopt);
    std::vector<office::TableCell> row;
    const office::Alignment alignment = alignmentOf(dates.style, office::Alignment::Left);
    // Every cell is one paragraph in the one format: its pitch is measured once.
    const office::Paragraph empty = paragraphOf(QString(), format, alignment, Pitch::FontLine);
    for (int c = 0; c < columns; ++c) {
        office::Paragraph paragraph = empty;
        if (const QString text = dates.cells.value(c); !text.isEmpty())
            paragraph.runs.push_back(office::Run{text, format});
        row.push_back(office::TableCell{{paragraph}});
    }
    table.rows.push_back(row);
    table.borders[office::BorderTop].visible = !dates.style.removeTopAndBottomBorders;
    table.borders[office::BorderBottom].visible = !dates.style.removeTopAndBottomBorders;
    table.textUpward = dates.textUpward;
    return table;
}

void writeShape(QXmlStreamWriter& xml, const office::Shape& shape, int id, bool textBox)
{
    xml.writeStartElement(kP, QStringLiteral("sp"));
    xml.writeStartElement(kP, QStringLiteral("nvSpPr"));
    emptyElement(
        xml, kP, QStringLiteral("cNvPr"),
        {{QStringLiteral("id"), QString::number(id)}, {QStringLiteral("name"), shape.name}});
    xml.writeEmptyElement(kP, QStringLiteral("cNvSpPr"));
    if (textBox)
        xml.writeAttribute(QStringLiteral("txBox"), QStringLiteral("1"));
    xml.writeEmptyElement(kP, QStringLiteral("nvPr"));
    xml.writeEndElement();
    office::drawingml::writeShapeProperties(xml, kP, shape, shape.leftPt, shape.topPt);
    if (office::holdsText(shape.kind)) {
        xml.writeStartElement(kP, QStringLiteral("txBody"));
        office::drawingml::writeBodyProperties(xml, kA, shape);
        office::drawingml::writeTextStory(xml, shape.story);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// The dates over their bar: the frame spans the bar's height and its text width.
void writeDateTable(QXmlStreamWriter& xml, const PageElement& dates, const PageElement& bar, int id,
                    int barNumber)
{
    const office::Table table = tableOf(dates, bar);
    double widthPt = 0;
    for (const int twips : table.columnWidthsTwips)
        widthPt += units::twipsToPt(twips);
    xml.writeStartElement(kP, QStringLiteral("graphicFrame"));
    xml.writeStartElement(kP, QStringLiteral("nvGraphicFramePr"));
    emptyElement(xml, kP, QStringLiteral("cNvPr"),
                 {{QStringLiteral("id"), QString::number(id)},
                  {QStringLiteral("name"), QStringLiteral("Dates %1").arg(barNumber)}});
    xml.writeStartElement(kP, QStringLiteral("cNvGraphicFramePr"));
    emptyElement(xml, kA, QStringLiteral("graphicFrameLocks"),
                 {{QStringLiteral("noGrp"), QStringLiteral("1")}});
    xml.writeEndElement();
    xml.writeEmptyElement(kP, QStringLiteral("nvPr"));
    xml.writeEndElement();
    office::drawingml::writeTransform(xml, kP, bar.leftPt + bar.insets().width(), bar.topPt,
                                      widthPt, bar.heightPt);
    xml.writeStartElement(kA, QStringLiteral("graphic"));
    xml.writeStartElement(kA, QStringLiteral("graphicData"));
    xml.writeAttribute(QStringLiteral("uri"), kTableGraphic);
    office::drawingml::writeTable(xml, table, bar.heightPt);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

QByteArray slidePart(const docgen::PagePlan& plan)
{
    Part part(kP, QStringLiteral("sld"));
    QXmlStreamWriter& xml = part.xml();
    xml.writeStartElement(kP, QStringLiteral("cSld"));
    startShapeTree(xml);
    int id = 1;
    int bars = 0;
    const PageElement* bar = nullptr;
    // The bands before the callouts, so the arrows that cross them stand over them; the
    // markers and the legend last, as the page has them.
    QList<PageElement> elements = plan.frame;
    for (const PageElement& mark : plan.marks) {
        if (mark.kind == ElementKind::SpanBand)
            elements << mark;
    }
    elements << plan.callouts;
    for (const PageElement& mark : plan.marks) {
        if (mark.kind != ElementKind::SpanBand)
            elements << mark;
    }
    for (const PageElement& element : elements) {
        switch (element.kind) {
        case ElementKind::DateTable:
            if (bar)
                writeDateTable(xml, element, *bar, ++id, bars);
            break;
        case ElementKind::TimelineBar: {
            bar = &element;
            office::Shape shape = shapeOf(element);
            shape.name = QStringLiteral("Bar %1").arg(++bars);
            shape.story = office::Story{office::Paragraph{}};
            writeShape(xml, shape, ++id, false);
            break;
        }
        default: {
            const office::Shape shape = shapeOf(element);
            writeShape(xml, shape, ++id, shape.kind == office::ShapeKind::TextBox);
            break;
        }
        }
    }
    xml.writeEndElement(); // spTree
    xml.writeEndElement(); // cSld
    masterColourMapping(xml);
    return part.finish();
}

// A list of one id with its relationship: the master's layouts, the presentation's
// masters and slides.
void writeOneIdList(QXmlStreamWriter& xml, const char* list, const char* item, const char* id,
                    const char* relationship)
{
    xml.writeStartElement(kP, QString::fromLatin1(list));
    xml.writeEmptyElement(kP, QString::fromLatin1(item));
    xml.writeAttribute(QStringLiteral("id"), QLatin1String(id));
    xml.writeAttribute(kR, QStringLiteral("id"), QLatin1String(relationship));
    xml.writeEndElement();
}

QByteArray layoutPart()
{
    Part part(kP, QStringLiteral("sldLayout"));
    QXmlStreamWriter& xml = part.xml();
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("blank"));
    xml.writeAttribute(QStringLiteral("preserve"), QStringLiteral("1"));
    xml.writeStartElement(kP, QStringLiteral("cSld"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("Blank"));
    startShapeTree(xml);
    xml.writeEndElement();
    xml.writeEndElement();
    masterColourMapping(xml);
    return part.finish();
}

QByteArray masterPart()
{
    Part part(kP, QStringLiteral("sldMaster"));
    QXmlStreamWriter& xml = part.xml();
    xml.writeStartElement(kP, QStringLiteral("cSld"));
    xml.writeStartElement(kP, QStringLiteral("bg"));
    xml.writeStartElement(kP, QStringLiteral("bgRef"));
    xml.writeAttribute(QStringLiteral("idx"), QStringLiteral("1001"));
    emptyElement(xml, kA, QStringLiteral("schemeClr"),
                 {{QStringLiteral("val"), QStringLiteral("bg1")}});
    xml.writeEndElement();
    xml.writeEndElement();
    startShapeTree(xml);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEmptyElement(kP, QStringLiteral("clrMap"));
    const char* mapping[][2] = {
        {"bg1", "lt1"},         {"tx1", "dk1"},         {"bg2", "lt2"},
        {"tx2", "dk2"},         {"accent1", "accent1"}, {"accent2", "accent2"},
        {"accent3", "accent3"}, {"accent4", "accent4"}, {"accent5", "accent5"},
        {"accent6", "accent6"}, {"hlink", "hlink"},     {"folHlink", "folHlink"}};
    for (const auto& pair : mapping)
        xml.writeAttribute(QString::fromLatin1(pair[0]), QString::fromLatin1(pair[1]));
    writeOneIdList(xml, "sldLayoutIdLst", "sldLayoutId", kLayoutId, "rId1");
    // The master's text styles, empty: every shape on the slide states its own.
    xml.writeStartElement(kP, QStringLiteral("txStyles"));
    for (const char* style : {"titleStyle", "bodyStyle", "otherStyle"})
        xml.writeEmptyElement(kP, QString::fromLatin1(style));
    xml.writeEndElement();
    return part.finish();
}

QByteArray presentationPart(const SlideSize& size)
{
    Part part(kP, QStringLiteral("presentation"));
    QXmlStreamWriter& xml = part.xml();
    writeOneIdList(xml, "sldMasterIdLst", "sldMasterId", kMasterId, "rId1");
    writeOneIdList(xml, "sldIdLst", "sldId", kSlideId, "rId2");
    xml.writeEmptyElement(kP, QStringLiteral("sldSz"));
    xml.writeAttribute(QStringLiteral("cx"), emu(size.widthPt));
    xml.writeAttribute(QStringLiteral("cy"), emu(size.heightPt));
    if (size.widthPt * 3 == size.heightPt * 4)
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("screen4x3"));
    // The notes page, portrait 7.5 x 10 in, as a presentation program states it.
    emptyElement(xml, kP, QStringLiteral("notesSz"),
                 {{QStringLiteral("cx"), emu(7.5 * units::kPointsPerInch)},
                  {QStringLiteral("cy"), emu(10 * units::kPointsPerInch)}});
    return part.finish();
}

QByteArray emptyPart(const QString& ns, const QString& root)
{
    return Part(ns, root).finish();
}

QByteArray tableStylesPart()
{
    Part part(kA, QStringLiteral("tblStyleLst"));
    // The default table style of presentation programs ("Medium Style 2 - Accent 1").
    part.xml().writeAttribute(QStringLiteral("def"),
                              QStringLiteral("{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}"));
    return part.finish();
}

// The theme: the plan's title font as the headings', its notes font as the body's, its
// callout fill as the first accent, so a restyled shape keeps the page's look.
QByteArray themePart(const docgen::PagePlan& plan)
{
    QString headings = QStringLiteral("Arial");
    QString body = QLatin1String(office::kDefaultFont);
    QRgb accent = qRgb(0x44, 0x72, 0xC4);
    QRgb barFill = qRgb(0xCC, 0xFF, 0xCC);
    if (!plan.frame.isEmpty() && !plan.frame.front().style.fontName.isEmpty())
        headings = plan.frame.front().style.fontName;
    if (!plan.callouts.isEmpty()) {
        const office::Shape callout = shapeOf(plan.callouts.front());
        body = std::get<office::Paragraph>(callout.story.front()).markFormat.fontName;
        accent = callout.fill.value_or(accent);
    }
    if (const QList<PageElement> bars = plan.bars(); !bars.isEmpty() && bars.front().style.fill)
        barFill = rgbOf(*bars.front().style.fill);

    Part part(kA, QStringLiteral("theme"));
    QXmlStreamWriter& xml = part.xml();
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(office::kProgramName));
    xml.writeStartElement(kA, QStringLiteral("themeElements"));
    xml.writeStartElement(kA, QStringLiteral("clrScheme"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(office::kProgramName));
    const std::pair<const char*, QRgb> colours[] = {{"dk1", qRgb(0, 0, 0)},
                                                    {"lt1", qRgb(255, 255, 255)},
                                                    {"dk2", qRgb(0x44, 0x54, 0x6A)},
                                                    {"lt2", qRgb(0xE7, 0xE6, 0xE6)},
                                                    {"accent1", accent},
                                                    {"accent2", barFill},
                                                    {"accent3", qRgb(0xA5, 0xA5, 0xA5)},
                                                    {"accent4", qRgb(0xFF, 0xC0, 0x00)},
                                                    {"accent5", qRgb(0x5B, 0x9B, 0xD5)},
                                                    {"accent6", qRgb(0x70, 0xAD, 0x47)},
                                                    {"hlink", qRgb(0x05, 0x63, 0xC1)},
                                                    {"folHlink", qRgb(0x95, 0x4F, 0x72)}};
    for (const auto& [name, colour] : colours) {
        xml.writeStartElement(kA, QString::fromLatin1(name));
        emptyElement(xml, kA, QStringLiteral("srgbClr"),
                     {{QStringLiteral("val"), office::xmlout::hexColor(colour)}});
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(kA, QStringLiteral("fontScheme"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(office::kProgramName));
    for (const auto& [role, face] :
         {std::pair{"majorFont", headings}, std::pair{"minorFont", body}}) {
        xml.writeStartElement(kA, QString::fromLatin1(role));
        emptyElement(xml, kA, QStringLiteral("latin"), {{QStringLiteral("typeface"), face}});
        emptyElement(xml, kA, QStringLiteral("ea"), {{QStringLiteral("typeface"), {}}});
        emptyElement(xml, kA, QStringLiteral("cs"), {{QStringLiteral("typeface"), {}}});
        xml.writeEndElement();
    }
    xml.writeEndElement();
    // Three of each style, as the format scheme needs: plain fills and lines of the
    // placeholder colour, no effects.
    xml.writeStartElement(kA, QStringLiteral("fmtScheme"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(office::kProgramName));
    const auto placeholderFill = [&xml] {
        xml.writeStartElement(kA, QStringLiteral("solidFill"));
        emptyElement(xml, kA, QStringLiteral("schemeClr"),
                     {{QStringLiteral("val"), QStringLiteral("phClr")}});
        xml.writeEndElement();
    };
    xml.writeStartElement(kA, QStringLiteral("fillStyleLst"));
    for (int k = 0; k < 3; ++k)
        placeholderFill();
    xml.writeEndElement();
    xml.writeStartElement(kA, QStringLiteral("lnStyleLst"));
    for (const double widthPt : {0.5, 1.0, 1.5}) {
        xml.writeStartElement(kA, QStringLiteral("ln"));
        xml.writeAttribute(QStringLiteral("w"), emu(widthPt));
        placeholderFill();
        emptyElement(xml, kA, QStringLiteral("miter"),
                     {{QStringLiteral("lim"), QStringLiteral("800000")}});
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(kA, QStringLiteral("effectStyleLst"));
    for (int k = 0; k < 3; ++k) {
        xml.writeStartElement(kA, QStringLiteral("effectStyle"));
        xml.writeEmptyElement(kA, QStringLiteral("effectLst"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(kA, QStringLiteral("bgFillStyleLst"));
    for (int k = 0; k < 3; ++k)
        placeholderFill();
    xml.writeEndElement();
    xml.writeEndElement(); // fmtScheme
    xml.writeEndElement(); // themeElements
    xml.writeEmptyElement(kA, QStringLiteral("objectDefaults"));
    xml.writeEmptyElement(kA, QStringLiteral("extraClrSchemeLst"));
    return part.finish();
}

} // namespace

QByteArray slidePackage(const docgen::PagePlan& plan, const SlideSize& size,
                        const std::vector<office::CustomXmlItem>& items, const QDateTime& savedAt)
{
    office::customxml::PackagedItems data = office::customxml::packageItems(items);
    std::vector<office::opc::PartType> types{
        {QStringLiteral("/") + kPresentationPart, kMain + QStringLiteral(".presentation.main+xml")},
        {QStringLiteral("/ppt/slideMasters/slideMaster1.xml"),
         kMain + QStringLiteral(".slideMaster+xml")},
        {QStringLiteral("/ppt/slideLayouts/slideLayout1.xml"),
         kMain + QStringLiteral(".slideLayout+xml")},
        {QStringLiteral("/ppt/slides/slide1.xml"), kMain + QStringLiteral(".slide+xml")},
        {QStringLiteral("/ppt/theme/theme1.xml"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.theme+xml")},
        {QStringLiteral("/ppt/presProps.xml"), kMain + QStringLiteral(".presProps+xml")},
        {QStringLiteral("/ppt/viewProps.xml"), kMain + QStringLiteral(".viewProps+xml")},
        {QStringLiteral("/ppt/tableStyles.xml"), kMain + QStringLiteral(".tableStyles+xml")},
        {QStringLiteral("/docProps/core.xml"),
         QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml")},
        {QStringLiteral("/docProps/app.xml"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml")},
    };
    types.insert(types.end(), data.types.begin(), data.types.end());
    std::vector<office::opc::Relationship> presentation{
        {kSlideMasterType, QStringLiteral("slideMasters/slideMaster1.xml")},
        {kSlideType, QStringLiteral("slides/slide1.xml")},
        {kPresPropsType, QStringLiteral("presProps.xml")},
        {kViewPropsType, QStringLiteral("viewProps.xml")},
        {kThemeType, QStringLiteral("theme/theme1.xml")},
        {kTableStylesType, QStringLiteral("tableStyles.xml")},
    };
    presentation.insert(presentation.end(), data.mainRelationships.begin(),
                        data.mainRelationships.end());
    const QString toLayout = QStringLiteral("../slideLayouts/slideLayout1.xml");
    std::vector<office::zippackage::Part> parts{
        {QStringLiteral("[Content_Types].xml"), office::opc::contentTypes(types)},
        {QStringLiteral("_rels/.rels"),
         office::opc::relationships(
             {{kOfficeDocumentType, kPresentationPart},
              {kCorePropertiesType, QStringLiteral("docProps/core.xml")},
              {kExtendedPropertiesType, QStringLiteral("docProps/app.xml")}})},
        {kPresentationPart, presentationPart(size)},
        {QStringLiteral("ppt/_rels/presentation.xml.rels"),
         office::opc::relationships(presentation)},
        {QStringLiteral("ppt/slideMasters/slideMaster1.xml"), masterPart()},
        {QStringLiteral("ppt/slideMasters/_rels/slideMaster1.xml.rels"),
         office::opc::relationships(
             {{kSlideLayoutType, toLayout}, {kThemeType, QStringLiteral("../theme/theme1.xml")}})},
        {QStringLiteral("ppt/slideLayouts/slideLayout1.xml"), layoutPart()},
        {QStringLiteral("ppt/slideLayouts/_rels/slideLayout1.xml.rels"),
         office::opc::relationships(
             {{kSlideMasterType, QStringLiteral("../slideMasters/slideMaster1.xml")}})},
        {QStringLiteral("ppt/slides/slide1.xml"), slidePart(plan)},
        {QStringLiteral("ppt/slides/_rels/slide1.xml.rels"),
         office::opc::relationships({{kSlideLayoutType, toLayout}})},
        {QStringLiteral("ppt/theme/theme1.xml"), themePart(plan)},
        {QStringLiteral("ppt/presProps.xml"), emptyPart(kP, QStringLiteral("presentationPr"))},
        {QStringLiteral("ppt/viewProps.xml"), emptyPart(kP, QStringLiteral("viewPr"))},
        {QStringLiteral("ppt/tableStyles.xml"), tableStylesPart()},
        {QStringLiteral("docProps/core.xml"), office::opc::coreProperties(savedAt)},
        {QStringLiteral("docProps/app.xml"), office::opc::appProperties()},
    };
    parts.insert(parts.end(), data.parts.begin(), data.parts.end());
    return office::zippackage::write(parts);
}

void saveSlide(const timeline::Timeline& timeline, const docgen::PagePlan& plan,
               const SlideSize& size, const QString& path)
{
    const QByteArray package = slidePackage(plan, size, {docgen::timelineItem(timeline)});
    if (const filewrite::WriteResult written = filewrite::replaceFile(path, package); !written)
        throw office::Error(QStringLiteral("Cannot write %1: %2")
                                .arg(QDir::toNativeSeparators(path), written.reason));
}

} // namespace slide
