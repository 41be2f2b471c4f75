#include "docreader.h"

#include "customxml.h"
#include "error.h"
#include "ooxmlnames.h"
#include "packageparts.h"
#include "readlimits.h"
#include "vmlshape.h"
#include "xmlcursor.h"
#include "zippackage.h"

#include "units/lengths.h"

#include <QFile>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace office {

using namespace ooxml;
using namespace limits;

namespace {

bool onOff(const XmlCursor& xml)
{
    const QString value = xml.attr(kW, "val");
    return value.isEmpty() || value == u"1" || value == u"true" || value == u"on";
}

std::optional<QRgb> parseColor(const QString& value)
{
    if (value.size() != 6) {
        return std::nullopt;
    }
    bool ok = false;
    const uint rgb = value.toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    return qRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
}

class MainPartReader
{
public:
    MainPartReader(const QByteArray& data, CharFormat defaults, Document& document)
        : mXml(data, QStringLiteral("word/document.xml")), mDefaults(std::move(defaults)),
          mDocument(document)
    {}

    void read()
    {
        bool sawDocument = false;
        while (mXml.next()) {
            if (mXml.reader().isStartElement()) {
                if (!mXml.is(kW, "document")) {
                    mXml.fail(QStringLiteral("the main part is not a WordprocessingML document"));
                }
                sawDocument = true;
                mXml.children([&] {
                    if (mXml.is(kW, "body")) {
                        mDocument.body() = readStory(true);
                    }
                });
            }
        }
        if (!sawDocument) {
            mXml.fail(QStringLiteral("the main part is empty"));
        }
        if (mXml.reader().hasError()) {
            mXml.fail(mXml.reader().errorString());
        }
    }

private:
    void countBlock()
    {
        if (++mBlocks > kMaxBlocks) {
            mXml.fail(QStringLiteral("too many paragraphs"));
        }
    }

    // The children of w:body or w:txbxContent; drawings only count in the body.
    Story readStory(bool body)
    {
        Story story;
        mXml.children([&] {
            if (mXml.is(kW, "p")) {
                countBlock();
                const size_t shapesBefore = mDocument.shapes().size();
                bool hiddenMark = false;
                Paragraph paragraph = readParagraph(body, &hiddenMark);
                // A hidden paragraph is not on the page (the writer's text alternative of
                // the shapes is one); it is not read, and not counted against the limit.
                if (hiddenMark && paragraph.runs.empty() &&
                    mDocument.shapes().size() == shapesBefore) {
                    --mBlocks;
                } else {
                    story.push_back(std::move(paragraph));
                }
            } else if (mXml.is(kW, "tbl")) {
                countBlock();
                story.push_back(readTable());
            } else if (body && mXml.is(kW, "sectPr")) {
                readSection();
            }
        });
        if (story.empty() || !std::holds_alternative<Paragraph>(story.back())) {
            Paragraph last;
            last.markFormat = mDefaults;
            story.push_back(last);
        }
        return story;
    }

    void readRunProperties(CharFormat& format, bool* hidden = nullptr)
    {
        mXml.children([&] {
            if (hidden && mXml.is(kW, "vanish")) {
                *hidden = onOff(mXml);
            }
            if (mXml.is(kW, "rFonts")) {
                const QString ascii = mXml.attr(kW, "ascii");
                const QString hAnsi = mXml.attr(kW, "hAnsi");
                const QString name = !ascii.isEmpty() ? ascii : hAnsi;
                if (!name.isEmpty()) {
                    format.fontName = name.left(64);
                }
            } else if (mXml.is(kW, "b")) {
                format.bold = onOff(mXml);
            } else if (mXml.is(kW, "sz")) {
                format.sizeHalfPt = int(mXml.integer(mXml.attr(kW, "val"), 2, 3276));
            } else if (mXml.is(kW, "color")) {
                const QString value = mXml.attr(kW, "val");
                format.color = value == u"auto" ? std::nullopt : parseColor(value);
            }
        });
    }

