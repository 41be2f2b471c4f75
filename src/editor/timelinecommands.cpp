#include "timelinecommands.h"

#include "timeline/numbertext.h"
#include "timeline/samples.h"
#include "timeline/scale.h"
#include "timeline/settingsstore.h"

#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/locationlabels.h"

#include <QDir>

namespace editor {
namespace {
struct DateQuestion
{
    const char* prompt;
    const char* caption;
};

// Indexed by scale number minus one.
constexpr DateQuestion kDateQuestions[] = {
    {"Enter Year: ", "Input Year"},
    {"Enter Month Year: ", "Input Month Year"},
    {"Enter Date: ", "Input Date"},
};

const QString kNoObject = QStringLiteral("Object variable or With block variable not set");

QString capacityRefusal()
{
    return QStringLiteral("The list already holds %1 entries, the most it can hold. "
                          "Nothing was added.")
        .arg(kMaxListEntries);
}
struct EntryRefusal
{
    QString text;
    app::MessageIcon icon = app::MessageIcon::Exclamation;
};

EntryRefusal entryRefusal(EntryFault fault, QLatin1StringView field)
{
    switch (fault) {
    case EntryFault::NotAYear:
    case EntryFault::EndBeforeStart:
        return {describeFault(fault, field), app::MessageIcon::None};
    case EntryFault::Separator:
        return {describeFault(fault, field) + QStringLiteral(" Nothing was added."),
                app::MessageIcon::Exclamation};
    case EntryFault::None:
    case EntryFault::Blank:
        break;
    }
    return {describeFault(fault, field), app::MessageIcon::Exclamation};
}
} // namespace

TimelineCommands::TimelineCommands(app::Dialogs& dialogs, SettingsStore& store,
                                   EntryListModel& entries, EditorView& view)
    : mDialogs(dialogs), mStore(store), mEntries(entries), mView(view), mHistory(entries, view)
{}

std::optional<TimelineEntry> TimelineCommands::askEntry(app::Trap& trap, int base,
                                                        const TimelineEntry& prefill)
{
    const int shift = base - 100;
    const auto ask = [&](int number, int scale, QString& answer) {
        trap.step(number + shift, [&] {
            const DateQuestion& question = kDateQuestions[scale - 1];
            answer = mDialogs.inputBox(QLatin1String(question.prompt),
                                       QLatin1String(question.caption), prefill.date);
        });
    };
    QString date;
    if (trap.test(100 + shift, [&] { return mView.selectedScale() == 1; }))
        ask(102, 1, date);
    else if (trap.test(104 + shift, [&] { return mView.selectedScale() == 2; }))
        ask(106, 2, date);
    else if (trap.test(108 + shift, [&] { return mView.selectedScale() == 3; }))
        ask(110, 3, date);

    const auto fault = [&] { return dateFault(date, mView.selectedScale()); };
    if (trap.test(112 + shift, [&] { return fault() == EntryFault::Blank; }))
        return std::nullopt;
    if (trap.test(114 + shift, [&] { return fault() == EntryFault::NotAYear; })) {
        trap.step(114 + shift,
                  [&] { sayRefusal(EntryFault::NotAYear, QLatin1StringView("date")); });
        return std::nullopt;
    }
    // Refused before the notes question, so nobody types notes for a date that is lost.
    if (trap.test(114 + shift, [&] { return fault() == EntryFault::Separator; })) {
        trap.step(114 + shift,
                  [&] { sayRefusal(EntryFault::Separator, QLatin1StringView("date")); });
        return std::nullopt;
    }
    if (trap.test(114 + shift, [&] { return fault() == EntryFault::EndBeforeStart; })) {
        trap.step(114 + shift,
                  [&] { sayRefusal(EntryFault::EndBeforeStart, QLatin1StringView("date")); });
        return std::nullopt;
    }

    QString notes;
    trap.step(116 + shift, [&] {
        notes = mDialogs.inputBox(QStringLiteral("Enter Notes: "), QStringLiteral("Input Notes"),
                                  prefill.notes);
    });
    if (trap.test(118 + shift, [&] { return notesFault(notes) == EntryFault::Blank; }))
        return std::nullopt;
    if (trap.test(118 + shift, [&] { return notesFault(notes) == EntryFault::Separator; })) {
        trap.step(118 + shift,
                  [&] { sayRefusal(EntryFault::Separator, QLatin1StringView("notes")); });
        return std::nullopt;
    }
    // What the questions do not ask about (category, milestone) stays as it was.
    TimelineEntry entry = prefill;
    entry.date = date;
    entry.notes = notes;
    return entry;
}

void TimelineCommands::sayRefusal(EntryFault fault, QLatin1StringView field)
{
    const EntryRefusal refusal = entryRefusal(fault, field);
    mDialogs.messageBox(refusal.text, app::MessageButtons::Ok, refusal.icon);
}

bool TimelineCommands::refuseWhenFull(app::Trap& trap, int number, int adding)
{
    if (!trap.test(number, [&] { return mEntries.rowCount() + adding > kMaxListEntries; }))
        return false;
    trap.step(number, [&] {
        mDialogs.messageBox(capacityRefusal(), app::MessageButtons::Ok,
                            app::MessageIcon::Exclamation);
    });
    return true;
}

void TimelineCommands::addEntry()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1AddTimeline));
    const std::optional<TimelineEntry> entry = askEntry(trap, 100);
    if (!entry || refuseWhenFull(trap, 118))
        return;

    int row = -1;
    mHistory.beginGroup(QStringLiteral("Add Timeline"));
    trap.step(120, [&] {
        row = mEntries.rowCount();
        mHistory.splice(row, 0, {{entry->date, QString()}}, QString());
    });
    trap.step(122, [&] { mHistory.splice(row, 1, {*entry}, QString()); });
    mHistory.endGroup();
    showTouchedRow();
    trap.step(124, [&] { storeShownList(); });
}

