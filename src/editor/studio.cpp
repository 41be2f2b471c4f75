#include "studio.h"

#include "docgen/pagetheme.h"
#include "docgen/timelinefile.h"
#include "docgen/timelinepage.h"
#include "docgen/wordcheck.h"
#include "office/docwriter.h"
#include "preview/form2.h"
#include "preview/pagecommands.h"
#include "slide/slidesize.h"
#include "slide/slidewriter.h"
#include "timeline/scale.h"

#include "app/apptitle.h"
#include "app/dialogs.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "filewrite/safefile.h"
#include "timeline/settingsstore.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

namespace editor {

namespace {

// The slide sizes both page menus offer.
QList<preview::NamedChoice> slideSizeChoices()
{
    QList<preview::NamedChoice> choices;
    for (const slide::SlideSize& size : slide::kSlideSizes)
        choices << preview::NamedChoice{QLatin1String(size.name), QLatin1String(size.label)};
    return choices;
}

} // namespace

Studio::Studio(StudioServices services)
    : mServices(services),
      mBuilder(services.dialogs, services.factory,
               services.engineClipboard ? *services.engineClipboard : services.clipboard)
{
    Form1Services formServices{mServices.dialogs,
                               mServices.programEnd,
                               mServices.store,
                               mServices.programFolder,
                               [this] {
                                   return docgen::EnsureWordAvailable(
                                       mServices.factory, mServices.dialogs, mServices.programEnd);
                               },
                               [this] { createPage(); },
                               mServices.textClipboard};
    mForm1 = std::make_unique<Form1>(formServices);
    // Save dialogs open where the user saved last, in this run and the next; an unreadable
    // folder is only a starting place lost.
    const auto keepFolder = [this](const QString& folder) {
        mServices.store.write(QLatin1String(kSaveFolderKey), folder);
    };
    mServices.dialogs.setSaveFolder(
        readChoice(mServices.store, QLatin1String(kSaveFolderKey), QString(), QString(), nullptr),
        keepFolder);
    QStringList notices;
    mPageChoice = timeline::loadPageChoices(mServices.store, &notices);
    mSlideSize = &slide::loadSlideSize(mServices.store, &notices);
    for (const QString& notice : notices)
        mServices.dialogs.messageBox(notice, app::MessageButtons::Ok,
                                     app::MessageIcon::Exclamation);
    mLivePage = std::make_unique<LivePage>(
        mBuilder, mForm1->pageView(),
        [this] {
            return LivePageInput{mForm1->titleText(), mForm1->entries(), pageOptions(nullptr)};
        },
        [this](const docgen::FitReport& report) { markCutRows(report); });
    QObject::connect(mForm1.get(), &Form1::pageInputChanged, mLivePage.get(), &LivePage::changed);
    QObject::connect(mForm1.get(), &Form1::pageViewShownChanged, mLivePage.get(),
                     &LivePage::setActive);
    DocumentHost& host = *this;
    mDocuments = std::make_unique<DocumentCommands>(mServices.dialogs, mServices.store, host);
    createMenus();
}

Studio::~Studio() = default;

bool Studio::start()
{
    if (!mForm1->Form_Load())
        return false;
    // The document as the last run left it; what changes from here on marks it.
    mDocuments->restore();
    fillRecentMenu();
    QObject::connect(mForm1.get(), &Form1::pageInputChanged, mForm1.get(),
                     [this] { mDocuments->changed(); });
    if (mForm1->restoreWindowSize())
        mForm1->showMaximized();
    else
        mForm1->show();
    return true;
}

void Studio::bringToFront()
{
    QWidget* window = mForm1.get();
    if (mForm2 && mForm2->isVisible())
        window = mForm2.get();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

preview::Form2& Studio::previewForm()
{
    if (!mForm2) {
        preview::Form2Services formServices{
            mServices.dialogs,
            mServices.programEnd,
            mServices.programFolder,
            [this] { mForm1->show(); },
            [this] { mForm1->SaveScaleEntries(); },
            &mServices.clipboard,
            [this](const preview::PageMenuChoice& choice) { changePage(choice); },
            docgen::PageTheme::names(),
            [this] { return mForm1->titleText(); },
            [this](const QString& path) { saveSlide(path); },
            slideSizeChoices()};
        mForm2 = std::make_unique<preview::Form2>(formServices);
        mForm2->setPageChoices(menuChoice());
    }
    return *mForm2;
}

int Studio::entryCount() const
{
    return mForm1->entryCount();
}

docgen::TimelineEntry Studio::entry(int row) const
{
    return docgen::TimelineEntry{mForm1->entryDate(row - 1), mForm1->entryNotes(row - 1)};
}

QString Studio::titleText() const
{
    return mForm1->titleText();
}

void Studio::setMousePointer(app::MousePointer pointer)
{
    mForm1->setMousePointer(pointer);
}

void Studio::setPreviewPicture(const QImage& page)
{
    previewForm().setPicture1(page);
}

void Studio::setPreviewWordFile(const QString& path)
{
    previewForm().setWordFile(path);
}

void Studio::setPreviewSheet(std::shared_ptr<const office::Document> sheet)
{
    previewForm().setSheet(std::move(sheet));
}

void Studio::showPreview()
{
    preview::Form2& form = previewForm();
    form.show();
    form.activateWindow();
}

void Studio::hideMainWindow()
{
    mForm1->hide();
}

void Studio::setFitReport(const docgen::FitReport& report)
{
    previewForm().setCutMarks(report.pictureRegionPt, report.cutFramesPt,
                              int(report.cutLines().size()), mSpacingNotice);
    markCutRows(report);
}

void Studio::markCutRows(const docgen::FitReport& report)
{
    QHash<int, QString> notes;
    for (const int line : report.cutLines())
        notes.insert(line - 1, report.reasonFor(line));
    mForm1->setPageCutNotes(notes);
}

timeline::Timeline Studio::shownTimeline() const
{
    return {mForm1->titleText(),
            timeline::scaleOfNumber(mForm1->selectedScale()).value_or(timeline::Scale::Yearly),
            mForm1->entries(), mPageChoice};
}

docgen::PageOptions Studio::pageOptions(QString* spacingNotice) const
{
    return docgen::pageOptionsOf(shownTimeline(), mForm1->locale(), spacingNotice);
}

void Studio::saveSlide(const QString& path) const
{
    // The slide of the timeline the preview shows, laid out on the slide's own size.
    const timeline::Timeline shown = shownTimeline();
    const slide::SlideSize& size = *mSlideSize;
    slide::saveSlide(shown, slide::planSlide(shown, pageOptions(nullptr), size), size, path);
}

void Studio::createPage()
{
    mSpacingNotice.clear();
    mBuilder.setPageOptions(pageOptions(&mSpacingNotice));
    mBuilder.PushButton6_Click(*this);
}

preview::PageMenuChoice Studio::menuChoice() const
{
    return preview::PageMenuChoice{docgen::paperShown(mPageChoice), mPageChoice.classic(),
                                   mPageChoice.spacing == timeline::Spacing::ToScale,
                                   docgen::themeShown(mPageChoice),
                                   QLatin1String(mSlideSize->name)};
}

void Studio::changePage(const preview::PageMenuChoice& menu)
{
    const timeline::PageChoices page = mPageChoice;
    const slide::SlideSize* size = mSlideSize;
    choosePage(menu);
    // The slide's size is the next slide's only: the page stays as it is.
    if (mSlideSize != size && mPageChoice == page)
        return;
    const QString before = mBuilder.lastDocument();
    createPage();
    preview::Form2& form = previewForm();
    if (mBuilder.lastDocument() != before) {
        // The page shown is the new one; the one it replaced belongs to nobody now.
        app::RemoveFile(before);
        form.Form_Activate();
    }
}

void Studio::choosePage(const preview::PageMenuChoice& menu)
{
    timeline::PageChoices choice = mPageChoice;
    choice.layout = menu.classic ? timeline::Layout::Classic : timeline::Layout::Fit;
    choice.spacing = menu.toScale ? timeline::Spacing::ToScale : timeline::Spacing::Even;
    // The menu shows the region's paper when none was chosen; only another one is a choice.
    if (!menu.paper.isEmpty() && menu.paper != docgen::paperShown(mPageChoice))
        choice.paper = menu.paper;
    if (!menu.theme.isEmpty())
        choice.theme = menu.theme;
    const slide::SlideSize* size = slide::findSlideSize(menu.slideSize);
    try {
        timeline::savePageChoices(mServices.store, choice, &mPageChoice);
        if (size && size != mSlideSize)
            slide::saveSlideSize(mServices.store, *size);
    } catch (const app::Failure& failure) {
        // The page is still laid out as asked; only keeping the choice failed.
        mServices.dialogs.messageBox(
            QStringLiteral("The page choice could not be kept: %1").arg(failure.description()),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    }
    const bool changed = !(choice == mPageChoice);
    mPageChoice = choice;
    if (size)
        mSlideSize = size;
    mLivePage->changed();
    if (mForm2)
        mForm2->setPageChoices(menuChoice());
    mPageMenu->setChoice(menuChoice());
    if (changed)
        mDocuments->changed();
}

bool Studio::openFile(const QString& path)
{
    const bool opened = mDocuments->openFile(path);
    fillRecentMenu();
    if (opened && mForm2 && mForm2->isVisible()) {
        // The timeline opened is shown where it is edited.
        mForm2->hide();
        mForm1->show();
    }
    return opened;
}

void Studio::showTimeline(const timeline::Timeline& timeline, const QString& step)
{
    const int scale = timeline::scaleNumber(timeline.scale);
    if (mForm1->selectedScale() != scale) {
        // Switching stores the rows shown under their own scale first, as always.
        mForm1->selectScale(scale);
        if (mForm1->timelineCommands().shownScale() != scale)
            throw app::Failure(
                QStringLiteral("The %1 list could not be shown.").arg(editor::scaleName(scale)));
    }
    mForm1->timelineCommands().replaceTimeline(timeline.title, timeline.entries, step);
    if (!(timeline.page == mPageChoice)) {
        timeline::savePageChoices(mServices.store, timeline.page, &mPageChoice);
        mPageChoice = timeline.page;
        if (mForm2)
            mForm2->setPageChoices(menuChoice());
        mPageMenu->setChoice(menuChoice());
        mLivePage->changed();
    }
}

QByteArray Studio::wordDocument(const timeline::Timeline& timeline)
{
    const docgen::PageSketch sketch = mBuilder.sketch(
        timeline.title, timeline.entries, docgen::pageOptionsOf(timeline, mForm1->locale()));
    if (!sketch.document)
        throw app::Failure(QStringLiteral("The page could not be made."));
    office::Document document = *sketch.document;
    document.customXml().push_back(docgen::timelineItem(timeline));
    return office::writePackage(document);
}

void Studio::setCaption(const QString& caption)
{
    mForm1->setWindowTitle(caption);
}

void Studio::createMenus()
{
    Form1& form = *mForm1;
    const auto command = [&form](QMenu& menu, const char* name, const QString& text,
                                 const QKeySequence& keys, auto run) {
        QAction* action = menu.addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // On the window too, so the shortcut works with the menu closed.
        form.addAction(action);
        QObject::connect(action, &QAction::triggered, &form, run);
        return action;
    };
    const auto existing = [&form](const char* name) {
        return form.findChild<QAction*>(QLatin1String(name));
    };

    QMenu& file = form.menu(Form1::Menu::File);
    command(file, "actionNew", QStringLiteral("New"), QKeySequence::New,
            [this] { mDocuments->newDocument(); });
    command(file, "actionOpen", QStringLiteral("Open\u2026"), QKeySequence::Open, [this] {
        mDocuments->open();
        fillRecentMenu();
    });
    mRecentMenu = file.addMenu(QStringLiteral("Open Recent"));
    mRecentMenu->setObjectName(QStringLiteral("menuOpenRecent"));
    file.addSeparator();
    command(file, "actionSave", QStringLiteral("Save"), QKeySequence::Save, [this] {
        mDocuments->save();
        fillRecentMenu();
    });
    command(file, "actionSaveAs", QStringLiteral("Save As\u2026"),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] {
                mDocuments->saveAs();
                fillRecentMenu();
            });
    file.addSeparator();
    file.addAction(existing("actionImportCsv"));
    file.addAction(existing("actionExportCsv"));
    file.addSeparator();
    command(file, "actionSavePagePdf", QStringLiteral("Save Page as PDF\u2026"), {},
            [this] { outputPage(office::PageFileKind::Pdf); });
    command(file, "actionSavePagePng", QStringLiteral("Save Page as PNG\u2026"), {},
            [this] { outputPage(office::PageFileKind::Png); });
    command(file, "actionSavePageSvg", QStringLiteral("Save Page as SVG\u2026"), {},
            [this] { outputPage(office::PageFileKind::Svg); });
    command(file, "actionSavePageSlide", QStringLiteral("Save Page as PowerPoint Slide\u2026"), {},
            [this] {
                if (const std::optional<QString> refusal = pageRefusal(shownTimeline())) {
                    mServices.dialogs.messageBox(*refusal, app::MessageButtons::Ok,
                                                 app::MessageIcon::Exclamation);
                    return;
                }
                preview::PageCommands(mServices.dialogs, &mServices.clipboard)
                    .saveSlide([this](const QString& path) { saveSlide(path); },
                               mForm1->titleText());
            });
    command(file, "actionPrint", QStringLiteral("Print\u2026"), QKeySequence::Print,
            [this] { outputPage(std::nullopt); });
    file.addSeparator();
    command(file, "actionQuit", QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
            [this] { mForm1->close(); });

    // The preview's zoom, for the preview window while it is shown.
    QMenu& previewZoom = *form.menu(Form1::Menu::View).addMenu(QStringLiteral("Preview Zoom"));
    previewZoom.setObjectName(QStringLiteral("menuPreviewZoom"));
    const auto onPreview = [this](void (preview::Form2::*run)()) {
        return [this, run] {
            if (mForm2 && mForm2->isVisible())
                (mForm2.get()->*run)();
        };
    };
    const QList<QAction*> zoomActions{
        command(previewZoom, "actionPreviewZoomIn", QStringLiteral("Zoom In"), {},
                onPreview(&preview::Form2::PushButton1_Click)),
        command(previewZoom, "actionPreviewZoomOut", QStringLiteral("Zoom Out"), {},
                onPreview(&preview::Form2::PushButton2_Click)),
        command(previewZoom, "actionPreviewZoomFit", QStringLiteral("Fit Page"), {},
                onPreview(&preview::Form2::ZoomToFit))};
    QObject::connect(&form.menu(Form1::Menu::View), &QMenu::aboutToShow, &form,
                     [this, zoomActions] {
                         const bool shown = mForm2 && mForm2->isVisible();
                         for (QAction* zoom : zoomActions)
                             zoom->setEnabled(shown);
                     });

    QMenu& page = form.menu(Form1::Menu::Page);
    command(page, "actionCreateTemplate", QStringLiteral("Start Creating Template"), {},
            [this] { mForm1->PushButton6_Click(); });
    page.addSeparator();
    mPageMenu = new preview::PageChoiceMenus(
        page, docgen::PageTheme::names(), slideSizeChoices(),
        [this](const preview::PageMenuChoice& choice) { choosePage(choice); });
    mPageMenu->setChoice(menuChoice());

    QMenu& help = form.menu(Form1::Menu::Help);
    command(help, "actionGuide", QStringLiteral("User Guide"), QKeySequence::HelpContents,
            [this] { showGuide(); });
    command(help, "actionAbout", QStringLiteral("About %1").arg(QLatin1String(app::kProductName)),
            {}, [this] { showAbout(); });
}

void Studio::fillRecentMenu()
{
    mRecentMenu->clear();
    const QStringList& recent = mDocuments->recent();
    for (qsizetype i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        QAction* action = mRecentMenu->addAction(QStringLiteral("&%1 %2")
                                                     .arg(i + 1 == 10 ? 0 : i + 1)
                                                     .arg(QDir::toNativeSeparators(path)));
        action->setObjectName(QStringLiteral("actionRecent%1").arg(i + 1));
        QObject::connect(action, &QAction::triggered, mForm1.get(), [this, path] {
            // Opened later: the menu being rebuilt must not remove the action running.
            QMetaObject::invokeMethod(
                mForm1.get(), [this, path] { openFile(path); }, Qt::QueuedConnection);
        });
    }
    mRecentMenu->setEnabled(!recent.isEmpty());
}

void Studio::outputPage(std::optional<office::PageFileKind> kind)
{
    const timeline::Timeline shown = shownTimeline();
    if (const std::optional<QString> refusal = pageRefusal(shown)) {
        mServices.dialogs.messageBox(*refusal, app::MessageButtons::Ok,
                                     app::MessageIcon::Exclamation);
        return;
    }
    // The page commands draw from a Word document, as the preview's do: this one is made
    // in a folder of its own, removed with it.
    QTemporaryDir work;
    const QString document = work.filePath(QStringLiteral("page.docx"));
    try {
        if (!work.isValid())
            throw app::Failure(
                QStringLiteral("Cannot make a temporary folder: %1").arg(work.errorString()));
        const filewrite::WriteResult written =
            filewrite::replaceFile(document, wordDocument(shown), filewrite::InPlace::Never,
                                   filewrite::Durability::Scratch);
        if (!written)
            throw app::Failure(written.reason);
    } catch (const app::Failure& failure) {
        mServices.dialogs.messageBox(failure.description(), app::MessageButtons::Ok,
                                     app::MessageIcon::Exclamation);
        return;
    }
    preview::PageCommands commands(mServices.dialogs, &mServices.clipboard);
    if (kind)
        commands.savePage(*kind, document, mForm1->titleText());
    else
        commands.printPage(document);
}

void Studio::showGuide()
{
    const QString guide = app::inFolder(mServices.programFolder, QLatin1String(kGuideFile));
    if (!app::FileExists(guide)) {
        mServices.dialogs.messageBox(
            QStringLiteral("The user guide is not there: %1").arg(QDir::toNativeSeparators(guide)),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(guide);
    if (!(mServices.openUrl ? mServices.openUrl(url) : QDesktopServices::openUrl(url)))
        mServices.dialogs.messageBox(QStringLiteral("The user guide could not be shown: %1")
                                         .arg(QDir::toNativeSeparators(guide)),
                                     app::MessageButtons::Ok, app::MessageIcon::Exclamation);
}

void Studio::showAbout()
{
    mServices.dialogs.messageBox(
        QStringLiteral("%1 %2\r\nLays out a one-page timeline and saves it as a Word document.")
            .arg(QLatin1String(app::kProductName), QLatin1String(LOOM_VERSION)),
        app::MessageButtons::Ok, app::MessageIcon::None,
        QStringLiteral("About %1").arg(QLatin1String(app::kProductName)));
}

} // namespace editor
