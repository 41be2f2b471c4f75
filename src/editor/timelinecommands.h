#pragma once

#include "editorview.h"
#include "entrylistmodel.h"
#include "listhistory.h"
#include "timeline/scale.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace app {
class Dialogs;
class Trap;
} // namespace app

namespace editor {

class SettingsStore;

// The editing commands of the main window and the moves of a list between the list
// control and the store. The trapped commands number their statements for the error box.
// Every change of the shown list is written under its scale at once, and kept in the
// history of its scale for undo, as is each burst of typing in the title.
//
// The shown rows belong to the scale whose list was last loaded. Changing the scale
// first writes them under that scale, so switching never drops work; until the first
// load nothing is written at all, so selecting the stored option at start-up cannot
// overwrite a stored list with the empty list of the layout.
class TimelineCommands
{
public:
    TimelineCommands(app::Dialogs& dialogs, SettingsStore& store, EntryListModel& entries,
                     EditorView& view);

    void addEntry();       // "Add Timeline"
    void deleteSelected(); // "Delete Selected Timeline"
    void clear();          // "Clear/Reset Data"
    void loadSample();     // "Load Sample/Example Data"

    // New and Open: the title and the rows shown are replaced, one step for Undo named
    // `text`, and the list is stored. Throws app::Failure when it cannot be stored.
    void replaceTimeline(const QString& title, const QList<TimelineEntry>& entries,
                         const QString& text);

    // A scale option became selected, by the user or by code.
    void changeScale(int scale);
    // Every change of the title text.
    void titleChanged(const QString& text);
    // The title box lost the focus: the typing there so far is one step.
    void titleEditingFinished() { mHistory.endTyping(); }

    // Replaces the rows by the stored list of the selected scale. No trap of its own:
    // throws app::Failure to the caller.
    void loadScaleEntries();
    // Writes the rows under the scale they belong to, under the close handler's trap.
    // Does nothing before a list was loaded.
    void saveScaleEntries();

    // Start-up steps of the window's load handler, run under its trap. Writes stay off
    // from beginStartUp() until finishStartUp(); the values restored are the stored ones.
    void beginStartUp();
    void restoreTitle(app::Trap& trap);
    void restoreScale(app::Trap& trap);
    void finishStartUp();

    // The scale whose list the rows are, 0 before the first load.
    int shownScale() const { return mShownScale; }

    // Writes the shown rows under their scale; throws app::Failure.
    void storeShownList();

    // The two questions of "Add Timeline" and their rules, prefilled with `prefill`. The
    // statement numbers are Add's, moved by `base` - 100. Empty when the user cancelled
    // or a rule refused the answer (the refusal has been said).
    std::optional<TimelineEntry> askEntry(app::Trap& trap, int base,
                                          const TimelineEntry& prefill = {});
    // Says that the list is full; true when it is.
    bool refuseWhenFull(app::Trap& trap, int number, int adding = 1);

    // Says why a rule of "Add Timeline" refused a date or notes text, `field` naming
    // which. The questions take a blank answer as Cancel and say nothing; a cell edited
    // in place says that it is blank.
    void sayRefusal(EntryFault fault, QLatin1StringView field);

    ListHistory& history() { return mHistory; }
    EntryListModel& entries() { return mEntries; }
    EditorView& view() { return mView; }
    // Shows the rows the last change, undo or redo left standing out.
    void showTouchedRow();

private:
    // Runs an untrapped handler's step; shows its failure and returns false.
    bool attempt(const std::function<void()>& action);
    // Reads a setting; one that cannot be read is set aside and said, and reads as absent.
    QString readOrSetAside(const QString& key, const QString& defaultValue, const QString& what);
    // Writes a value that changes on every keystroke or click (title, scale option).
    void writeTyped(const QString& key, const QString& value);

    app::Dialogs& mDialogs;
    SettingsStore& mStore;
    EntryListModel& mEntries;
    EditorView& mView;
    ListHistory mHistory;
    int mShownScale = 0;
    bool mStarting = false;
    // Values whose last write failed, by key, and whether such a failure was said.
    QHash<QString, QString> mUnsaved;
    bool mTypedFailureSaid = false;
    // The title as the last change left it: the start of the next typing step.
    QString mTitle;
    // The rows each scale showed when it was left; its history goes on only from them.
    std::array<std::optional<QList<TimelineEntry>>, kScaleCount + 1> mLeftRows;
};

} // namespace editor
