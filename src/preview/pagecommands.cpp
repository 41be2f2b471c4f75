#include "pagecommands.h"

#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"
#include "office/customxml.h"
#include "office/docreader.h"
#include "office/error.h"
#include "office/model.h"
#include "office/outputformat.h"
#include "saveresults.h"
#include "timeline/timelinexml.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPrinter>

namespace preview {
namespace {

// The error box's location of each page save.
const char* saveLabelOf(office::PageFileKind kind)
{
    switch (kind) {
    case office::PageFileKind::Png:
        return app::labels::kForm2SavePagePng;
    case office::PageFileKind::Svg:
        return app::labels::kForm2SavePageSvg;
    case office::PageFileKind::Pdf:
        break;
    }
    return app::labels::kForm2SavePagePdf;
}

// The engine's failures reach the error box as the application's own.
template <typename Action> auto fromEngine(Action&& action)
{
    try {
        return std::forward<Action>(action)();
    } catch (const office::Error& error) {
        throw app::Failure(error.description());
    }
}

office::Document readPage(const QString& wordFile)
{
    return fromEngine([&] { return office::openDocument(wordFile); });
}

} // namespace

void RightClick::press(Qt::MouseButton button, QPoint globalPos)
{
    if (button != Qt::RightButton)
        return;
    mTracking = true;
    mMoved = false;
    mPressedAt = globalPos;
}

void RightClick::move(QPoint globalPos)
{
    // Once beyond the distance the page has been dragged, even if the mouse comes back.
    if (mTracking && (globalPos - mPressedAt).manhattanLength() >= mDragDistancePx)
        mMoved = true;
}

bool RightClick::release(Qt::MouseButton button, QPoint globalPos)
{
    if (button != Qt::RightButton || !mTracking)
        return false;
    move(globalPos);
    mTracking = false;
    return !mMoved;
}

QString PageCommands::targetName(const QString& chosen, office::PageFileKind kind)
{
    return targetName(chosen, office::outputFormatRow(kind));
}

QString PageCommands::targetName(const QString& chosen, const office::OutputFormatRow& how)
{
    return app::withFilterExtension(chosen, how.saveFilters());
}

void PageCommands::copyPage(const QString& wordFile)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2CopyPage));
    office::Document page;
    QImage picture;
    QByteArray svg;
    bool read = false;
    trap.step(100, [&] {
        page = readPage(wordFile);
        read = true;
    });
    // Without the document there is no page to copy.
    if (!read)
        return;
    trap.step(102, [&] { picture = fromEngine([&] { return office::pageImage(page); }); });
    trap.step(104, [&] { svg = fromEngine([&] { return office::pageSvg(page); }); });
    trap.step(106, [&] {
        if (!mClipboard)
            throw app::Failure(QStringLiteral("The clipboard cannot be opened."));
        if (picture.isNull())
            throw app::Failure(QStringLiteral("There is no picture of the page to copy."));
        mClipboard->setPictureWithSvg(picture, svg);
    });
}

bool PageCommands::savePage(office::PageFileKind kind, const QString& wordFile,
                            const QString& title)
{
    return saveAs(
        office::outputFormatRow(kind), saveLabelOf(kind), title, [&](const QString& target) {
            const office::Document page = readPage(wordFile);
            // The page file carries the timeline its document carries, to be opened again.
            const office::CustomXmlItem* timeline = office::customxml::findItem(
                page.customXml(), QLatin1String(timeline::xml::kNamespace));
            fromEngine([&] {
                office::writePage(page, target, kind, timeline ? timeline->data : QByteArray());
            });
        });
}

bool PageCommands::saveSlide(const std::function<void(const QString& path)>& write,
                             const QString& title)
{
    return saveAs(office::outputFormatRow(office::OutputFormat::Slide),
                  app::labels::kForm2SavePageSlide, title, [&](const QString& target) {
                      if (!write)
                          throw app::Failure(QStringLiteral("There is no slide to save."));
                      fromEngine([&] { write(target); });
                  });
}