    Paragraph readParagraph(bool body, bool* hiddenMark = nullptr)
    {
        Paragraph paragraph;
        paragraph.markFormat = mDefaults;
        mXml.children([&] {
            if (mXml.is(kW, "pPr")) {
                mXml.children([&] {
                    if (mXml.is(kW, "jc")) {
                        const QString value = mXml.attr(kW, "val");
                        paragraph.alignment = value == u"center" ? Alignment::Center
                                              : value == u"right" || value == u"end"
                                                  ? Alignment::Right
                                              : value == u"both" ? Alignment::Justify
                                                                 : Alignment::Left;
                    } else if (mXml.is(kW, "spacing")) {
                        if (mXml.attr(kW, "lineRule") == u"atLeast" && mXml.hasAttr(kW, "line"))
                            paragraph.lineAtLeastTwips =
                                int(mXml.integer(mXml.attr(kW, "line"), 0, 31680));
                    } else if (mXml.is(kW, "rPr")) {
                        readRunProperties(paragraph.markFormat, hiddenMark);
                    }
                });
            } else if (mXml.is(kW, "r")) {
                readRun(paragraph, body);
            } else if (mXml.is(kW, "hyperlink") || mXml.is(kW, "smartTag") || mXml.is(kW, "ins")) {
                mXml.children([&] {
                    if (mXml.is(kW, "r")) {
                        readRun(paragraph, body);
                    }
                });
            }
        });
        return paragraph;
    }

    void readRun(Paragraph& paragraph, bool body)
    {
        Run run{QString(), mDefaults};
        bool hidden = false;
        auto drawing = [&] {
            if (mXml.is(kW, "drawing")) {
                mXml.children([&] {
                    if (body && mXml.is(kWp, "anchor")) {
                        readAnchor();
                    }
                });
            } else if (body && mXml.is(kW, "pict")) {
                readPicture();
            }
        };
        mXml.children([&] {
            if (mXml.is(kW, "rPr")) {
                readRunProperties(run.format, &hidden);
            } else if (mXml.is(kW, "t")) {
                run.text += mXml.text();
            } else if (mXml.is(kW, "tab")) {
                run.text += QChar(u'\t');
            } else if (mXml.is(kW, "br") || mXml.is(kW, "cr")) {
                run.text += QChar(u'\v');
            } else if (mXml.is(kW, "drawing") || mXml.is(kW, "pict")) {
                drawing();
            } else if (mXml.is(kMc, "AlternateContent")) {
                // Take the first Choice; the Fallback repeats the shape in VML and counts
                // only when the Choice gave none.
                bool taken = false;
                const size_t before = mDocument.shapes().size();
                mXml.children([&] {
                    if (!taken && mXml.is(kMc, "Choice")) {
                        taken = true;
                        mXml.children(drawing);
                    } else if (mXml.is(kMc, "Fallback") && mDocument.shapes().size() == before) {
                        mXml.children(drawing);
                    }
                });
            }
        });
        // Hidden text is not on the page; a drawing in its run still is.
        if (!run.text.isEmpty() && !hidden) {
            if (!paragraph.runs.empty() && paragraph.runs.back().format == run.format) {
                paragraph.runs.back().text += run.text;
            } else {
                paragraph.runs.push_back(std::move(run));
            }
        }
    }

