#include "previewlayout.h"

#include <algorithm>

namespace preview {

PreviewLayout::PreviewLayout(const PreviewGeometry& designed, QSize designedClient,
                             int minimumPageHeight)
    : mDesigned(designed), mDesignedClient(designedClient),
      mMinimumPageHeight(std::min(minimumPageHeight, designed.picture2.height()))
{}

namespace {
int noticeRoom(int noticeHeight)
{
    return noticeHeight > 0 ? noticeHeight + PreviewLayout::kNoticeGap : 0;
}
} // namespace

QSize PreviewLayout::minimumSize(int noticeHeight) const
{
    return QSize(mDesignedClient.width(), mDesignedClient.height() -
                                              (mDesigned.picture2.height() - mMinimumPageHeight) +
                                              noticeRoom(noticeHeight));
}

QRect PreviewLayout::noticeBand(QSize client, int noticeHeight) const
{
    const PreviewGeometry at = place(client);
    return QRect(at.picture2.left(), at.picture2.top(),
                 at.vScroll1.right() + 1 - at.picture2.left(), std::max(0, noticeHeight));
}

PreviewGeometry PreviewLayout::place(QSize client, int noticeHeight) const
{
    const QSize size = client.expandedTo(minimumSize(noticeHeight));
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
    const int room = noticeRoom(noticeHeight);
    at.picture2.setTop(at.picture2.top() + room);
    at.vScroll1.setTop(at.vScroll1.top() + room);
    return at;
}

QSize PreviewLayout::openingSize(QSize client, QMargins frame, QSize available) const
{
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    return client.boundedTo(room).expandedTo(minimumSize());
}

} // namespace preview
