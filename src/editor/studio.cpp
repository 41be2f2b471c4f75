#include "studio.h"

#include "docgen/wordcheck.h"
#include "preview/form2.h"

#include "app/dialogs.h"
#include "app/failure.h"
#include "app/fileutil.h"

namespace editor {

Studio::Studio(StudioServices services)
    : mServices(services), mBuilder(services.dialogs, services.factory, services.clipboard)
{
    Form1Services formServices{mServices.dialogs,
                               mServices.programEnd,
                               mServices.store,
                               mServices.programFolder,
                               [this] {
                                   return docgen::EnsureWordAvailable(
                                       mServices.factory, mServices.dialogs, mServices.programEnd);
                               },
                               [this] { mBuilder.PushButton6_Click(*this); },
                               mServices.textClipboard};
    mForm1 = std::make_unique<Form1>(formServices);
    mPageChoice = PageChoice::load(mServices.store);
    mBuilder.setPageOptions(mPageChoice.options());
}

Studio::~Studio() = default;

bool Studio::start()
{
    if (!mForm1->Form_Load())
        return false;
    mForm1->show();
    return true;
}

preview::Form2& Studio::previewForm()
{
    if (!mForm2) {
        preview::Form2Services formServices{mServices.dialogs,
                                            mServices.programEnd,
                                            mServices.programFolder,
                                            [this] { mForm1->show(); },
                                            [this] { mForm1->SaveScaleEntries(); },
                                            &mServices.clipboard,
                                            [this](const QString& paper, bool classic) {
                                                changePage(paper, classic);
                                            }};
        mForm2 = std::make_unique<preview::Form2>(formServices);
        mForm2->setPageChoices(mPageChoice.paperShown(), mPageChoice.classic);
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
                              int(report.cutLines().size()));
}

void Studio::changePage(const QString& paper, bool classic)
{
    PageChoice choice = mPageChoice;
    choice.classic = classic;
    if (!paper.isEmpty())
        choice.paper = paper;
    try {
        choice.save(mServices.store);
    } catch (const app::Failure& failure) {
        // The page is still laid out as asked; only keeping the choice failed.
        mServices.dialogs.messageBox(
            QStringLiteral("The page choice could not be kept: %1").arg(failure.description()),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    }
    mPageChoice = choice;
    mBuilder.setPageOptions(mPageChoice.options());
    const QString before = mBuilder.lastDocument();
    mBuilder.PushButton6_Click(*this);
    preview::Form2& form = previewForm();
    form.setPageChoices(mPageChoice.paperShown(), mPageChoice.classic);
    if (mBuilder.lastDocument() != before) {
        // The page shown is the new one; the one it replaced belongs to nobody now.
        app::RemoveFile(before);
        form.Form_Activate();
    }
}

} // namespace editor