    Table readTable()
    {
        Table table;
        auto border = [&](BorderSide side) {
            Border& target = table.borders[size_t(side)];
            const QString value = mXml.attr(kW, "val");
            target.visible = !(value == u"nil" || value == u"none" || value.isEmpty());
            if (target.visible && mXml.hasAttr(kW, "sz")) {
                target.widthEighthPt = int(mXml.integer(mXml.attr(kW, "sz"), 0, 96));
            }
        };
        mXml.children([&] {
            if (mXml.is(kW, "tblPr")) {
                mXml.children([&] {
                    if (mXml.is(kW, "tblBorders")) {
                        mXml.children([&] {
                            static const char* const names[BorderSideCount] = {
                                "top", "left", "bottom", "right", "insideH", "insideV"};
                            static const char* const logical[BorderSideCount] = {
                                "top", "start", "bottom", "end", "insideH", "insideV"};
                            for (int side = 0; side < BorderSideCount; ++side) {
                                if (mXml.is(kW, names[side]) || mXml.is(kW, logical[side])) {
                                    border(BorderSide(side));
                                }
                            }
                        });
                    } else if (mXml.is(kW, "tblCellMar")) {
                        mXml.children([&] {
                            if (mXml.is(kW, "left") || mXml.is(kW, "start")) {
                                table.cellMarginTwips =
                                    int(mXml.integer(mXml.attr(kW, "w"), 0, 31680));
                            }
                        });
                    }
                });
            } else if (mXml.is(kW, "tblGrid")) {
                mXml.children([&] {
                    if (mXml.is(kW, "gridCol")) {
                        if (table.columnWidthsTwips.size() >= size_t(kMaxTableColumns)) {
                            mXml.fail(QStringLiteral("a table has more than %1 columns")
                                          .arg(kMaxTableColumns));
                        }
                        table.columnWidthsTwips.push_back(
                            int(mXml.integer(mXml.attr(kW, "w"), 0, 31680)));
                    }
                });
            } else if (mXml.is(kW, "tr")) {
                if (table.rows.size() >= size_t(kMaxRows)) {
                    mXml.fail(QStringLiteral("a table has too many rows"));
                }
                std::vector<TableCell> row;
                mXml.children([&] {
                    if (mXml.is(kW, "trPr")) {
                        mXml.children([&] {
                            if (mXml.is(kW, "trHeight")) {
                                table.minRowHeightTwips =
                                    std::max(table.minRowHeightTwips,
                                             int(mXml.integer(mXml.attr(kW, "val"), 0, 31680)));
                            }
                        });
                    } else if (mXml.is(kW, "tc")) {
                        if (row.size() >= size_t(kMaxTableColumns)) {
                            mXml.fail(QStringLiteral("a table row has more than %1 cells")
                                          .arg(kMaxTableColumns));
                        }
                        TableCell cell;
                        cell.paragraphs.clear();
                        mXml.children([&] {
                            if (mXml.is(kW, "p")) {
                                countBlock();
                                cell.paragraphs.push_back(readParagraph(false));
                            } else if (mXml.is(kW, "tcPr")) {
                                mXml.children([&] {
                                    if (mXml.is(kW, "textDirection")) {
                                        const QString value = mXml.attr(kW, "val");
                                        table.textUpward = table.textUpward || value == u"btLr" ||
                                                           value == u"btlr";
                                    }
                                });
                            }
                        });
                        if (cell.paragraphs.empty()) {
                            Paragraph empty;
                            empty.markFormat = mDefaults;
                            cell.paragraphs.push_back(empty);
                        }
                        row.push_back(std::move(cell));
                    }
                });
                table.rows.push_back(std::move(row));
            }
        });
        if (table.rows.empty()) {
            mXml.fail(QStringLiteral("a table has no rows"));
        }
        size_t columns = table.columnWidthsTwips.size();
        for (const auto& row : table.rows) {
            columns = std::max(columns, row.size());
        }
        // A grid shorter than its rows gets the last width repeated, as readers do.
        const int fill =
            table.columnWidthsTwips.empty() ? units::kTwipsPerInch : table.columnWidthsTwips.back();
        table.columnWidthsTwips.resize(columns, fill);
        return table;
    }

    void readSection()
    {
        PageSetup& page = mDocument.page();
        mXml.children([&] {
            if (mXml.is(kW, "pgSz")) {
                page.widthPt = units::twipsToPt(double(mXml.integer(mXml.attr(kW, "w"), 1, 31680)));
                page.heightPt =
                    units::twipsToPt(double(mXml.integer(mXml.attr(kW, "h"), 1, 31680)));
                page.landscape = mXml.attr(kW, "orient") == u"landscape";
            } else if (mXml.is(kW, "pgMar")) {
                auto margin = [&](const char* name, double& target) {
                    if (mXml.hasAttr(kW, name)) {
                        target = units::twipsToPt(
                            std::abs(double(mXml.integer(mXml.attr(kW, name), -31680, 31680))));
                    }
                };
                margin("top", page.topMarginPt);
                margin("bottom", page.bottomMarginPt);
                margin("left", page.leftMarginPt);
                margin("right", page.rightMarginPt);
            }
        });
    }

