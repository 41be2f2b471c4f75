#pragma once

#include "pagefit.h"

#include "app/mousepointer.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace office {
class Document;
}

namespace app {
class Clipboard;
class Dialogs;
} // namespace app

namespace docgen {

class AutomationFactory;

// What "Start Creating Template" needs from the main window and the preview window.
class TemplateHost
{
public:
    virtual ~TemplateHost() = default;
    virtual int entryCount() const = 0;
    virtual TimelineEntry entry(int row) const = 0; // rows count from 1
    virtual QString titleText() const = 0;
    virtual void setMousePointer(app::MousePointer pointer) = 0;
    // The hand-over: the page picture (loading the preview window on first use), the
    // document path, showing the preview and hiding the main window.
    virtual void setPreviewPicture(const QImage& page) = 0;
    virtual void setPreviewWordFile(const QString& path) = 0;
    // The document just saved there, as the embedded engine holds it, so the preview draws
    // it without reading the file again; a host that does not take it reads the file.
    virtual void setPreviewSheet(std::shared_ptr<const office::Document> sheet) { (void)sheet; }
    virtual void showPreview() = 0;
    virtual void hideMainWindow() = 0;
    // What the page handed over could not show; a host that does not say it ignores it.
    virtual void setFitReport(const FitReport& report) { (void)report; }
};

// A host with no window: the title and rows in, nothing shown or pointed at; the document
// comes back in the build's result.
class ListHost : public TemplateHost
{
public:
    ListHost(const QString& title, const QList<TimelineEntry>& entries)
        : mTitle(title), mEntries(entries)
    {}
    int entryCount() const override { return int(mEntries.size()); }
    TimelineEntry entry(int row) const override { return mEntries.value(row - 1); }
    QString titleText() const override { return mTitle; }
    void setMousePointer(app::MousePointer) override {}
    void setPreviewPicture(const QImage&) override {}
    void setPreviewWordFile(const QString&) override {}
    void showPreview() override {}
    void hideMainWindow() override {}

private:
    const QString& mTitle;
    const QList<TimelineEntry>& mEntries;
};

// How the next page is laid out, and on which paper (its word processor code; 0 keeps
// the new document's paper, which follows the region).
struct PageOptions
{
    LayoutStyle layout = LayoutStyle::Fit;
    int paperCode = 0;
    // Each entry's place on a time axis (0 to 1) for dates spaced to scale; empty: even.
    QList<double> timeAxis;
    // The look's name (pagetheme.h); empty or unknown: the original look.
    QString theme;
    // How far the spans among the entries reach (pagemarks.h); empty: no bands.
    QList<SpanReach> spans;
    // The timeline the page is made of, as the saved document carries it (a timeline XML
    // document, timeline/timelinexml.h); empty: the document carries none.
    QString data = {};
};

// The page the next press would build, made in memory: no file is written and nothing is
// shown. Null document when there is no page to build (no entries, too many, a failure).
struct PageSketch
{
    std::shared_ptr<const office::Document> document;
    PagePlan plan;
};

// A table cannot have more columns than this and still open in every word processor.
inline constexpr int kMaxPageEntries = 63;

// Draws a digit 1 to 9 for the document name; the default draws from the system's
// cryptographic source, so the name cannot be predicted.
using DigitSource = std::function<int()>;

// What a press made: the document it handed over (empty when none) and how many of its
// statements failed, the snapshot's among them, each shown in the error box.
struct BuildResult
{
    QString document;
    int failures = 0;

    bool made() const { return !document.isEmpty() && failures == 0; }
};

// The command behind "Start Creating Template": builds the timeline through the
// automation boundary, saves it under a fresh name in the temporary folder, renders it
// and hands it to the preview. Every statement runs under the command's error trap.
class TemplateBuilder
{
public:
    TemplateBuilder(app::Dialogs& dialogs, const AutomationFactory& factory,
                    app::Clipboard& clipboard, DigitSource digits = {});

    BuildResult PushButton6_Click(TemplateHost& host);

    // Where a press puts its document and the page picture; empty: the temporary folder.
    void setWorkFolder(const QString& folder) { mWorkFolder = folder; }

    void setPageOptions(const PageOptions& options) { mOptions = options; }
    const PageOptions& pageOptions() const { return mOptions; }
    // The plan of the last page built: its elements and what did not fit.
    const PagePlan& lastPlan() const { return mLastPlan; }

    // The page as a press would lay it out with these options, for a live view.
    PageSketch sketch(const QString& title, const QList<TimelineEntry>& entries,
                      const PageOptions& options) const;

    bool busy() const { return mBusy; }
    // The path of the last document handed to the preview; empty when none was.
    const QString& lastDocument() const { return mLastDocument; }

    // Draws names until one can be created exclusively in `folder` (never following an
    // existing link); returns its path. Throws app::Failure when the folder refuses.
    QString claimDocumentPath(const QString& folder);

private:
    app::Dialogs& mDialogs;
    const AutomationFactory& mFactory;
    app::Clipboard& mClipboard;
    DigitSource mDigits;
    bool mBusy = false;
    QString mLastDocument;
    PageOptions mOptions;
    PagePlan mLastPlan;
    QString mWorkFolder;
};

} // namespace docgen
