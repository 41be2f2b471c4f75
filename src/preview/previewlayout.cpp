#include "previewlayout.h"

#include <algorithm>

namespace preview {

PreviewLayout::PreviewLayout(const PreviewGeometry& designed, QSize designedClient,
                             int minimumPageHeight)
    : mDesigned(designed), mDesignedClient(designedClient),
      mMinimumPageHeight(std::min(minimumPageHeight, designed.picture2.height()))
{}

QSize PreviewLayout::minimumSize() const
{
    return QSize(mDesignedClient.width(),
                 mDesignedClient.height() - (mDesigned.picture2.height() - mMinimumPageHeight));
}

PreviewGeometry PreviewLayout::place(QSize client) const
{
    const QSize size = client.expandedTo(minimumSize());
    const int dx = size.width() - mDesignedClient.width();
    const int dy = size.height() - mDesignedClient.height();
    PreviewGeometry at = mDesigned;
    at.picture2.setSize(mDesigned.picture2.size() + QSize(dx, dy));
    at.vScroll1 = QRect(mDesigned.vScroll1.topLeft() + QPoint(dx, 0),
                        mDesigned.vScroll1.size() + QSize(0, dy));
    at.hScroll1 = QRect(mDesigned.hScroll1.topLeft() + QPoint(0, dy),
                        mDesigned.hScroll1.size() + QSize(dx, 0));
    at.zoomOri.translate(dx, 0);
    at.frame1.translate(0, dy);
    at.pushButton8.translate(0, dy);
    at.pushButton6.translate(0, dy);
    return at;
}

QSize PreviewLayout::openingSize(QSize client, QMargins frame, QSize available) const
{
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    return client.boundedTo(room).expandedTo(minimumSize());
}

} // namespace preview