    double emuToPt(const QString& value)
    {
        return units::emuToPt(double(mXml.integer(value, -kMaxEmu, kMaxEmu)));
    }

    void readAnchor()
    {
        if (++mShapes > kMaxShapes) {
            mXml.fail(QStringLiteral("too many shapes"));
        }
        Shape shape;
        shape.fill.reset();
        shape.lineVisible = false;
        shape.wrapType = mXml.attr("behindDoc") == u"1" ? kWrapBehind : kWrapInFront;
        bool isShape = false;
        bool pageRelativeH = true;
        bool pageRelativeV = true;
        mXml.children([&] {
            if (mXml.is(kWp, "positionH") || mXml.is(kWp, "positionV")) {
                const bool horizontal = mXml.is(kWp, "positionH");
                const bool page = mXml.attr("relativeFrom") == u"page";
                (horizontal ? pageRelativeH : pageRelativeV) = page;
                mXml.children([&] {
                    if (mXml.is(kWp, "posOffset")) {
                        (horizontal ? shape.leftPt : shape.topPt) = emuToPt(mXml.text());
                    }
                });
            } else if (mXml.is(kWp, "extent")) {
                shape.widthPt = emuToPt(mXml.attr("cx"));
                shape.heightPt = emuToPt(mXml.attr("cy"));
            } else if (mXml.is(kWp, "wrapSquare") || mXml.is(kWp, "wrapTight") ||
                       mXml.is(kWp, "wrapThrough")) {
                shape.wrapType = mXml.is(kWp, "wrapSquare")  ? kWrapSquare
                                 : mXml.is(kWp, "wrapTight") ? 1
                                                             : 2;
            } else if (mXml.is(kWp, "wrapTopAndBottom")) {
                shape.wrapType = kWrapTopBottom;
            } else if (mXml.is(kWp, "docPr")) {
                shape.id = int(mXml.integer(mXml.attr("id"), 0, 0x7FFFFFFF));
                shape.name = mXml.attr("name").left(256);
            } else if (mXml.is(kA, "graphic")) {
                mXml.children([&] {
                    if (mXml.is(kA, "graphicData")) {
                        mXml.children([&] {
                            if (mXml.is(kWps, "wsp")) {
                                isShape = readWordShape(shape);
                            }
                        });
                    }
                });
            }
        });
        // Positions relative to the margin or column are placed from the margin corner.
        if (!pageRelativeH) {
            shape.leftPt += mDocument.page().leftMarginPt;
        }
        if (!pageRelativeV) {
            shape.topPt += mDocument.page().topMarginPt;
        }
        if (isShape && std::isfinite(shape.widthPt) && shape.widthPt >= 0 && shape.heightPt >= 0) {
            mDocument.appendShape(std::move(shape));
        }
    }

    // w:pict: VML shape types and shapes; groups, lines and pictures are left out.
    void readPicture()
    {
        mXml.children([&] {
            if (mXml.is(kV, "shapetype")) {
                readVmlShapeType();
            } else if (mXml.is(kV, "shape") || mXml.is(kV, "rect")) {
                readVmlShape();
            }
        });
    }

    void readVmlShapeType()
    {
        const QString id = mXml.attr("id").left(64);
        bool ok = false;
        const int type = mXml.attr(kO, "spt").toInt(&ok);
        if (!id.isEmpty() && ok && mVmlTypes.size() < kMaxShapeTypes) {
            mVmlTypes.insert(id, {type, mXml.attr("adj").left(256)});
        }
    }