void TimelineCommands::deleteSelected()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1DeleteTimeline));
    if (trap.test(100, [&] { return mEntries.rowCount() == 0; }))
        return;
    trap.step(102, [&] {
        const QList<int> rows = mView.selectedRows();
        if (rows.isEmpty())
            throw app::Failure(kNoObject);
        // Several selected rows go in one step, the last first so the others stay put.
        mHistory.beginGroup(QStringLiteral("Delete Selected Timeline"));
        try {
            for (auto row = rows.crbegin(); row != rows.crend(); ++row)
                mHistory.splice(*row, 1, {}, QString());
        } catch (...) {
            mHistory.endGroup();
            throw;
        }
        mHistory.endGroup();
        if (mEntries.rowCount() > 0)
            mView.showRow(std::min(rows.first(), mEntries.rowCount() - 1));
    });
    trap.step(102, [&] { storeShownList(); });
}

void TimelineCommands::clear()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1Clear));
    mHistory.beginGroup(QStringLiteral("Clear/Reset Data"));
    trap.step(100, [&] { mHistory.setTitle(QString(), QString()); });
    trap.step(102, [&] { mHistory.replaceAll({}, QString()); });
    mHistory.endGroup();
    trap.step(102, [&] { storeShownList(); });
}

void TimelineCommands::loadSample()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1LoadSample));
    // Title and list come back together with one undo.
    mHistory.beginGroup(QStringLiteral("Load Sample/Example Data"));
    trap.step(100, [&] { mHistory.setTitle(QLatin1String(kSampleTitle), QString()); });
    trap.step(102, [&] { mHistory.replaceAll({}, QString()); });

    // Each row takes two statements: the append with its date, then its notes.
    const auto appendSample = [&](int scale, int firstNumber) {
        const QList<TimelineEntry> sample = sampleEntries(scale);
        for (int i = 0; i < sample.size(); ++i) {
            int row = -1;
            trap.step(firstNumber + 4 * i, [&] {
                row = mEntries.rowCount();
                mHistory.splice(row, 0, {{sample.at(i).date, QString()}}, QString());
            });
            trap.step(firstNumber + 4 * i + 2,
                      [&] { mHistory.splice(row, 1, {sample.at(i)}, QString()); });
        }
    };
    if (trap.test(104, [&] { return mView.selectedScale() == 1; }))
        appendSample(1, 106);
    else if (trap.test(138, [&] { return mView.selectedScale() == 2; }))
        appendSample(2, 140);
    else if (trap.test(172, [&] { return mView.selectedScale() == 3; }))
        appendSample(3, 174);
    mHistory.endGroup();

    int scale = 0;
    if (trap.test(206, [&] { return mView.selectedScale() == 1; }))
        trap.step(208, [&] { scale = 1; });
    else if (trap.test(210, [&] { return mView.selectedScale() == 2; }))
        trap.step(212, [&] { scale = 2; });
    else if (trap.test(214, [&] { return mView.selectedScale() == 3; }))
        trap.step(216, [&] { scale = 3; });
    // The rows shown are now this scale's, whether or not the write below succeeds.
    if (scale != 0)
        mShownScale = scale;

    QString stored;
    trap.step(218, [&] { stored.clear(); });
    trap.step(222, [&] { stored = encodeEntryList(mEntries.entries()); });
    trap.step(226, [&] {
        if (scale == 0)
            throw app::Failure(QStringLiteral("No scale is selected"));
        mStore.write(timelineKey(scale), stored);
        writeEntryDetails(mStore, scale, mEntries.entries());
    });
}

