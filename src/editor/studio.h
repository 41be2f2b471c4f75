#pragma once

#include "documentcommands.h"
#include "form1.h"
#include "livepage.h"

#include "docgen/templatebuilder.h"
#include "office/pageexport.h"
#include "timeline/timeline.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace app {
class Clipboard;
class Dialogs;
class TextClipboard;
class ProgramEnd;
} // namespace app

namespace docgen {
class AutomationFactory;
} // namespace docgen

namespace slide {
struct SlideSize;
} // namespace slide

namespace preview {
class Form2;
class PageChoiceMenus;
struct PageMenuChoice;
} // namespace preview

class QMenu;

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
    // Shows the user guide. Unset: the desktop's own handler.
    std::function<bool(const QUrl&)> openUrl = {};
};

// The user guide beside the program.
inline constexpr const char* kGuideFile = "README.md";

// The two windows and the command between them. "Start Creating Template" on the main
// window runs the template builder with this object as its host: the main window gives
// the entries and the pointer, and the preview window, made on first use, receives the
// page and the document.
class Studio : private docgen::TemplateHost, private DocumentHost
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
    // The document commands of the File menu.
    DocumentCommands& documents() { return *mDocuments; }
    // Opens a file Open reads (the command line's, or one handed over by another start),
    // in the main window.
    bool openFile(const QString& path);

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
    // "Save Page as PowerPoint Slide…": the shown timeline as a slide of the size chosen
    // in the page menus at `path`.
    void saveSlide(const QString& path) const;
    // The timeline the windows show, with the page choices.
    timeline::Timeline shownTimeline() const override;
    // DocumentHost
    void showTimeline(const timeline::Timeline& timeline, const QString& step) override;
    QByteArray wordDocument(const timeline::Timeline& timeline) override;
    void setCaption(const QString& caption) override;
    // The menu bar's File, Page and Help menus.
    void createMenus();
    void fillRecentMenu();
    // The main window's page outputs: the page of the shown timeline saved as `kind`, or
    // printed when there is none.
    void outputPage(std::optional<office::PageFileKind> kind);
    void showGuide();
    void showAbout();
    // A page choice from either page menu: stored, and shown by the page beside the list
    // and by both menus.
    void choosePage(const preview::PageMenuChoice& choice);
    // The options of the page as chosen, with the notice of a page spaced evenly though
    // "To scale" is chosen.
    docgen::PageOptions pageOptions(QString* spacingNotice) const;
    // The page menu's Layout, Spacing and Paper: stored, then the page laid out again; the
    // slide's size alone is only stored.
    void changePage(const preview::PageMenuChoice& choice);
    preview::PageMenuChoice menuChoice() const;

    StudioServices mServices;
    docgen::TemplateBuilder mBuilder;
    std::unique_ptr<Form1> mForm1;
    std::unique_ptr<preview::Form2> mForm2;
    std::unique_ptr<LivePage> mLivePage;
    std::unique_ptr<DocumentCommands> mDocuments;
    preview::PageChoiceMenus* mPageMenu = nullptr;
    QMenu* mRecentMenu = nullptr;
    timeline::PageChoices mPageChoice;
    const slide::SlideSize* mSlideSize = nullptr; // the size of the slides saved
    QString mSpacingNotice; // why the last page is spaced evenly though "To scale" is chosen
};

} // namespace editor