    void readVmlShape()
    {
        if (++mShapes > kMaxShapes) {
            mXml.fail(QStringLiteral("too many shapes"));
        }
        // VML's own defaults: a white fill and a black 0.75 pt line.
        Shape shape;
        shape.fill = qRgb(255, 255, 255);
        shape.lineWidthPt = 0.75;
        shape.name = mXml.attr("id").left(256);
        std::optional<ShapeKind> kind;
        // Attribute texts are cut before splitting, so a hostile one cannot fan out.
        QString adjustText = mXml.attr("adj").left(256);
        if (mXml.is(kV, "rect")) {
            kind = ShapeKind::TextBox;
        } else {
            bool ok = false;
            int type = mXml.attr(kO, "spt").toInt(&ok);
            const QString reference = mXml.attr("type");
            if (reference.startsWith(u'#')) {
                const auto known = mVmlTypes.constFind(reference.mid(1));
                if (known != mVmlTypes.constEnd()) {
                    type = known->first;
                    ok = true;
                    if (adjustText.isEmpty()) {
                        adjustText = known->second;
                    }
                }
            }
            if (ok) {
                kind = vml::kindOfType(type);
            }
        }
        const QHash<QString, QString> style = vmlStyle(mXml.attr("style").left(4096));
        auto length = [&](const char* key) {
            return vml::lengthPt(style.value(QString::fromLatin1(key))).value_or(0);
        };
        shape.leftPt = length("margin-left") + length("left");
        shape.topPt = length("margin-top") + length("top");
        shape.widthPt = length("width");
        shape.heightPt = length("height");
        if (style.value(QStringLiteral("mso-position-horizontal-relative")) != u"page") {
            shape.leftPt += mDocument.page().leftMarginPt;
        }
        if (style.value(QStringLiteral("mso-position-vertical-relative")) != u"page") {
            shape.topPt += mDocument.page().topMarginPt;
        }
        const QString textAnchor = style.value(QStringLiteral("v-text-anchor"));
        shape.anchor = textAnchor.startsWith(u"middle")   ? TextAnchor::Center
                       : textAnchor.startsWith(u"bottom") ? TextAnchor::Bottom
                                                          : TextAnchor::Top;
        shape.wrapType =
            style.value(QStringLiteral("z-index")).startsWith(u'-') ? kWrapBehind : kWrapInFront;
        if (isOff(mXml.attr("filled"))) {
            shape.fill.reset();
        } else if (const auto fill = vml::color(mXml.attr("fillcolor"))) {
            shape.fill = fill;
        }
        readVmlLine(shape);
        bool text = false;
        mXml.children([&] {
            if (mXml.is(kV, "textbox")) {
                text = true;
                const QStringList insets = mXml.attr("inset").left(256).split(u',');
                double* const targets[] = {&shape.insetLeftPt, &shape.insetTopPt,
                                           &shape.insetRightPt, &shape.insetBottomPt};
                for (qsizetype i = 0; i < std::min<qsizetype>(insets.size(), 4); ++i) {
                    if (const auto inset = vml::lengthPt(insets[i])) {
                        *targets[i] = *inset;
                    }
                }
                mXml.children([&] {
                    if (mXml.is(kW, "txbxContent")) {
                        shape.story = readStory(false);
                    }
                });
            } else if (mXml.is(kV, "fill")) {
                if (isOff(mXml.attr("on"))) {
                    shape.fill.reset();
                } else if (const auto fill = vml::color(mXml.attr("color"))) {
                    shape.fill = fill;
                }
            } else if (mXml.is(kV, "stroke")) {
                readVmlLine(shape);
            } else if (mXml.is(kW10, "wrap")) {
                const QString type = mXml.attr("type");
                if (type == u"square" || type == u"tight" || type == u"through") {
                    shape.wrapType = type == u"square" ? kWrapSquare : type == u"tight" ? 1 : 2;
                } else if (type == u"topAndBottom") {
                    shape.wrapType = kWrapTopBottom;
                }
            }
        });
        // Only shapes the model can draw, at a size a page can hold.
        constexpr double kMaxPt = units::emuToPt(double(kMaxEmu));
        const bool sane = std::abs(shape.leftPt) < kMaxPt && std::abs(shape.topPt) < kMaxPt &&
                          shape.widthPt >= 0 && shape.widthPt < kMaxPt && shape.heightPt >= 0 &&
                          shape.heightPt < kMaxPt && shape.lineWidthPt >= 0 &&
                          shape.lineWidthPt < kMaxPt;
        if (!kind || !sane) {
            return;
        }
        shape.kind = *kind == ShapeKind::TextBox && !text ? ShapeKind::Rectangle : *kind;
        if (!holdsText(shape.kind)) {
            shape.story = Story{Paragraph{}};
        }
        if (isCallout(shape.kind)) {
            vml::CalloutAdjust adjust = vml::defaultAdjust(shape.kind);
            const QStringList values = adjustText.split(u',');
            for (qsizetype i = 0; i < std::min<qsizetype>(values.size(), 4); ++i) {
                bool ok = false;
                const int value = values[i].trimmed().toInt(&ok);
                if (ok) {
                    adjust[size_t(i)] = value;
                }
            }
            shape.adjust = vml::fromVml(shape.kind, shape.widthPt, shape.heightPt, adjust);
        }
        mDocument.appendShape(std::move(shape));
    }

