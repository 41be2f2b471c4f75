#pragma once

#include "timeline/timeline.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace app {
class Dialogs;
}

namespace editor {

class SettingsStore;

// The document the studio shows, kept beside the working state so that the next start
// names it again: its path (absent: none), whether it has unsaved changes ("1" or "0"),
// and the documents opened or saved last, newest first, one path a line.
inline constexpr const char* kDocumentPathKey = "Document";
inline constexpr const char* kDocumentChangedKey = "DocumentChanged";
inline constexpr const char* kRecentDocumentsKey = "RecentDocuments";
inline constexpr int kMaxRecentDocuments = 10;

// "Riverside Library.docx* – Loomchart Page Studio"; the product name alone while no
// document is named.
QString documentCaption(const QString& path, bool changed);
// `recent` with `path` first, no path twice, at most kMaxRecentDocuments.
QStringList withRecent(const QStringList& recent, const QString& path);
// Why no page can be made of the timeline (no entries, more than a page holds, more
// text than a document takes back), as the user is told; nothing when one can.
std::optional<QString> pageRefusal(const timeline::Timeline& timeline);

// What the document commands need of the windows.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;
    // The timeline shown, with its scale and page choices.
    virtual timeline::Timeline shownTimeline() const = 0;
    // Shows `timeline` on its scale: its title and rows replace those shown there in one
    // step for Undo named `step`, and its page choices become the page's.
    virtual void showTimeline(const timeline::Timeline& timeline, const QString& step) = 0;
    // The Word document of the timeline, carrying it; throws app::Failure when no page
    // can be made of it.
    virtual QByteArray wordDocument(const timeline::Timeline& timeline) = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// New, Open…, Open Recent, Save and Save As…, and the document's name and mark. The
// working state is stored at once as always; a document is what Save writes on request.
// Before New or Open replace a timeline with unsaved changes, the user chooses to save
// them, discard them or cancel.
class DocumentCommands
{
public:
    DocumentCommands(app::Dialogs& dialogs, SettingsStore& store, DocumentHost& host);

    // The document named and marked as the last run left it, and the recent list.
    void restore();

    void newDocument();
    // Asks for a file, then opens it.
    bool open();
    // Reads any file Open reads; a file that holds no timeline of the studio is refused
    // with a message naming it, and nothing changes. Returns whether it was opened.
    bool openFile(const QString& path);
    bool save();
    bool saveAs();

    // The shown timeline changed.
    void changed();

    const QString& path() const { return mPath; }
    bool hasChanges() const { return mChanged; }
    const QStringList& recent() const { return mRecent; }

private:
    // Asks what becomes of unsaved changes; false when the user cancelled or the save
    // failed.
    bool settleChanges();
    bool writeTo(const QString& path, const QString& label);
    void setDocument(const QString& path, bool changed);
    void remember(const QString& path);
    void keep(const char* key, const QString& value);

    app::Dialogs& mDialogs;
    SettingsStore& mStore;
    DocumentHost& mHost;
    QString mPath;
    bool mChanged = false;
    bool mReplacing = false;
    QStringList mRecent;
};

} // namespace editor