void TimelineCommands::replaceTimeline(const QString& title, const QList<TimelineEntry>& entries,
                                       const QString& text)
{
    mHistory.beginGroup(text);
    try {
        mHistory.setTitle(title, QString());
        mHistory.replaceAll(entries, QString());
    } catch (...) {
        mHistory.endGroup();
        throw;
    }
    mHistory.endGroup();
    storeShownList();
}

void TimelineCommands::changeScale(int scale)
{
    // The load handler loads the list itself once the stored option is selected.
    if (mStarting)
        return;
    const int previous = mShownScale;
    if (previous != 0 && previous != scale && !attempt([&] {
            mStore.write(timelineKey(previous), encodeEntryList(mEntries.entries()));
            writeEntryDetails(mStore, previous, mEntries.entries());
        })) {
        // The rows could not be written: stay on their scale rather than drop them.
        mView.selectScale(previous);
        return;
    }
    if (previous != 0 && previous != scale)
        mLeftRows[previous] = mEntries.entries();
    writeTyped(QLatin1String(kOptionKey), QString::number(scale));
    if (scale != previous)
        attempt([&] { loadScaleEntries(); });
}

void TimelineCommands::titleChanged(const QString& text)
{
    const QString before = std::exchange(mTitle, text);
    if (mStarting)
        return;
    if (!mHistory.applying())
        mHistory.typeTitle(before, text);
    writeTyped(QLatin1String(kTitleKey), text);
}

void TimelineCommands::writeTyped(const QString& key, const QString& value)
{
    try {
        mStore.write(key, value);
        mUnsaved.remove(key);
    } catch (...) {
        // Kept to be written at the next change or at the close, so nothing typed is lost;
        // said once for the run, not once per keystroke.
        mUnsaved.insert(key, value);
        if (!mTypedFailureSaid) {
            mTypedFailureSaid = true;
            mDialogs.messageBox(app::describeCurrentException(), app::MessageButtons::Ok,
                                app::MessageIcon::Exclamation);
        }
    }
}

