#include "studio.h"

#include "docgen/pagetheme.h"
#include "docgen/timelinepage.h"
#include "docgen/wordcheck.h"
#include "preview/form2.h"
#include "slide/slidewriter.h"

#include "app/dialogs.h"
#include "app/failure.h"
#include "app/fileutil.h"

namespace editor {

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
    QStringList notices;
    mPageChoice = timeline::loadPageChoices(mServices.store, &notices);
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
}

Studio::~Studio() = default;

bool Studio::start()
{
    if (!mForm1->Form_Load())
        return false;
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
            [this](const QString& path) { saveSlide(path); }};
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
    const slide::SlideSize& size = slide::kDefaultSlideSize;
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
                                   docgen::themeShown(mPageChoice)};
}

void Studio::changePage(const preview::PageMenuChoice& menu)
{
    timeline::PageChoices choice = mPageChoice;
    choice.layout = menu.classic ? timeline::Layout::Classic : timeline::Layout::Fit;
    choice.spacing = menu.toScale ? timeline::Spacing::ToScale : timeline::Spacing::Even;
    // The menu shows the region's paper when none was chosen; only another one is a choice.
    if (!menu.paper.isEmpty() && menu.paper != docgen::paperShown(mPageChoice))
        choice.paper = menu.paper;
    if (!menu.theme.isEmpty())
        choice.theme = menu.theme;
    try {
        timeline::savePageChoices(mServices.store, choice, &mPageChoice);
    } catch (const app::Failure& failure) {
        // The page is still laid out as asked; only keeping the choice failed.
        mServices.dialogs.messageBox(
            QStringLiteral("The page choice could not be kept: %1").arg(failure.description()),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    }
    mPageChoice = choice;
    mLivePage->changed();
    const QString before = mBuilder.lastDocument();
    createPage();
    preview::Form2& form = previewForm();
    form.setPageChoices(menuChoice());
    if (mBuilder.lastDocument() != before) {
        // The page shown is the new one; the one it replaced belongs to nobody now.
        app::RemoveFile(before);
        form.Form_Activate();
    }
}

} // namespace editor
