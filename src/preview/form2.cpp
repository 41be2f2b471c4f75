#include "form2.h"

#include "pagebackdrop.h"
#include "picturebox.h"
#include "saveresults.h"

#include "app/appearance.h"
#include "app/apptitle.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"
#include "app/processend.h"
#include "app/units.h"
#include "office/docreader.h"
#include "office/document.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace preview {
namespace {

// The window's design, in twips.
constexpr double kClientWidth = 9840;
constexpr double kClientHeight = 9390;
// The page area of a window at its smallest: about an inch of the page above the buttons.
constexpr double kMinimumPageHeight = 1500;
// The sheet's points on screen: 72 to the inch.
constexpr double kTwipsPerPoint = app::kTwipsPerInch / 72.0;

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void nameControl(QWidget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QLatin1String(objectName));
    widget->setAccessibleName(accessibleName);
}

} // namespace

Form2::Form2(Form2Services services, QWidget* parent)
    : QWidget(parent), mServices(std::move(services)), mViewport(mServices.dialogs),
      mPageCommands(mServices.dialogs, mServices.clipboard),
      mRightClick(QApplication::startDragDistance())
{
    createControls();
    createPageMenu();
    createKeys();
    mViewport.setEffectSink([this](Effect effect) { applyEffect(effect); });
    connectControls();
    Form_Load();
}

Form2::~Form2()
{
    // Child widgets go before the viewport; nothing may be mirrored onto them after this.
    mViewport.setEffectSink({});
}

double Form2::twipsPerPixelX() const
{
    return app::pixelsToTwips(1.0, logicalDpiX());
}

double Form2::twipsPerPixelY() const
{
    return app::pixelsToTwips(1.0, logicalDpiY());
}

QRect Form2::twipsRect(double left, double top, double width, double height) const
{
    return QRect(app::twipsToPixels(left, logicalDpiX()), app::twipsToPixels(top, logicalDpiY()),
                 app::twipsToPixels(width, logicalDpiX()),
                 app::twipsToPixels(height, logicalDpiY()));
}

QSize Form2::twipsSize(double width, double height) const
{
    return QSize(app::twipsToPixels(width, logicalDpiX()),
                 app::twipsToPixels(height, logicalDpiY()));
}