bool PageCommands::saveAs(const office::OutputFormatRow& how, const char* label,
                          const QString& title,
                          const std::function<void(const QString& target)>& write)
{
    app::Trap trap(mDialogs, QLatin1String(label));
    QString target;
    bool replaceAgreed = false;
    bool written = false;
    trap.step(100, [&] { target = mDialogs.saveFileName(saveDialogFor(how, title)); });
    if (trap.test(102, [&] { return target.isEmpty(); }))
        return false;
    trap.step(104, [&] { target = targetName(target, how); });
    if (trap.test(106, [&] { return !app::FileExists(target); })) {
        replaceAgreed = true;
    } else {
        trap.step(108, [&] { replaceAgreed = app::agreesToOverwrite(mDialogs, target); });
    }
    if (!replaceAgreed)
        return false;
    // Written beside the target and renamed over it, so a failure keeps the old file.
    trap.step(110, [&] {
        write(target);
        written = true;
    });
    if (written)
        trap.step(112, [&] { app::sayDone(mDialogs, target); });
    return written;
}

bool PageCommands::printPage(const QString& wordFile)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2PrintPage));
    office::Document page;
    bool read = false;
    bool printed = false;
    trap.step(100, [&] {
        page = readPage(wordFile);
        read = true;
    });
    if (!read)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    trap.step(102, [&] {
        // The page is drawn from the paper's corner at its true size.
        printer.setFullPage(true);
        fromEngine([&] { office::setUpPagedDevice(page, printer); });
    });
    if (!trap.value(104, false, [&] { return mDialogs.printDialog(printer); }))
        return false;
    trap.step(106, [&] {
        fromEngine([&] { office::paintPageOnto(page, printer); });
        printed = true;
    });
    return printed;
}

PageChoiceMenus::PageChoiceMenus(QMenu& menu, const QStringList& themeNames,
                                 const QList<NamedChoice>& slideSizes,
                                 std::function<void(const PageMenuChoice&)> changed)
    : QObject(&menu)
{
    const auto choiceMenu = [&](const char* name, const QString& title) {
        QMenu* submenu = menu.addMenu(title);
        submenu->setObjectName(QLatin1String(name));
        auto* group = new QActionGroup(this);
        group->setExclusive(true);
        return std::pair{submenu, group};
    };
    const auto choice = [&](std::pair<QMenu*, QActionGroup*> submenu, const QString& objectName,
                            const QString& text) {
        QAction* action = submenu.first->addAction(text);
        action->setObjectName(objectName);
        action->setCheckable(true);
        submenu.second->addAction(action);
        return action;
    };
    const auto layout = choiceMenu("mnuLayout", QStringLiteral("Layout"));
    mLayout = layout.second;
    choice(layout, QStringLiteral("mnuLayoutFit"), QStringLiteral("Fit Every Word"))
        ->setData(false);
    choice(layout, QStringLiteral("mnuLayoutClassic"), QStringLiteral("Classic layout"))
        ->setData(true);
    const auto spacing = choiceMenu("mnuSpacing", QStringLiteral("Spacing"));
    mSpacing = spacing.second;
    choice(spacing, QStringLiteral("mnuSpacingEven"), QStringLiteral("Even"))->setData(false);
    choice(spacing, QStringLiteral("mnuSpacingScale"), QStringLiteral("To scale"))->setData(true);
    const auto paper = choiceMenu("mnuPaper", QStringLiteral("Paper"));
    mPaper = paper.second;
    for (const office::Paper& sheet : office::kPapers) {
        const QString name = QString::fromLatin1(sheet.name);
        choice(paper, QStringLiteral("mnuPaper") + name, name)->setData(name);
    }
    const auto theme = choiceMenu("mnuTheme", QStringLiteral("Theme"));
    mTheme = theme.second;
    for (const QString& name : themeNames)
        choice(theme, QStringLiteral("mnuTheme") + name, name)->setData(name);
    const auto slideSize = choiceMenu("mnuSlideSize", QStringLiteral("Slide Size"));
    mSlideSize = slideSize.second;
    slideSize.first->menuAction()->setVisible(!slideSizes.isEmpty());
    for (const NamedChoice& size : slideSizes)
        choice(slideSize, QStringLiteral("mnuSlideSize") + QString(size.name).replace(u':', u'x'),
               size.label)
            ->setData(size.name);
    const auto report = [this, changed = std::move(changed)] {
        PageMenuChoice chosen;
        if (const QAction* checked = mTheme->checkedAction())
            chosen.theme = checked->data().toString();
        if (const QAction* checked = mPaper->checkedAction())
            chosen.paper = checked->data().toString();
        if (const QAction* checked = mLayout->checkedAction())
            chosen.classic = checked->data().toBool();
        if (const QAction* checked = mSpacing->checkedAction())
            chosen.toScale = checked->data().toBool();
        if (const QAction* checked = mSlideSize->checkedAction())
            chosen.slideSize = checked->data().toString();
        if (changed)
            changed(chosen);
    };
    for (QActionGroup* group : {mLayout, mSpacing, mPaper, mTheme, mSlideSize})
        connect(group, &QActionGroup::triggered, this, report);
}

