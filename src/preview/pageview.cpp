#include "pageview.h"

#include "pagebackdrop.h"
#include "pagecommands.h"

#include "office/document.h"
#include "office/renderer.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace preview {
namespace {
constexpr int kMargin = 8; // grey around the page, in logical pixels
} // namespace

PageView::PageView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PageView"));
    setAccessibleName(QStringLiteral("Page"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PageView::~PageView() = default;

void PageView::setPage(std::shared_ptr<const office::Document> document,
                       const QList<QRectF>& cutFramesPt)
{
    mDocument = std::move(document);
    mCutFramesPt = cutFramesPt;
    mPlaceholder.clear();
    draw();
}

void PageView::setPlaceholder(const QString& text)
{
    mDocument.reset();
    mCutFramesPt.clear();
    mPicture = QImage();
    mPlaceholder = text;
    update();
}

void PageView::draw()
{
    mPicture = QImage();
    if (mDocument) {
        const office::PageSetup& page = mDocument->page();
        const QRectF pageRect(0, 0, page.widthPt, page.heightPt);
        const QSizeF room(std::max(1, width() - 2 * kMargin), std::max(1, height() - 2 * kMargin));
        const double scale =
            std::min(room.width() / pageRect.width(), room.height() / pageRect.height());
        const qreal density = devicePixelRatioF();
        const QSize pixels(std::max(1, int(std::floor(pageRect.width() * scale * density))),
                           std::max(1, int(std::floor(pageRect.height() * scale * density))));
        if (pageRect.isValid() && std::isfinite(scale) && scale > 0) {
            try {
                mPicture = office::renderRegion(*mDocument, pageRect, pixels);
                mPicture.setDevicePixelRatio(density);
                markCutCallouts(mPicture, pageRect, mCutFramesPt);
            } catch (...) {
                // A page the renderer refuses is simply not shown; the press reports it.
                mPicture = QImage();
            }
        }
        ++mDrawings;
    }
    update();
}

QRect PageView::pictureRect() const
{
    if (mPicture.isNull())
        return {};
    const QSize size = (QSizeF(mPicture.size()) / mPicture.devicePixelRatio()).toSize();
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), PageBackdrop::kBackground);
    if (mPicture.isNull()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                         Qt::AlignCenter | Qt::TextWordWrap, mPlaceholder);
        return;
    }
    const QRect target = pictureRect();
    painter.drawImage(target.topLeft(), mPicture);
    paintPageEdge(painter, target);
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (mDocument && isVisible())
        draw();
}

} // namespace preview