void Form2::createControls()
{
    nameControl(this, "Form2", QStringLiteral("Preview"));
    setFont(arialBold(9.0));
    const PreviewGeometry designed{twipsRect(120, 120, 9330, 7425),   // Picture2
                                   twipsRect(9450, 120, 255, 7425),   // VScroll1
                                   twipsRect(120, 7545, 9330, 255),   // HScroll1
                                   twipsRect(10320, 480, 735, 375),   // Zoom_Ori
                                   twipsRect(120, 7860, 9600, 855),   // Frame1
                                   twipsRect(120, 8850, 4680, 405),   // PushButton8
                                   twipsRect(4920, 8850, 4800, 405)}; // PushButton6
    mLayout.emplace(designed, twipsSize(kClientWidth, kClientHeight),
                    twipsSize(0, kMinimumPageHeight).height());
    resize(twipsSize(kClientWidth, kClientHeight));
    setMinimumSize(mLayout->minimumSize());
    setMouseTracking(true);

    mPicture2 = new QFrame(this);
    nameControl(mPicture2, "Picture2", QStringLiteral("Page viewport"));
    mPicture2->setFrameStyle(QFrame::Box | QFrame::Plain);
    mPicture2->setLineWidth(1);
    mPicture2->setGeometry(designed.picture2);
    app::markAsPictureBox(mPicture2);
    app::setBackColor(mPicture2, app::designedWhite());
    // A click on the page or beside it gives the page area the keys that scroll it.
    mPicture2->setFocusPolicy(Qt::ClickFocus);
    mPicture2->installEventFilter(this);

    // Clips the page to the inside of the border, and shows it on grey with an edge.
    mPicture2Inside = new PageBackdrop(mPicture2);
    mPicture2Inside->setObjectName(QStringLiteral("Picture2Inside"));
    mPicture2Inside->setGeometry(mPicture2->contentsRect());

    mPicture1 = new PictureBox(mPicture2Inside);
    nameControl(mPicture1, "Picture1", QStringLiteral("Page"));
    app::markAsPictureBox(mPicture1);
    mPicture1->setMouseTracking(true);
    mPicture1->setBoxSize(
        twipsSize(mViewport.picture1().outerWidth, mViewport.picture1().outerHeight));
    mPicture1->installEventFilter(this);
    mPicture2Inside->setPage(mPicture1);

    // Says above the page, without a click, when some text could not be shown whole or the
    // page was spaced otherwise than asked; the page area gives up the notice's height.
    mCutNotice = new QLabel(this);
    nameControl(mCutNotice, "lblCutNotice", QStringLiteral("Cut entries"));
    mCutNotice->setStyleSheet(QStringLiteral(
        "background: #fff4c2; color: #8a1c00; border: 1px solid #c08000; padding: 2px 6px;"));
    mCutNotice->setWordWrap(true);
    mCutNotice->hide();

    mVScroll1 = new QScrollBar(Qt::Vertical, this);
    nameControl(mVScroll1, "VScroll1", QStringLiteral("Scroll page vertically"));
    mVScroll1->setGeometry(designed.vScroll1);

    mHScroll1 = new QScrollBar(Qt::Horizontal, this);
    nameControl(mHScroll1, "HScroll1", QStringLiteral("Scroll page horizontally"));
    mHScroll1->setGeometry(designed.hScroll1);
    for (QScrollBar* bar : {mVScroll1, mHScroll1})
        bar->setTracking(false);

    // Lies beyond the client area's right edge, so it is never seen.
    mZoomOri = new PictureBox(this);
    nameControl(mZoomOri, "Zoom_Ori", QStringLiteral("Unscaled page"));
    app::markAsPictureBox(mZoomOri);
    mZoomOri->setGeometry(designed.zoomOri);

    mFrame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    nameControl(mFrame1, "Frame1", QStringLiteral("Zoom:"));
    mFrame1->setGeometry(designed.frame1);
    mFrame1->setMouseTracking(true);
    mFrame1->installEventFilter(this);

    // The zoom the page is shown at, on the frame's title row right of its caption and
    // above the buttons.
    mZoomFigure = new QLabel(mFrame1);
    nameControl(mZoomFigure, "lblZoom", QStringLiteral("Zoom percentage"));
    // The style says where the caption goes: above the frame's line in some, on it in
    // others. The figure takes the same row, ending where Zoom Out ends.
    QStyleOptionGroupBox caption;
    caption.initFrom(mFrame1);
    caption.text = mFrame1->title();
    caption.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect captionRow = mFrame1->style()->subControlRect(QStyle::CC_GroupBox, &caption,
                                                              QStyle::SC_GroupBoxLabel, mFrame1);
    const QRect figure = twipsRect(8400, 0, 960, 0);
    mZoomFigure->setGeometry(figure.x(), captionRow.y(), figure.width(), captionRow.height());
    mZoomFigure->setAlignment(Qt::AlignCenter);
    showZoom();

    const QFont buttonFont = arialBold(11.25);
    const auto makeButton = [&](QWidget* parent, const char* name, const QString& caption,
                                const QRect& geometry) {
        auto* button = new QPushButton(caption, parent);
        nameControl(button, name, caption);
        button->setFont(buttonFont);
        button->setGeometry(geometry);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        return button;
    };
    mPushButton1 = makeButton(mFrame1, "PushButton1", QStringLiteral("Zoom In"),
                              twipsRect(240, 300, 4440, 405));
    mPushButton2 = makeButton(mFrame1, "PushButton2", QStringLiteral("Zoom Out"),
                              twipsRect(4800, 300, 4560, 405));
    mPushButton8 = makeButton(this, "PushButton8", QStringLiteral("< Back"), designed.pushButton8);
    mPushButton6 = makeButton(this, "PushButton6", QStringLiteral("Save Results To Word File"),
                              designed.pushButton6);

    const QRect inside = mPicture2->contentsRect();
    mViewport.setViewportSize(
        mPicture2->width() * twipsPerPixelX(), mPicture2->height() * twipsPerPixelY(),
        inside.width() * twipsPerPixelX(), inside.height() * twipsPerPixelY());
    showBar(Bar::Horizontal);
    showBar(Bar::Vertical);
}