    // The stroke attributes of a v:shape or a v:stroke.
    void readVmlLine(Shape& shape)
    {
        const bool stroke = mXml.is(kV, "stroke");
        if (isOff(mXml.attr(stroke ? "on" : "stroked"))) {
            shape.lineVisible = false;
        }
        if (const auto color = vml::color(mXml.attr(stroke ? "color" : "strokecolor"))) {
            shape.lineColor = *color;
        }
        if (const auto weight = vml::lengthPt(mXml.attr(stroke ? "weight" : "strokeweight"))) {
            shape.lineWidthPt = *weight;
        }
    }

    static bool isOff(const QString& value)
    {
        return value == u"f" || value == u"false" || value == u"off" || value == u"0";
    }

    static QHash<QString, QString> vmlStyle(const QString& text)
    {
        QHash<QString, QString> style;
        for (const QString& declaration : text.split(u';', Qt::SkipEmptyParts)) {
            const qsizetype colon = declaration.indexOf(u':');
            if (colon > 0) {
                style.insert(declaration.left(colon).trimmed().toLower(),
                             declaration.mid(colon + 1).trimmed());
            }
        }
        return style;
    }

    bool readWordShape(Shape& shape)
    {
        bool known = false;
        bool text = false;
        mXml.children([&] {
            if (mXml.is(kWps, "spPr")) {
                mXml.children([&] {
                    if (mXml.is(kA, "prstGeom")) {
                        const QString preset = mXml.attr("prst");
                        known = true;
                        if (preset == u"upArrowCallout") {
                            shape.kind = ShapeKind::UpArrowCallout;
                        } else if (preset == u"downArrowCallout") {
                            shape.kind = ShapeKind::DownArrowCallout;
                        } else if (preset == u"diamond") {
                            shape.kind = ShapeKind::Diamond;
                        } else {
                            shape.kind = ShapeKind::TextBox;
                        }
                        mXml.children([&] {
                            if (mXml.is(kA, "avLst")) {
                                readAdjust(shape);
                            }
                        });
                    } else if (mXml.is(kA, "solidFill")) {
                        shape.fill = readSolidColor();
                    } else if (mXml.is(kA, "noFill")) {
                        shape.fill.reset();
                    } else if (mXml.is(kA, "ln")) {
                        readLine(shape);
                    }
                });
            } else if (mXml.is(kWps, "txbx")) {
                text = true;
                mXml.children([&] {
                    if (mXml.is(kW, "txbxContent")) {
                        shape.story = readStory(false);
                    }
                });
            } else if (mXml.is(kWps, "bodyPr")) {
                auto inset = [&](const char* name, double& target) {
                    if (!mXml.attr(name).isEmpty()) {
                        target = emuToPt(mXml.attr(name));
                    }
                };
                inset("lIns", shape.insetLeftPt);
                inset("tIns", shape.insetTopPt);
                inset("rIns", shape.insetRightPt);
                inset("bIns", shape.insetBottomPt);
                const QString anchor = mXml.attr("anchor");
                shape.anchor = anchor == u"ctr" ? TextAnchor::Center
                               : anchor == u"b" ? TextAnchor::Bottom
                                                : TextAnchor::Top;
            }
        });
        // A rectangle without a text body is a mark.
        if (shape.kind == ShapeKind::TextBox && !text) {
            shape.kind = ShapeKind::Rectangle;
        }
        return known;
    }

