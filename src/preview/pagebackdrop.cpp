#include "pagebackdrop.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace preview {

void paintPageEdge(QPainter& painter, const QRect& page)
{
    // The shadow: a band below and right of the edge, offset so the corners stay open.
    const QColor shadow(0, 0, 0, 70);
    const int s = PageBackdrop::kShadowPixels;
    painter.fillRect(QRect(page.left() + s, page.bottom() + 2, page.width() + 1, s), shadow);
    painter.fillRect(QRect(page.right() + 2, page.top() + s, s, page.height() + 1 - s), shadow);
    painter.setPen(PageBackdrop::kEdge);
    painter.drawRect(page.adjusted(-1, -1, 0, 0));
}

PageBackdrop::PageBackdrop(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageBackdrop::setPage(QWidget* page)
{
    if (mPage)
        mPage->removeEventFilter(this);
    mPage = page;
    if (mPage)
        mPage->installEventFilter(this);
    update();
}

QRect PageBackdrop::decoratedRect() const
{
    if (!mPage)
        return {};
    return mPage->geometry().adjusted(-1, -1, 1 + kShadowPixels, 1 + kShadowPixels);
}

bool PageBackdrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mPage && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                             event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        // Only the old and the new edge need painting again.
        update(mDrawn);
        update(decoratedRect());
    }
    return QWidget::eventFilter(watched, event);
}

void PageBackdrop::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
    mDrawn = QRect();
    if (!mPage || mPage->isHidden())
        return;
    paintPageEdge(painter, mPage->geometry());
    mDrawn = decoratedRect();
}

} // namespace preview