void Form2::createKeys()
{
    const auto keys = [&](const char* name, const QString& text, const QList<QKeySequence>& keys) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        addAction(action);
        return action;
    };
    // Ctrl+= is Ctrl+Plus without the Shift most keyboards need for "+".
    mZoomInKeys =
        keys("actZoomIn", QStringLiteral("Zoom In"),
             {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    mZoomOutKeys =
        keys("actZoomOut", QStringLiteral("Zoom Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    mZoomFitKeys =
        keys("actZoomFit", QStringLiteral("Zoom to Fit"), {QKeySequence(Qt::CTRL | Qt::Key_0)});
    mBackKey = keys("actBack", QStringLiteral("< Back"), {QKeySequence(Qt::Key_Escape)});
}

int Form2::noticeHeight() const
{
    if (mCutNotice->isHidden() || mCutNotice->text().isEmpty())
        return 0;
    return mCutNotice->heightForWidth(mLayout->noticeBand(size(), 0).width());
}

void Form2::layoutControls()
{
    const int notice = noticeHeight();
    setMinimumSize(mLayout->minimumSize(notice));
    mCutNotice->setGeometry(mLayout->noticeBand(size(), notice));
    const PreviewGeometry at = mLayout->place(size(), notice);
    mPicture2->setGeometry(at.picture2);
    mPicture2Inside->setGeometry(mPicture2->contentsRect());
    mVScroll1->setGeometry(at.vScroll1);
    mHScroll1->setGeometry(at.hScroll1);
    mZoomOri->move(at.zoomOri.topLeft());
    mFrame1->setGeometry(at.frame1);
    mPushButton8->setGeometry(at.pushButton8);
    mPushButton6->setGeometry(at.pushButton6);

    const QRect inside = mPicture2->contentsRect();
    mViewport.resizeViewport(mPicture2->width() * twipsPerPixelX(),
                             mPicture2->height() * twipsPerPixelY(),
                             inside.width() * twipsPerPixelX(), inside.height() * twipsPerPixelY());
    showBar(Bar::Horizontal);
    showBar(Bar::Vertical);
}

void Form2::fitToScreen()
{
    const QScreen* where = screen();
    if (!where)
        return;
    const QRect available = where->availableGeometry();
    const QRect outer = frameGeometry();
    const QRect client = geometry();
    QMargins frame(client.left() - outer.left(), client.top() - outer.top(),
                   outer.right() - client.right(), outer.bottom() - client.bottom());
    // Before the window system has framed the window its frame is unknown; the title bar
    // is the part that matters.
    if (frame.isNull() && !(windowFlags() & Qt::FramelessWindowHint))
        frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QSize opening = mLayout->openingSize(size(), frame, available.size());
    if (opening != size()) {
        resize(opening);
        layoutControls();
    }
    // A window the program has placed is moved back inside; a new one is placed by the
    // window system.
    if (testAttribute(Qt::WA_Moved)) {
        const QSize outerSize = opening.grownBy(frame);
        const QPoint corner(
            std::clamp(pos().x(), available.left(),
                       std::max(available.left(), available.right() + 1 - outerSize.width())),
            std::clamp(pos().y(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - outerSize.height())));
        if (corner != pos())
            move(corner);
    }
}

void Form2::showViewport()
{
    showBar(Bar::Horizontal);
    showBar(Bar::Vertical);
    showZoom();
}

void Form2::showZoom()
{
    mZoomFigure->setText(QStringLiteral("%1 %").arg(qRound(mViewport.shownZoom() * 100.0f)));
}

void Form2::scrollByNotches(QScrollBar& bar, int notches)
{
    if (!bar.isEnabled())
        return;
    // Through the bar, which clamps the value and moves the page through its change handler.
    bar.setValue(bar.value() + notches * QApplication::wheelScrollLines() * bar.singleStep());
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void Form2::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        fitToScreen();
    QWidget::showEvent(event);
}

void Form2::pageWheel(const QWheelEvent& event)
{
    const WheelCommand command = mWheel.turn(event.modifiers(), event.angleDelta());
    switch (command.kind) {
    case WheelCommand::Kind::Zoom:
        // One notch is one press of the button.
        for (int i = 0; i < std::abs(command.notches); ++i) {
            if (command.notches > 0)
                PushButton1_Click();
            else
                PushButton2_Click();
        }
        break;
    case WheelCommand::Kind::ScrollHorizontal:
        scrollByNotches(*mHScroll1, command.notches);
        break;
    case WheelCommand::Kind::ScrollVertical:
        scrollByNotches(*mVScroll1, command.notches);
        break;
    case WheelCommand::Kind::None:
        break;
    }
}

void Form2::createPageMenu()
{
    mPageMenu = new QMenu(this);
    mPageMenu->setObjectName(QStringLiteral("mnuPage"));
    mPageMenu->setAccessibleName(QStringLiteral("Page"));
    const auto makeAction = [&](const char* name, const QString& text, const QKeySequence& keys) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        mPageMenu->addAction(action);
        // Added to the window too, so the shortcut works without the menu open.
        addAction(action);
        return action;
    };
    mCopyPage = makeAction("mnuCopyPage", QStringLiteral("Copy Page"), QKeySequence::Copy);
    mPageMenu->addSeparator();
    mSavePagePdf =
        makeAction("mnuSavePagePdf", QStringLiteral("Save Page as PDF\u2026"), QKeySequence());
    mSavePagePng =
        makeAction("mnuSavePagePng", QStringLiteral("Save Page as PNG\u2026"), QKeySequence());
    mSavePageSvg =
        makeAction("mnuSavePageSvg", QStringLiteral("Save Page as SVG\u2026"), QKeySequence());
    if (mServices.saveSlide)
        mSavePageSlide =
            makeAction("mnuSavePageSlide", QStringLiteral("Save Page as PowerPoint Slide\u2026"),
                       QKeySequence());
    mPageMenu->addSeparator();
    mPrintPage = makeAction("mnuPrintPage", QStringLiteral("Print\u2026"), QKeySequence::Print);
    if (!mServices.changePage)
        return;

    // Choosing lays the page out again at once.
    mPageMenu->addSeparator();
    mPageChoices = new PageChoiceMenus(*mPageMenu, mServices.themeNames, mServices.slideSizes,
                                       mServices.changePage);
}

void Form2::setPageChoices(const PageMenuChoice& choice)
{
    if (mPageChoices)
        mPageChoices->setChoice(choice);
}

void Form2::setCutMarks(const QRectF& regionPt, const QList<QRectF>& framesPt, int cutEntries,
                        const QString& otherNotice)
{
    // A sheet drawn from its document marks them wherever it is drawn.
    mCutFramesPt = framesPt;
    if (mPicture1->hasSheet())
        mPicture1->setCutFrames(framesPt);
    // Marks go once on the page as delivered; the picture box holds the only copy by
    // then, so it is painted in place.
    if (!framesPt.isEmpty() && !mMarked) {
        QImage page = mPicture1->takePicture();
        markCutCallouts(page, regionPt, framesPt);
        mPicture1->setPicture(page);
        mMarked = true;
    }
    QStringList lines{cutNotice(cutEntries), otherNotice};
    lines.removeAll(QString());
    const QString notice = lines.join(u'\n');
    mCutNotice->setText(notice);
    mCutNotice->setVisible(!notice.isEmpty());
    layoutControls();
}

QString Form2::cutNoticeText() const
{
    return mCutNotice->isVisible() ? mCutNotice->text() : QString();
}

void Form2::showPageMenu(const QPoint& globalPos)
{
    mPageMenu->popup(globalPos);
}

void Form2::connectControls()
{
    connect(mPushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(mPushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(mPushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(mPushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);
    connect(mHScroll1, &QScrollBar::valueChanged, this, &Form2::HScroll1_Change);
    connect(mVScroll1, &QScrollBar::valueChanged, this, &Form2::VScroll1_Change);
    connect(mCopyPage, &QAction::triggered, this, &Form2::mnuCopyPage_Click);
    connect(mSavePagePdf, &QAction::triggered, this, &Form2::mnuSavePagePdf_Click);
    connect(mSavePagePng, &QAction::triggered, this, &Form2::mnuSavePagePng_Click);
    connect(mSavePageSvg, &QAction::triggered, this, &Form2::mnuSavePageSvg_Click);
    if (mSavePageSlide)
        connect(mSavePageSlide, &QAction::triggered, this, &Form2::mnuSavePageSlide_Click);
    connect(mPrintPage, &QAction::triggered, this, &Form2::mnuPrintPage_Click);
    connect(mZoomInKeys, &QAction::triggered, this, &Form2::PushButton1_Click);
    connect(mZoomOutKeys, &QAction::triggered, this, &Form2::PushButton2_Click);
    connect(mZoomFitKeys, &QAction::triggered, this, &Form2::ZoomToFit);
    connect(mBackKey, &QAction::triggered, this, &Form2::PushButton8_Click);
}

void Form2::Form_Load()
{
    app::Trap trap(mServices.dialogs, QLatin1String(app::labels::kForm2Load));
    trap.step(100, [&] { mViewport.setFirstActivate(true); });
    trap.step(102, [&] { app::ApplyFormColors(this); });
    trap.step(104, [&] {
        setWindowTitle(QLatin1String(app::kProductName));
        setWindowIcon(app::applicationIcon());
    });
    const QString cursorFile =
        app::inFolder(mServices.programFolder, QLatin1String(app::kHandCursorFile));
    if (trap.test(108, [&] { return !app::FileExists(cursorFile); }))
        return;
    trap.step(110, [&] {
        mHandCursor = app::loadCursorFile(cursorFile);
        if (!mHandCursor)
            throw app::Failure(QStringLiteral("Invalid picture"));
    });
}

void Form2::setPicture1(const QImage& page)
{
    if (page.isNull())
        return;
    mMarked = false;
    mCutFramesPt.clear();
    mCutNotice->hide();
    layoutControls();
    // Until its document is read at the next activation, the page is the picture, held
    // whole, and so within the picture's size limits.
    mPicture1->setSheet(nullptr, {});
    mDelivered.reset();
    mViewport.setSizeLimits(Viewport::kWidthLimitTwips, Viewport::kHeightLimitTwips);
    mPicture1->setPicture(page);
    const QSizeF logical = page.deviceIndependentSize();
    mViewport.assignPicture(logical.width() * twipsPerPixelX(),
                            logical.height() * twipsPerPixelY());
}

void Form2::openSheet()
{
    std::shared_ptr<const office::Document> sheet = std::move(mDelivered);
    try {
        if (!sheet)
            sheet = std::make_shared<const office::Document>(office::openDocument(mWordFile));
    } catch (...) {
        // No document the engine reads: the delivered picture is the page.
        return;
    }
    const office::PageSetup& page = sheet->page();
    if (!(page.widthPt > 0 && page.heightPt > 0))
        return;
    mPicture1->setSheet(sheet, mCutFramesPt);
    mViewport.setSizeLimits(Viewport::kNoSizeLimit, Viewport::kNoSizeLimit);
    // The whole sheet at its real size is the page at zoom 1; the preparation takes two
    // twips off the unscaled copy's size, so they are added here.
    mViewport.assignPicture(page.widthPt * kTwipsPerPoint + 2.0,
                            page.heightPt * kTwipsPerPoint + 2.0);
}

void Form2::Form_Activate()
{
    // The document is read once per delivered page, before the viewport is prepared for it.
    if (mViewport.mFirstActivate && !mWordFile.isEmpty())
        openSheet();
    mViewport.formActivate();
    showViewport();
}

void Form2::RedrawImage()
{
    mViewport.redrawImage();
}

void Form2::SetHScrollbarByPercent(QScrollBar& HScrollbar, const qint16& percent)
{
    mViewport.setBarByPercent(&HScrollbar == mVScroll1 ? Bar::Vertical : Bar::Horizontal, percent);
}

void Form2::SetVScrollbarByPercent(QScrollBar& VScrollbar, const qint16& percent)
{
    mViewport.setBarByPercent(&VScrollbar == mHScroll1 ? Bar::Horizontal : Bar::Vertical, percent);
}

void Form2::PushButton1_Click()
{
    mViewport.zoomIn();
    showViewport();
}

void Form2::PushButton2_Click()
{
    mViewport.zoomOut();
    showViewport();
}

void Form2::ZoomToFit()
{
    mViewport.zoomToFit();
    showViewport();
}

void Form2::PushButton6_Click()
{
    SaveResultsToWordFile(mServices.dialogs, mWordFile, timelineTitle());
}

void Form2::PushButton8_Click()
{
    app::Trap trap(mServices.dialogs, QLatin1String(app::labels::kForm2Back));
    trap.step(102, [&] { app::RemoveFile(mWordFile); });
    trap.step(104, [&] {
        if (mServices.showMainWindow)
            mServices.showMainWindow();
    });
    trap.step(106, [&] { hide(); });
}

void Form2::mnuCopyPage_Click()
{
    mPageCommands.copyPage(mWordFile);
}

void Form2::mnuSavePagePdf_Click()
{
    mPageCommands.savePage(office::PageFileKind::Pdf, mWordFile, timelineTitle());
}

void Form2::mnuSavePagePng_Click()
{
    mPageCommands.savePage(office::PageFileKind::Png, mWordFile, timelineTitle());
}

void Form2::mnuSavePageSvg_Click()
{
    mPageCommands.savePage(office::PageFileKind::Svg, mWordFile, timelineTitle());
}

void Form2::mnuSavePageSlide_Click()
{
    mPageCommands.saveSlide(mServices.saveSlide, timelineTitle());
}

void Form2::mnuPrintPage_Click()
{
    mPageCommands.printPage(mWordFile);
}

void Form2::contextMenuEvent(QContextMenuEvent* event)
{
    showPageMenu(event->globalPos());
}

void Form2::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form2::Form_QueryUnload()
{
    app::Trap trap(mServices.dialogs, QLatin1String(app::labels::kForm2QueryUnload));
    // The program ends without the main window's close handler, which is where the entry
    // list is written otherwise.
    trap.step(100, [&] {
        if (mServices.saveEditorState)
            mServices.saveEditorState();
    });
    trap.step(100, [&] { app::RemoveFile(mWordFile); });
    trap.step(102, [] { QCoreApplication::processEvents(); });
    trap.step(104, [] { QCoreApplication::processEvents(); });
}

void Form2::Form_Unload()
{
    mServices.programEnd.endNow();
}

void Form2::HScroll1_Change(int value)
{
    mViewport.setBarValue(Bar::Horizontal, static_cast<std::int16_t>(value));
}

void Form2::VScroll1_Change(int value)
{
    mViewport.setBarValue(Bar::Vertical, static_cast<std::int16_t>(value));
}

bool Form2::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Over the grey around the page the wheel reaches Picture2, the page's parent.
    if ((watched == mPicture1 || watched == mPicture2) && type == QEvent::Wheel) {
        pageWheel(*static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == mPicture1) {
        const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            mRightClick.press(mouse()->button(), mouse()->globalPosition().toPoint());
            mPicture2->setFocus(Qt::MouseFocusReason);
            Picture1_MouseDown(mouse());
            return true;
        case QEvent::MouseMove:
            mRightClick.move(mouse()->globalPosition().toPoint());
            Picture1_MouseMove(mouse());
            return true;
        case QEvent::MouseButtonRelease:
            Picture1_MouseUp();
            // The menu opens only after the release has set the bars.
            if (mRightClick.release(mouse()->button(), mouse()->globalPosition().toPoint()))
                showPageMenu(mouse()->globalPosition().toPoint());
            return true;
        case QEvent::ContextMenu: {
            // A right click on the page opens the menu on its release, above; only the
            // keyboard's menu key opens it here.
            auto* request = static_cast<QContextMenuEvent*>(event);
            if (request->reason() == QContextMenuEvent::Keyboard)
                showPageMenu(request->globalPos());
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
        }
    }
    if (watched == mPicture2 && type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (const std::optional<KeyScroll> scroll = keyScroll(key->key(), key->modifiers())) {
            QScrollBar* bar = scroll->bar == Bar::Horizontal ? mHScroll1 : mVScroll1;
            if (bar->isEnabled())
                bar->triggerAction(scroll->action);
            return true;
        }
    }
    if (type == QEvent::MouseMove) {
        const bool overButton = watched == mPushButton1 || watched == mPushButton2 ||
                                watched == mPushButton6 || watched == mPushButton8;
        if (overButton || watched == mFrame1) {
            setPointer(app::hoverPointer(mMousePointer, overButton));
            // Without a held button the move would travel on to the frame or window, whose
            // own rule would undo the hand at once.
            return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::mouseMoveEvent(QMouseEvent* event)
{
    setPointer(app::hoverPointer(mMousePointer, false));
    QWidget::mouseMoveEvent(event);
}

void Form2::Picture1_MouseDown(QMouseEvent* event)
{
    const QPointF at = event->position();
    mViewport.mouseDown(static_cast<float>(at.x() * twipsPerPixelX()),
                        static_cast<float>(at.y() * twipsPerPixelY()));
}

void Form2::Picture1_MouseMove(QMouseEvent* event)
{
    const QPointF at = event->position();
    mViewport.mouseMove(static_cast<int>(event->buttons().toInt()),
                        static_cast<float>(at.x() * twipsPerPixelX()),
                        static_cast<float>(at.y() * twipsPerPixelY()));
}

void Form2::Picture1_MouseUp()
{
    mViewport.mouseUp();
    showBar(Bar::Horizontal);
    showBar(Bar::Vertical);
}

void Form2::applyEffect(Effect effect)
{
    const BoxState& page = mViewport.picture1();
    const BoxState& unscaled = mViewport.zoomOri();
    switch (effect) {
    case Effect::PictureMoved:
        placePicture1();
        break;
    case Effect::PictureResized:
        mPicture1->setBoxSize(twipsSize(page.outerWidth, page.outerHeight));
        break;
    case Effect::PictureCleared:
        mPicture1->clearPicture();
        break;
    case Effect::PicturePersistent:
        mPicture1->setPersistent(true);
        break;
    case Effect::PictureWhite:
        mPicture1->setBackgroundColor(app::designedWhite());
        break;
    case Effect::PagePainted:
        paintPage();
        break;
    case Effect::PointerReset:
        setPointer(app::MousePointer::Default);
        break;
    case Effect::ZoomOriHidden:
        mZoomOri->hide();
        break;
    case Effect::ZoomOriResized:
        mZoomOri->setBoxSize(twipsSize(unscaled.outerWidth, unscaled.outerHeight));
        break;
    case Effect::ZoomOriAssigned:
        if (unscaled.hasPicture)
            mZoomOri->setPicture(mPicture1->picture());
        else
            mZoomOri->clearPicture();
        break;
    case Effect::HBarChanged:
        showBar(Bar::Horizontal);
        break;
    case Effect::VBarChanged:
        showBar(Bar::Vertical);
        break;
    }
}

void Form2::showBar(Bar bar)
{
    QScrollBar* widget = bar == Bar::Horizontal ? mHScroll1 : mVScroll1;
    const ScrollBarState& state = mViewport.bar(bar);
    // The model has already run the change handler; the widget only shows the result.
    const QSignalBlocker blocker(widget);
    widget->setEnabled(state.enabled);
    widget->setRange(0, state.max);
    widget->setValue(state.value);
    const double twipsPerPixel = bar == Bar::Horizontal ? twipsPerPixelX() : twipsPerPixelY();
    widget->setSingleStep(mViewport.arrowStep(bar, twipsPerPixel));
    widget->setPageStep(mViewport.pageStep(bar));
}

void Form2::placePicture1()
{
    const BoxState& page = mViewport.picture1();
    mPicture1->move(app::twipsToPixels(page.left, logicalDpiX()),
                    app::twipsToPixels(page.top, logicalDpiY()));
}

void Form2::paintPage()
{
    if (mPicture1->hasSheet()) {
        mPicture1->showSheet();
        return;
    }
    const QImage& source = mZoomOri->picture();
    if (source.isNull())
        return;
    // The source region is in the page's own pixels, which may be finer than the screen's.
    const double sourceRatio = source.devicePixelRatio();
    const QRectF sourceRect(0, 0, mViewport.mBaseWidth / twipsPerPixelX() * sourceRatio,
                            mViewport.mBaseHeight / twipsPerPixelY() * sourceRatio);
    const QRectF targetRect(0, 0, mViewport.mZoomWidth / twipsPerPixelX(),
                            mViewport.mZoomHeight / twipsPerPixelY());
    mPicture1->paintStretched(source, sourceRect, targetRect);
}

void Form2::setPointer(app::MousePointer pointer)
{
    mMousePointer = pointer;
    app::showPointer(this, pointer, mHandCursor);
}

} // namespace preview
