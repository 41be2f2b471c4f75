#pragma once

#include "form1.h"
#include "livepage.h"

#include "docgen/templatebuilder.h"
#include "timeline/timeline.h"

#include <QString>

#include <memory>

namespace app {
class Clipboard;
class Dialogs;
class TextClipboard;
class ProgramEnd;
} // namespace app

namespace docgen {
class AutomationFactory;
} // namespace docgen

namespace preview {
class Form2;
struct PageMenuChoice;
} // namespace preview

namespace editor {

class SettingsStore;

struct StudioServices
{
    app::Dialogs& dialogs;
    app::ProgramEnd& programEnd;
    SettingsStore& store;
    const docgen::AutomationFactory& factory;
    app::Clipboard& clipboard;
    QString programFolder;
    // Rows copied and pasted in the main window. Null: the system clipboard.
    app::TextClipboard* textClipboard = nullptr;
    // Where the engine puts the page picture the snapshot reads; the program gives the
    // engine's own, so a page made never replaces what the user copied. Null: `clipboard`.
    app::Clipboard* engineClipboard = nullptr;
};

// The two windows and the command between them. "Start Creating Template" on the main
// window runs the template builder with this object as its host: the main window gives
// the entries and the pointer, and the preview window, made on first use, receives the
// page and the document.
class Studio : private docgen::TemplateHost
{
public:
    explicit Studio(StudioServices services);
    ~Studio() override;

    // Runs the main window's start-up; false when the program has ended during it.
    bool start();

    Form1& mainWindow() { return *mForm1; }
    // The preview window, or null before the first page was delivered.
    preview::Form2* previewWindow() { return mForm2.get(); }
    const docgen::TemplateBuilder& builder() const { return mBuilder; }
    LivePage& livePage() { return *mLivePage; }
    // Another start asked for the studio: its window in use comes to the front.
    void bringToFront();

private:
    preview::Form2& previewForm();

    int entryCount() const override;
    docgen::TimelineEntry entry(int row) const override;
    QString titleText() const override;
    void setMousePointer(app::MousePointer pointer) override;
    void setPreviewPicture(const QImage& page) override;
    void setPreviewWordFile(const QString& path) override;
    void setPreviewSheet(std::shared_ptr<const office::Document> sheet) override;
    void showPreview() override;
    void hideMainWindow() override;
    void setFitReport(const docgen::FitReport& report) override;
    // Marks the list's rows whose text the page could not show, each with its reason.
    void markCutRows(const docgen::FitReport& report);
    // "Start Creating Template" with the page choices and, for dates to scale, their axis.
    void createPage();
    // "Save Page as PowerPoint Slide…": the shown timeline as a 16:9 slide at `path`.
    void saveSlide(const QString& path) const;
    // The timeline the windows show, with the page choices.
    timeline::Timeline shownTimeline() const;
    // The options of the page as chosen, with the notice of a page spaced evenly though
    // "To scale" is chosen.
    docgen::PageOptions pageOptions(QString* spacingNotice) const;
    // The page menu's Layout, Spacing and Paper: stored, then the page laid out again.
    void changePage(const preview::PageMenuChoice& choice);
    preview::PageMenuChoice menuChoice() const;

    StudioServices mServices;
    docgen::TemplateBuilder mBuilder;
    std::unique_ptr<Form1> mForm1;
    std::unique_ptr<preview::Form2> mForm2;
    std::unique_ptr<LivePage> mLivePage;
    timeline::PageChoices mPageChoice;
    QString mSpacingNotice; // why the last page is spaced evenly though "To scale" is chosen
};

} // namespace editor
