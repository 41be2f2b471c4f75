#include "vmlshape.h"

#include "units/lengths.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace office::vml {

namespace {

double pin(double low, double value, double high)
{
    return std::clamp(value, low, std::max(low, high));
}

int toBox(double pt, double spanPt)
{
    return int(std::lround(pin(0, pt / spanPt, 1) * kCoordSize));
}

} // namespace

int shapeType(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::UpArrowCallout:
        return kUpArrowCalloutType;
    case ShapeKind::DownArrowCallout:
        return kDownArrowCalloutType;
    case ShapeKind::Rectangle:
        return kRectangleType;
    case ShapeKind::Diamond:
        return kDiamondType;
    case ShapeKind::TextBox:
        break;
    }
    return kTextBoxType;
}

std::optional<ShapeKind> kindOfType(int type)
{
    switch (type) {
    case kUpArrowCalloutType:
        return ShapeKind::UpArrowCallout;
    case kDownArrowCalloutType:
        return ShapeKind::DownArrowCallout;
    case kDiamondType:
        return ShapeKind::Diamond;
    case kTextBoxType:
    case kRectangleType: // a rectangle without a text box is a mark (see the reader)
        return ShapeKind::TextBox;
    default:
        return std::nullopt;
    }
}

ShapeTypeDefinition definitionOf(ShapeKind kind)
{
    // @0..@3 are the adjustments, @4 and @5 the head's and the shaft's right sides.
    const std::vector<QString> calloutFormulas{
        QStringLiteral("val #0"),         QStringLiteral("val #1"),
        QStringLiteral("val #2"),         QStringLiteral("val #3"),
        QStringLiteral("sum 21600 0 #1"), QStringLiteral("sum 21600 0 #3")};
    switch (kind) {
    case ShapeKind::UpArrowCallout:
        return {QStringLiteral("7200,5400,3600,8100"),
                QStringLiteral("m0,@0l@3,@0,@3,@2,@1,@2,10800,0,@4,@2,@5,@2,@5,@0,21600,@0,"
                               "21600,21600,0,21600xe"),
                calloutFormulas, QStringLiteral("0,@0,21600,21600")};
    case ShapeKind::DownArrowCallout:
        return {QStringLiteral("14400,5400,18000,8100"),
                QStringLiteral("m0,0l21600,0,21600,@0,@5,@0,@5,@2,@4,@2,10800,21600,@1,@2,@3,@2,"
                               "@3,@0,0,@0xe"),
                calloutFormulas, QStringLiteral("0,0,21600,@0")};
    case ShapeKind::Diamond:
        return {QString(),
                QStringLiteral("m10800,l,10800,10800,21600,21600,10800xe"),
                {},
                QStringLiteral("5400,5400,16200,16200")};
    case ShapeKind::TextBox:
    case ShapeKind::Rectangle:
        break;
    }
    return {QString(), QStringLiteral("m0,0l0,21600,21600,21600,21600,0xe"), {}, QString()};
}

CalloutAdjust defaultAdjust(ShapeKind kind)
{
    return kind == ShapeKind::DownArrowCallout ? CalloutAdjust{14400, 5400, 18000, 8100}
                                               : CalloutAdjust{7200, 5400, 3600, 8100};
}

CalloutAdjust toVml(ShapeKind kind, double widthPt, double heightPt, const Adjust& adjust)
{
    if (!(widthPt > 0) || !(heightPt > 0)) {
        return defaultAdjust(kind);
    }
    const double w = widthPt;
    const double h = heightPt;
    const double ss = std::min(w, h);
    const double a2 = pin(0, adjust[1], 50000 * w / ss);
    const double a1 = pin(0, adjust[0], 2 * a2);
    const double a3 = pin(0, adjust[2], 100000 * h / ss);
    const double a4 = pin(0, adjust[3], 100000 - a3 * ss / h);
    const double headLeft = w / 2 - ss * a2 / 100000;
    const double shaftLeft = w / 2 - ss * a1 / 200000;
    const double head = ss * a3 / 100000;
    const double body = h * a4 / 100000;
    const bool up = kind != ShapeKind::DownArrowCallout;
    return {toBox(up ? h - body : body, h), toBox(headLeft, w), toBox(up ? head : h - head, h),
            toBox(shaftLeft, w)};
}

