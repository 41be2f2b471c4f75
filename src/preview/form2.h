#pragma once

#include "pagecommands.h"
#include "previewlayout.h"
#include "viewerinput.h"
#include "viewport.h"

#include "app/mousepointer.h"

#include <QCursor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QGroupBox;
class QMenu;
class QPushButton;
class QScrollBar;
class QFrame;

namespace app {
class Clipboard;
class Dialogs;
class ProgramEnd;
} // namespace app

namespace office {
class Document;
}

namespace preview {

class PageBackdrop;
class PictureBox;

// What the preview window needs from the rest of the program.
struct Form2Services
{
    app::Dialogs& dialogs;
    app::ProgramEnd& programEnd;
    QString programFolder;
    std::function<void()> showMainWindow;
    // Writes the entry list of the selected scale; closing this window ends the program
    // without the main window's own close handler.
    std::function<void()> saveEditorState;
    // Where "Copy Page" puts the page; without one the command reports that it cannot copy.
    app::Clipboard* clipboard = nullptr;
    // Lays the page out again as chosen in the page menu; without it the menu offers no
    // such choice.
    std::function<void(const PageMenuChoice& choice)> changePage;
    // The looks the page menu offers under "Theme".
    QStringList themeNames;
    // The timeline's title, which the save dialogs make a file name of.
    std::function<QString()> timelineTitle;
    // Writes the page shown as a slide to the path; without it the menu offers no slide.
    std::function<void(const QString& path)> saveSlide;
    // The slide sizes the page menu offers under "Slide Size"; none: no such choice.
    QList<NamedChoice> slideSizes = {};
};

// The preview window. Every length of its layout is in twips, turned into pixels with the
// screen's logical DPI. All viewport and drag arithmetic is in Viewport; this class mirrors
// its effects onto the widgets. Picture2 has a one-pixel border, so its inner size is one
// pixel smaller on each side than its outer size; Picture1 and Zoom_Ori are borderless.
// The window opens at its designed size, or smaller where the screen has less room, and
// may be resized: the page area grows with it (PreviewLayout). The wheel and the keyboard
// zoom and scroll through the same commands and bars as the buttons.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(Form2Services services, QWidget* parent = nullptr);
    ~Form2() override;

    // A new page (its device pixel ratio gives its size on screen); prepared for at the
    // next activation.
    void setPicture1(const QImage& page);
    void setWordFile(const QString& path) { mWordFile = path; }
    // The document of that file as its maker holds it: read instead of the file.
    void setSheet(std::shared_ptr<const office::Document> sheet) { mDelivered = std::move(sheet); }
    // Marks the callouts whose text is cut on the page just delivered (region and frames
    // in points) and says how many entries are cut, with any other notice about the page
    // below; with nothing to say the notice goes.
    void setCutMarks(const QRectF& regionPt, const QList<QRectF>& framesPt, int cutEntries,
                     const QString& otherNotice = {});
    QString cutNoticeText() const;
    // What the page menu shows as chosen.
    void setPageChoices(const PageMenuChoice& choice);
    QString wordFile() const { return mWordFile; }
    QString timelineTitle() const
    {
        return mServices.timelineTitle ? mServices.timelineTitle() : QString();
    }

    void Form_Activate();
    void RedrawImage();
    void SetHScrollbarByPercent(QScrollBar& HScrollbar, const qint16& percent);
    void SetVScrollbarByPercent(QScrollBar& VScrollbar, const qint16& percent);

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    // Ctrl+0: the largest zoom at which the whole page shows.
    void ZoomToFit();

    // The page menu: on the page and on the window, and Ctrl+C / Ctrl+P.
    void mnuCopyPage_Click();
    void mnuSavePagePdf_Click();
    void mnuSavePagePng_Click();
    void mnuSavePageSvg_Click();
    void mnuSavePageSlide_Click();
    void mnuPrintPage_Click();
    QMenu* pageMenu() const { return mPageMenu; }

    const Viewport& viewport() const { return mViewport; }
    app::MousePointer mousePointer() const { return mMousePointer; }
    bool hasHandCursor() const { return mHandCursor.has_value(); }
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void createControls();
    void createPageMenu();
    void createKeys();
    void layoutControls();
    int noticeHeight() const;
    // Reads the page's document, so the sheet is drawn from it at every zoom; without one
    // the delivered picture stays the page.
    void openSheet();
    void fitToScreen();
    void showZoom();
    // Both bars and the zoom figure as the viewport now stands.
    void showViewport();
    // The wheel over the page area zooms or scrolls it.
    void pageWheel(const QWheelEvent& event);
    void scrollByNotches(QScrollBar& bar, int notches);
    void showPageMenu(const QPoint& globalPos);
    void connectControls();
    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    void Picture1_MouseDown(QMouseEvent* event);
    void Picture1_MouseMove(QMouseEvent* event);
    void Picture1_MouseUp();

    void applyEffect(Effect effect);
    void showBar(Bar bar);
    void placePicture1();
    void paintPage();
    void setPointer(app::MousePointer pointer);
    QRect twipsRect(double left, double top, double width, double height) const;
    QSize twipsSize(double width, double height) const;

    QString mWordFile;
    std::shared_ptr<const office::Document> mDelivered;
    Form2Services mServices;
    Viewport mViewport;
    std::optional<QCursor> mHandCursor;
    app::MousePointer mMousePointer = app::MousePointer::Default;
    PageCommands mPageCommands;
    RightClick mRightClick;

    QFrame* mPicture2 = nullptr;
    PageBackdrop* mPicture2Inside = nullptr;
    PictureBox* mPicture1 = nullptr;
    PictureBox* mZoomOri = nullptr;
    QScrollBar* mVScroll1 = nullptr;
    QScrollBar* mHScroll1 = nullptr;
    QGroupBox* mFrame1 = nullptr;
    QPushButton* mPushButton1 = nullptr;
    QPushButton* mPushButton2 = nullptr;
    QPushButton* mPushButton8 = nullptr;
    QPushButton* mPushButton6 = nullptr;
    QLabel* mZoomFigure = nullptr;
    QMenu* mPageMenu = nullptr;
    QAction* mZoomInKeys = nullptr;
    QAction* mZoomOutKeys = nullptr;
    QAction* mZoomFitKeys = nullptr;
    QAction* mBackKey = nullptr;
    QAction* mCopyPage = nullptr;
    QAction* mSavePagePdf = nullptr;
    QAction* mSavePagePng = nullptr;
    QAction* mSavePageSvg = nullptr;
    QAction* mSavePageSlide = nullptr;
    QAction* mPrintPage = nullptr;
    PageChoiceMenus* mPageChoices = nullptr;
    QLabel* mCutNotice = nullptr;
    bool mMarked = false; // the page shown carries the cut marks
    QList<QRectF> mCutFramesPt;
    std::optional<PreviewLayout> mLayout;
    WheelNotches mWheel;
};

} // namespace preview