    void readAdjust(Shape& shape)
    {
        mXml.children([&] {
            if (mXml.is(kA, "gd")) {
                const QString name = mXml.attr("name");
                const QString formula = mXml.attr("fmla");
                if (name.size() == 4 && name.startsWith(u"adj") && formula.startsWith(u"val ")) {
                    const int index = name.at(3).digitValue() - 1;
                    if (index >= 0 && index < int(shape.adjust.size())) {
                        shape.adjust[size_t(index)] =
                            int(mXml.integer(formula.mid(4), -10000000, 10000000));
                    }
                }
            }
        });
    }

    std::optional<QRgb> readSolidColor()
    {
        std::optional<QRgb> color;
        mXml.children([&] {
            if (mXml.is(kA, "srgbClr")) {
                color = parseColor(mXml.attr("val"));
            }
        });
        // A scheme colour needs the theme part; black stands in for it.
        return color ? color : std::optional<QRgb>(qRgb(0, 0, 0));
    }

    void readLine(Shape& shape)
    {
        shape.lineVisible = true;
        shape.lineColor = qRgb(0, 0, 0);
        if (!mXml.attr("w").isEmpty()) {
            shape.lineWidthPt = emuToPt(mXml.attr("w"));
        } else {
            shape.lineWidthPt = 0.75; // DrawingML's default line width, 9525 EMU
        }
        mXml.children([&] {
            if (mXml.is(kA, "noFill")) {
                shape.lineVisible = false;
            } else if (mXml.is(kA, "solidFill")) {
                shape.lineColor = *readSolidColor();
            }
        });
    }

    XmlCursor mXml;
    CharFormat mDefaults;
    Document& mDocument;
    int mShapes = 0;
    int mBlocks = 0;
    // VML shape types by id: the type number and the default adjustments.
    QHash<QString, std::pair<int, QString>> mVmlTypes;
};

// The run defaults from styles.xml's docDefaults; the built-in ones when it has none.
CharFormat readDefaults(const QByteArray& data)
{
    CharFormat defaults;
    XmlCursor xml(data, QStringLiteral("word/styles.xml"));
    bool inDefaults = false;
    int defaultsDepth = 0;
    int depth = 0;
    while (xml.next()) {
        QXmlStreamReader& reader = xml.reader();
        if (reader.isStartElement()) {
            ++depth;
            if (xml.is(kW, "rPrDefault")) {
                inDefaults = true;
                defaultsDepth = depth;
            } else if (inDefaults && xml.is(kW, "rFonts")) {
                const QString ascii = xml.attr(kW, "ascii");
                if (!ascii.isEmpty()) {
                    defaults.fontName = ascii.left(64);
                }
            } else if (inDefaults && xml.is(kW, "sz")) {
                defaults.sizeHalfPt = int(xml.integer(xml.attr(kW, "val"), 2, 3276));
            }
        } else if (reader.isEndElement()) {
            if (inDefaults && depth == defaultsDepth) {
                inDefaults = false;
            }
            --depth;
        }
    }
    return defaults;
}

QString mainPartName(zippackage::Reader& package)
{
    const QString rels = QStringLiteral("_rels/.rels");
    if (!package.contains(rels)) {
        return QStringLiteral("word/document.xml");
    }
    QString target;
    for (const opc::Relationship& relationship : opc::readRelationships(package.read(rels), rels)) {
        if (relationship.type == kOfficeDocumentType) {
            target = relationship.target;
        }
    }
    while (target.startsWith(u'/')) {
        target.remove(0, 1);
    }
    return target.isEmpty() ? QStringLiteral("word/document.xml") : target;
}

// The part a relationship of `source` names; a target outside the package, or one the
// package lacks, is a damaged file.
QString relatedPart(zippackage::Reader& package, const QString& source,
                    const opc::Relationship& relationship)
{
    const QString name = opc::resolveTarget(source, relationship.target);
    if (name.isEmpty() || name == source || !package.contains(name)) {
        throw Error(QStringLiteral("The document is damaged: %1 names \"%2\", which is no part "
                                   "of the package.")
                        .arg(source, relationship.target.left(256)));
    }
    return name;
}

// The custom XML items related from the main part, each with its properties when it has
// them; an item related twice is read once. `rels` is the main part's relationships
// unless given: a presentation LibreOffice saved relates its items from the package, with
// targets written as from the main part.
std::vector<CustomXmlItem> readCustomXml(zippackage::Reader& package, const QString& mainName,
                                         QString rels = QString())
{
    std::vector<CustomXmlItem> items;
    if (rels.isEmpty()) {
        rels = opc::relationshipsPartOf(mainName);
    }
    if (!package.contains(rels)) {
        return items;
    }
    std::vector<QString> names;
    int related = 0;
    for (const opc::Relationship& relationship : opc::readRelationships(package.read(rels), rels)) {
        if (relationship.type != kCustomXmlType || relationship.external) {
            continue;
        }
        if (++related > kMaxCustomXmlItems) {
            throw Error(QStringLiteral("The document is damaged: it relates more than %1 custom "
                                       "XML items (%2).")
                            .arg(kMaxCustomXmlItems)
                            .arg(rels));
        }
        const QString name = relatedPart(package, mainName, relationship);
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            continue;
        }
        names.push_back(name);
        const QByteArray data = package.read(name);
        std::optional<QByteArray> properties;
        QString propertiesName;
        const QString itemRels = opc::relationshipsPartOf(name);
        if (package.contains(itemRels)) {
            for (const opc::Relationship& own :
                 opc::readRelationships(package.read(itemRels), itemRels)) {
                if (own.type == kCustomXmlPropsType && !own.external) {
                    propertiesName = relatedPart(package, name, own);
                    properties = package.read(propertiesName);
                    break;
                }
            }
        }
        items.push_back(
            customxml::readItem(data, name, properties ? &*properties : nullptr, propertiesName));
    }
    return items;
}

} // namespace