Adjust fromVml(ShapeKind kind, double widthPt, double heightPt, const CalloutAdjust& adjust)
{
    if (!(widthPt > 0) || !(heightPt > 0)) {
        return kCalloutDefaultAdjust;
    }
    const double w = widthPt;
    const double h = heightPt;
    const double ss = std::min(w, h);
    const double half = kCoordSize / 2.0;
    const double headLeft = pin(0, adjust[1], half);
    const double shaftLeft = pin(headLeft, adjust[3], half);
    const double headBase = pin(0, adjust[2], kCoordSize);
    const bool up = kind != ShapeKind::DownArrowCallout;
    // The body never overlaps the head.
    const double bodyEdge = up ? pin(headBase, adjust[0], kCoordSize) : pin(0, adjust[0], headBase);
    const double headPt = (up ? headBase : kCoordSize - headBase) * h / kCoordSize;
    const double bodyPt = (up ? kCoordSize - bodyEdge : bodyEdge) * h / kCoordSize;
    const double halfHeadPt = (half - headLeft) * w / kCoordSize;
    const double halfShaftPt = (half - shaftLeft) * w / kCoordSize;
    return {int(std::lround(halfShaftPt * 200000 / ss)), int(std::lround(halfHeadPt * 100000 / ss)),
            int(std::lround(headPt * 100000 / ss)), int(std::lround(bodyPt * 100000 / h))};
}

std::optional<double> lengthPt(QStringView text)
{
    text = text.trimmed();
    qsizetype end = 0;
    while (end < text.size() &&
           (text[end].isDigit() || text[end] == u'.' || text[end] == u'-' || text[end] == u'+')) {
        ++end;
    }
    bool ok = false;
    const double number = text.left(end).toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    const QStringView unit = text.mid(end).trimmed();
    constexpr double inch = units::kPointsPerInch;
    static const std::pair<const char*, double> factors[] = {
        {"pt", 1.0},
        {"in", inch},
        {"cm", inch / 2.54},
        {"mm", inch / 25.4},
        {"pc", 12.0},
        {"px", 0.75},
        {"emu", 1.0 / units::kEmuPerPt},
    };
    if (unit.isEmpty()) {
        return number * 0.75;
    }
    for (const auto& [name, factor] : factors) {
        if (unit.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return number * factor;
        }
    }
    return std::nullopt;
}

QString ptText(double pt)
{
    QString text = QString::number(pt, 'f', 4);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    if (text == u"0" || text == u"-0") {
        return QStringLiteral("0");
    }
    return text + QStringLiteral("pt");
}

std::optional<QRgb> color(QStringView text)
{
    text = text.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    if (blank >= 0) {
        text = text.left(blank);
    }
    if (text.startsWith(u'#')) {
        QString digits = text.mid(1).toString();
        if (digits.size() == 3) {
            digits = QString(digits[0]) + digits[0] + digits[1] + digits[1] + digits[2] + digits[2];
        }
        bool ok = false;
        const uint rgb = digits.toUInt(&ok, 16);
        if (!ok || digits.size() != 6) {
            return std::nullopt;
        }
        return qRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
    }
    static const std::pair<const char*, QRgb> names[] = {
        {"black", qRgb(0, 0, 0)},      {"white", qRgb(255, 255, 255)},
        {"red", qRgb(255, 0, 0)},      {"green", qRgb(0, 128, 0)},
        {"lime", qRgb(0, 255, 0)},     {"blue", qRgb(0, 0, 255)},
        {"yellow", qRgb(255, 255, 0)}, {"navy", qRgb(0, 0, 128)},
        {"gray", qRgb(128, 128, 128)}, {"silver", qRgb(192, 192, 192)},
        {"maroon", qRgb(128, 0, 0)},   {"olive", qRgb(128, 128, 0)},
        {"purple", qRgb(128, 0, 128)}, {"teal", qRgb(0, 128, 128)},
        {"aqua", qRgb(0, 255, 255)},   {"fuchsia", qRgb(255, 0, 255)},
    };
    for (const auto& [name, rgb] : names) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return rgb;
        }
    }
    return std::nullopt;
}

QString colorText(QRgb rgb)
{
    return QStringLiteral("#%1%2%3")
        .arg(qRed(rgb), 2, 16, QChar(u'0'))
        .arg(qGreen(rgb), 2, 16, QChar(u'0'))
        .arg(qBlue(rgb), 2, 16, QChar(u'0'));
}

} // namespace office::vml
