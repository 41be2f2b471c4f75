#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>

namespace office {
class Document;
}

namespace preview {

// The whole page, fitted into the widget on a grey ground with a visible edge, drawn by
// the renderer every page form uses, with the callouts whose text is cut marked in red
// (the marks are the view's own). A view only: it keeps the model it was given and
// draws it again when its size changes. Without a page it shows a line of text instead.
class PageView : public QWidget
{
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // Draws the page at once, so the view is up to date when this returns.
    void setPage(std::shared_ptr<const office::Document> document,
                 const QList<QRectF>& cutFramesPt);
    void setPlaceholder(const QString& text);

    // What the view shows: the page picture (null when there is none) and where it
    // stands in the widget, and the placeholder text.
    const QImage& picture() const { return mPicture; }
    QRect pictureRect() const;
    const QString& placeholder() const { return mPlaceholder; }
    int drawings() const { return mDrawings; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void draw();

    std::shared_ptr<const office::Document> mDocument;
    QList<QRectF> mCutFramesPt;
    QImage mPicture;
    QString mPlaceholder;
    int mDrawings = 0;
};

} // namespace preview
