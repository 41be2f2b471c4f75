#pragma once

#include "app/failure.h"
#include "entrylist.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace editor {

// Where the editor keeps its state between runs. Every key belongs to application
// "Brindlewick", section "Loomchart Page Studio".
inline constexpr const char* kStoreApplication = "Brindlewick";
inline constexpr const char* kStoreSection = "Loomchart Page Studio";
inline constexpr const char* kOptionKey = "Option";
// The title of the scale last shown, as an older version reads it; each scale's own title
// is under titleKey() too.
inline constexpr const char* kTitleKey = "Text1";
// The folder the last save dialog saved in.
inline constexpr const char* kSaveFolderKey = "SaveFolder";
// The page choices (timeline.h): "Layout" ("Fit" or "Classic"), "Paper" (a paper's name;
// absent means the region's paper) and how the page spaces the callouts, "Spacing":
// "Even" (also when absent or another text) or "To scale".
inline constexpr const char* kLayoutKey = "Layout";
inline constexpr const char* kPaperKey = "Paper";
// The page's look by name; absent means the original look.
inline constexpr const char* kThemeKey = "Theme";
inline constexpr const char* kSpacingKey = "Spacing";
inline constexpr const char* kSpacingEven = "Even";
inline constexpr const char* kSpacingToScale = "To scale";
// The size a slide is saved on from the studio, by the command line's name for it ("16:9",
// "4:3"; slide/slidesize.h); absent or another text means 16:9. The studio's own choice:
// the timeline a file carries does not hold it.
inline constexpr const char* kSlideSizeKey = "SlideSize";

// "Timeline" followed by the scale number, 1 to 3.
QString timelineKey(int scale);
// "Title" followed by the scale number: that scale's own title.
QString titleKey(int scale);
// Beside each list, the fields its entries hold past the date and notes (entrylist.h's
// encodeEntryDetails): "Timeline" followed by the scale number and "Details". A version
// that does not know them reads the list as it always did.
QString timelineDetailsKey(int scale);

// A value is there but cannot be read: its file is damaged or may not be opened.
class UnreadableSetting : public app::Failure
{
public:
    using app::Failure::Failure;
};

// Reading names a default for an absent key; writing creates or replaces the value and
// is on disk when it returns. Both throw app::Failure when the store cannot be used, and
// read throws UnreadableSetting when the value is there but cannot be read, or is not
// plain text (a list or a typed value, as a hand edit or another INI writer may leave).
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& key, const QString& defaultValue) = 0;
    virtual void write(const QString& key, const QString& value) = 0;
    // A value made of pieces that each end in `terminator` (a stored list), read up to
    // the end of the `maxPieces`th piece. `cut` tells whether more followed, unread.
    struct Pieces
    {
        QString value;
        bool cut = false;
    };
    virtual Pieces readPieces(const QString& key, QStringView terminator, int maxPieces);
    // Moves an unreadable value out of the way, untouched, so that the key reads as
    // absent and a write does not destroy what could not be read. Returns where it went,
    // for the user; throws app::Failure when it cannot be moved.
    virtual QString setAside(const QString& key);
};

// Reads a key the studio owns. A value that cannot be read is moved aside (setAside), so
// the next write cannot destroy it, and the default is returned with a sentence for the
// user in `notices` naming `what` the value was and where it went. Throws app::Failure
// when the store cannot be used or the value cannot be moved.
QString readOrSetAside(SettingsStore& store, const QString& key, const QString& defaultValue,
                       const QString& what, QStringList& notices);
// Reads a choice, never failing: a value that cannot be read gives the default, and with
// `notices` it is also set aside as readOrSetAside does.
QString readChoice(SettingsStore& store, const QString& key, const QString& defaultValue,
                   const QString& what, QStringList* notices);
// The stored title of `scale`: the title key's when it is the scale last shown ("Option"),
// else its own key's, or the title key's when it has none (a store an older version
// wrote, which showed that title on every scale). Throws as read() does.
QString storedTitle(SettingsStore& store, int scale);

// Writes the details of the list of `scale` beside it; nothing when no entry has any and
// none are stored, so a list without them leaves no trace. Throws app::Failure.
void writeEntryDetails(SettingsStore& store, int scale, const QList<TimelineEntry>& entries);
// Gives the entries of the stored list of `scale` their details, read no further than
// kMaxListEntries pieces. A value that cannot be read gives none; with `notices` it is
// also set aside, with a sentence for the user there. Throws app::Failure when the store
// cannot be used.
void readEntryDetails(SettingsStore& store, int scale, QList<TimelineEntry>& entries,
                      QStringList* notices = nullptr);

// One INI file per key in the folder, each holding the section as its group. A list
// grows to megabytes; keeping each key in a file of its own means a keystroke in the
// title rewrites only the title. Each write goes through the safe writer
// (filewrite/safefile.h), so a crash leaves either the old or the new value, and a key
// file linked elsewhere stays a link. Any INI reader, QSettings among them, reads the
// files. QSettings caches a file it read until its size or time changes, which a file
// system with a coarse clock may not show; a file this process wrote and nobody replaced
// since (the same inode, of the same size) is therefore answered with the value written.
class QSettingsStore : public SettingsStore
{
public:
    // The per-user configuration folder followed by "Brindlewick".
    static QString defaultFolder();

    explicit QSettingsStore(QString folder = defaultFolder());
    ~QSettingsStore() override;
    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;
    // Counts the pieces in the file's bytes first, so a list far past the cap is never
    // loaded whole.
    Pieces readPieces(const QString& key, QStringView terminator, int maxPieces) override;
    // Renames the key's file to "<key> (unreadable, set aside <date time>).ini".
    QString setAside(const QString& key) override;

    const QString& folder() const { return mFolder; }
    QString filePath(const QString& key) const;

    // The bytes of the key's file: the section's group and the one value.
    static QByteArray fileContents(const QString& key, QStringView value);

private:
    QString mFolder;
};

} // namespace editor