void PageChoiceMenus::setChoice(const PageMenuChoice& choice)
{
    for (QAction* action : mLayout->actions())
        action->setChecked(action->data().toBool() == choice.classic);
    for (QAction* action : mSpacing->actions())
        action->setChecked(action->data().toBool() == choice.toScale);
    for (QAction* action : mPaper->actions())
        action->setChecked(action->data().toString().compare(choice.paper, Qt::CaseInsensitive) ==
                           0);
    for (QAction* action : mTheme->actions())
        action->setChecked(action->data().toString().compare(choice.theme, Qt::CaseInsensitive) ==
                           0);
    for (QAction* action : mSlideSize->actions())
        action->setChecked(action->data().toString() == choice.slideSize);
}

void markCutCallouts(QImage& picture, const QRectF& regionPt, const QList<QRectF>& framesPt)
{
    if (picture.isNull() || !regionPt.isValid() || framesPt.isEmpty())
        return;
    // Painted in the picture's own pixels with whole rectangles, the raster engine's
    // fastest path: a page of 63 marks costs well under a millisecond.
    const qreal density = picture.devicePixelRatio();
    picture.setDevicePixelRatio(1);
    const double sx = picture.width() / regionPt.width();
    const double sy = picture.height() / regionPt.height();
    const int line = std::max(2, int(std::lround(2 * sx)));
    QPainter painter(&picture);
    // A red frame a little outside the callout, over a faint red wash, reads as a mark on
    // any fill and never hides the text.
    const QColor red(220, 0, 0);
    const QColor wash(220, 0, 0, 40);
    for (const QRectF& frame : framesPt) {
        const QRectF outside = frame.adjusted(-2, -2, 2, 2).translated(-regionPt.topLeft());
        const QRect box(
            QPoint(int(std::lround(outside.left() * sx)), int(std::lround(outside.top() * sy))),
            QPoint(int(std::lround(outside.right() * sx)),
                   int(std::lround(outside.bottom() * sy))));
        painter.fillRect(box.adjusted(line, line, -line, -line), wash);
        painter.fillRect(QRect(box.left(), box.top(), box.width(), line), red);
        painter.fillRect(QRect(box.left(), box.bottom() - line + 1, box.width(), line), red);
        painter.fillRect(QRect(box.left(), box.top(), line, box.height()), red);
        painter.fillRect(QRect(box.right() - line + 1, box.top(), line, box.height()), red);
    }
    painter.end();
    picture.setDevicePixelRatio(density);
}

QString cutNotice(int cutEntries)
{
    if (cutEntries <= 0)
        return {};
    return cutEntries == 1 ? QStringLiteral("1 entry is cut: its callout is marked in red.")
                           : QStringLiteral("%1 entries are cut: their callouts are marked in red.")
                                 .arg(cutEntries);
}

} // namespace preview
