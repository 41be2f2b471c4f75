#include "calloutgeometry.h"

#include <algorithm>

namespace office {

namespace {

struct Guides
{
    double hc, x1, x2, x3, x4, head, body;
};

double pin(double low, double value, double high)
{
    return std::max(low, std::min(value, high));
}

Guides guides(double w, double h, const Adjust& adjust)
{
    Guides g{};
    const double ss = std::min(w, h);
    g.hc = w / 2;
    if (ss <= 0) {
        g.x1 = g.x2 = g.x3 = g.x4 = g.hc;
        return g;
    }
    const double a2 = pin(0, adjust[1], 50000 * w / ss);
    const double a1 = pin(0, adjust[0], 2 * a2);
    const double a3 = pin(0, adjust[2], 100000 * h / ss);
    const double a4 = pin(0, adjust[3], 100000 - a3 * ss / h);
    const double dx1 = ss * a2 / 100000;
    const double dx2 = ss * a1 / 200000;
    g.x1 = g.hc - dx1;
    g.x4 = g.hc + dx1;
    g.x2 = g.hc - dx2;
    g.x3 = g.hc + dx2;
    g.head = ss * a3 / 100000;
    g.body = h * a4 / 100000;
    return g;
}

} // namespace

QPainterPath calloutOutline(ShapeKind kind, double w, double h, const Adjust& adjust)
{
    QPainterPath path;
    if (kind == ShapeKind::Diamond) {
        path.moveTo(w / 2, 0);
        path.lineTo(w, h / 2);
        path.lineTo(w / 2, h);
        path.lineTo(0, h / 2);
        path.closeSubpath();
        return path;
    }
    if (!isCallout(kind)) {
        path.addRect(0, 0, w, h);
        return path;
    }
    const Guides g = guides(w, h, adjust);
    if (kind == ShapeKind::UpArrowCallout) {
        const double y1 = g.head;
        const double y2 = h - g.body;
        path.moveTo(0, y2);
        for (const QPointF& p : {QPointF(g.x2, y2), QPointF(g.x2, y1), QPointF(g.x1, y1),
                                 QPointF(g.hc, 0), QPointF(g.x4, y1), QPointF(g.x3, y1),
                                 QPointF(g.x3, y2), QPointF(w, y2), QPointF(w, h), QPointF(0, h)}) {
            path.lineTo(p);
        }
    } else {
        const double y3 = h - g.head;
        const double y2 = g.body;
        path.moveTo(0, 0);
        for (const QPointF& p :
             {QPointF(w, 0), QPointF(w, y2), QPointF(g.x3, y2), QPointF(g.x3, y3),
              QPointF(g.x4, y3), QPointF(g.hc, h), QPointF(g.x1, y3), QPointF(g.x2, y3),
              QPointF(g.x2, y2), QPointF(0, y2)}) {
            path.lineTo(p);
        }
    }
    path.closeSubpath();
    return path;
}

QRectF calloutTextRect(ShapeKind kind, double w, double h, const Adjust& adjust)
{
    if (!isCallout(kind)) {
        return QRectF(0, 0, w, h);
    }
    const Guides g = guides(w, h, adjust);
    if (kind == ShapeKind::UpArrowCallout) {
        return QRectF(QPointF(0, h - g.body), QPointF(w, h));
    }
    return QRectF(QPointF(0, 0), QPointF(w, g.body));
}

} // namespace office
