#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

class QPainter;

namespace preview {

// The dark edge around a page standing at `page` and its shadow below and to the right.
void paintPageEdge(QPainter& painter, const QRect& page);

// The grey the page lies on inside the viewport, with a thin dark edge and a small
// shadow drawn around the page, so the page's extent shows at every zoom. It follows the
// page widget it is given as that moves and resizes.
class PageBackdrop : public QWidget
{
public:
    static constexpr QColor kBackground{176, 176, 176};
    static constexpr QColor kEdge{96, 96, 96};
    static constexpr int kShadowPixels = 3;

    explicit PageBackdrop(QWidget* parent = nullptr);

    void setPage(QWidget* page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The page's area with its edge and shadow.
    QRect decoratedRect() const;

    QPointer<QWidget> mPage;
    QRect mDrawn;
};

} // namespace preview