Document readPackage(const QByteArray& package)
{
    zippackage::Reader archive(package);
    const QString mainName = mainPartName(archive);
    if (!archive.contains(mainName)) {
        throw Error(QStringLiteral("The file is not a word-processing document: it has no %1.")
                        .arg(mainName));
    }
    CharFormat defaults;
    const QString folder =
        mainName.contains(u'/') ? mainName.left(mainName.lastIndexOf(u'/') + 1) : QString();
    if (archive.contains(folder + QStringLiteral("styles.xml"))) {
        defaults = readDefaults(archive.read(folder + QStringLiteral("styles.xml")));
    }
    Document document;
    document.body().clear();
    MainPartReader(archive.read(mainName), defaults, document).read();
    if (document.body().empty()) {
        document.body().push_back(Paragraph{});
    }
    document.customXml() = readCustomXml(archive, mainName);
    return document;
}

QString packageMainPart(const QByteArray& package)
{
    zippackage::Reader archive(package);
    return mainPartName(archive);
}

std::vector<CustomXmlItem> readPackageCustomXml(const QByteArray& package)
{
    zippackage::Reader archive(package);
    const QString mainName = mainPartName(archive);
    if (!archive.contains(mainName)) {
        throw Error(QStringLiteral("The file is no document: it has no %1.").arg(mainName));
    }
    std::vector<CustomXmlItem> items = readCustomXml(archive, mainName);
    if (items.empty() && archive.contains(QStringLiteral("_rels/.rels"))) {
        items = readCustomXml(archive, mainName, QStringLiteral("_rels/.rels"));
    }
    return items;
}

Document openDocument(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    }
    if (file.size() > kMaxFileBytes) {
        throw Error(QStringLiteral("Cannot open %1: the file is too large.").arg(path));
    }
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (data.size() > kMaxFileBytes) {
        throw Error(QStringLiteral("Cannot open %1: the file is too large.").arg(path));
    }
    if (data.isEmpty()) {
        throw Error(QStringLiteral("Cannot open %1: the file is empty.").arg(path));
    }
    try {
        return readPackage(data);
    } catch (const Error& error) {
        throw Error(QStringLiteral("Cannot open %1: %2").arg(path, error.description()));
    }
}

} // namespace office