void TimelineCommands::loadScaleEntries()
{
    const int scale = mView.selectedScale();
    if (scale == 0)
        throw app::Failure(QStringLiteral("No scale is selected"));
    // Read before the rows go: when the store fails, the rows stay with their own scale.
    SettingsStore::Pieces stored;
    try {
        stored = mStore.readPieces(timelineKey(scale), kEntryTerminator, kMaxListEntries);
    } catch (const UnreadableSetting& unreadable) {
        // What cannot be read is kept for the user, and the scale gets a fresh list that
        // is stored like any other; when it cannot be moved, the failure goes on.
        const QString keptAs = mStore.setAside(timelineKey(scale));
        mEntries.clear();
        mShownScale = scale;
        mHistory.showScale(scale, false);
        mDialogs.messageBox(
            QStringLiteral("The saved %1 list could not be read (%2). It was "
                           "kept as \"%3\". The list starts empty, and what "
                           "you add is saved as usual.")
                .arg(scaleName(scale), unreadable.description(), QDir::toNativeSeparators(keptAs)),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        return;
    }
    // A list past the cap is never loaded whole: its file is kept for the user, and the
    // entries within the cap become the stored list.
    const QString keptAs = stored.cut ? mStore.setAside(timelineKey(scale)) : QString();
    QList<TimelineEntry> rows = decodeEntryList(stored.value);
    QStringList notices;
    readEntryDetails(mStore, scale, rows, &notices);
    for (const QString& notice : notices)
        mDialogs.messageBox(notice, app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    // The history of the scale applies to the rows it left, not to a list changed since.
    const bool keep = !stored.cut && mLeftRows[scale] == rows;
    mEntries.setEntries(std::move(rows));
    mShownScale = scale;
    mHistory.showScale(scale, keep);
    if (!stored.cut)
        return;
    mDialogs.messageBox(QStringLiteral("The saved %1 list holds more than %2 entries. The first "
                                       "%2 were loaded; the whole list was kept as \"%3\".")
                            .arg(scaleName(scale))
                            .arg(kMaxListEntries)
                            .arg(QDir::toNativeSeparators(keptAs)),
                        app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    storeShownList();
}

void TimelineCommands::saveScaleEntries()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1QueryUnload));
    int scale = 0;
    trap.step(100, [&] { scale = mShownScale; });
    QString stored;
    trap.step(112, [&] { stored.clear(); });
    trap.step(116, [&] { stored = encodeEntryList(mEntries.entries()); });
    trap.step(120, [&] {
        if (scale != 0) {
            mStore.write(timelineKey(scale), stored);
            writeEntryDetails(mStore, scale, mEntries.entries());
        }
    });
    for (auto unsaved = mUnsaved.cbegin(); unsaved != mUnsaved.cend(); ++unsaved)
        trap.step(120, [&] { mStore.write(unsaved.key(), unsaved.value()); });
}

void TimelineCommands::storeShownList()
{
    if (mShownScale == 0)
        throw app::Failure(QStringLiteral("The list cannot be saved: the saved list of this "
                                          "scale could not be read."));
    mStore.write(timelineKey(mShownScale), encodeEntryList(mEntries.entries()));
    writeEntryDetails(mStore, mShownScale, mEntries.entries());
}

void TimelineCommands::showTouchedRow()
{
    if (const std::optional<ListHistory::Touched> rows = mHistory.touched();
        rows && rows->row >= 0 && rows->row + rows->count <= mEntries.rowCount())
        mView.showRows(rows->row, rows->count);
}

void TimelineCommands::beginStartUp()
{
    mStarting = true;
}

void TimelineCommands::restoreTitle(app::Trap& trap)
{
    trap.step(128, [&] {
        mView.setTitleText(
            readOrSetAside(QLatin1String(kTitleKey), QString(), QStringLiteral("title")));
    });
}

QString TimelineCommands::readOrSetAside(const QString& key, const QString& defaultValue,
                                         const QString& what)
{
    QStringList notices;
    const QString value = editor::readOrSetAside(mStore, key, defaultValue, what, notices);
    for (const QString& notice : notices)
        mDialogs.messageBox(notice, app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    return value;
}

void TimelineCommands::restoreScale(app::Trap& trap)
{
    const auto storedOption = [&] {
        return toWholeNumber(readOrSetAside(QLatin1String(kOptionKey), QStringLiteral("1"),
                                            QStringLiteral("scale")));
    };
    if (trap.test(138, [&] { return storedOption() == 1; }))
        trap.step(140, [&] { mView.selectScale(1); });
    else if (trap.test(142, [&] { return storedOption() == 2; }))
        trap.step(144, [&] { mView.selectScale(2); });
    else if (trap.test(146, [&] { return storedOption() == 3; }))
        trap.step(148, [&] { mView.selectScale(3); });
}

void TimelineCommands::finishStartUp()
{
    mStarting = false;
}

bool TimelineCommands::attempt(const std::function<void()>& action)
{
    // The title box and the options have no trap of their own; a failure is still said,
    // in a box that names no caption of its own, and the handler ends.
    try {
        action();
        return true;
    } catch (...) {
        mDialogs.messageBox(app::describeCurrentException(), app::MessageButtons::Ok,
                            app::MessageIcon::Exclamation);
        return false;
    }
}

} // namespace editor
