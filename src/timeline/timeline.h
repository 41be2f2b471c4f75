#pragma once

// The data side of the studio, which links no widgets. A Timeline is what the user edits
// and what a page is made of: a title, a scale, the entries (entry.h) and the page
// choices. The studio fills one from its windows, the command line from a CSV file
// (entrytable.h) or the store (settingsstore.h, lists in the format of entrylist.h), and
// the page build (docgen) turns it into a page. The date reader (datereader.h) reads the
// date texts for sorting, the order marks and a page spaced to scale; it never changes them.

#include "entry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace timeline {

// The numbers are the stored ones ("Option", the list keys "Timeline1" to "Timeline3").
enum class Scale
{
    Yearly = 1,
    Monthly = 2,
    Daily = 3,
};
inline constexpr int scaleNumber(Scale scale)
{
    return static_cast<int>(scale);
}
// Nothing for a number that names no scale.
std::optional<Scale> scaleOfNumber(int number);

enum class Layout
{
    Fit,     // every word shows
    Classic, // the original geometry, which may cut text
};
enum class Spacing
{
    Even,    // in list order, evenly along the bar
    ToScale, // each callout at its date's place on a time axis
};

// How the page is made. A stored value this program does not know reads as the default,
// so a hand edit never stops a page from being made.
struct PageChoices
{
    Layout layout = Layout::Fit;
    Spacing spacing = Spacing::Even;
    QString paper; // a paper's name as chosen or stored; empty: the region's
    QString theme; // a look's name as chosen or stored; empty: the original

    bool classic() const { return layout == Layout::Classic; }
    // "To scale" counts only on a fitted page; the classic one keeps its own places.
    bool spacedToScale() const { return spacing == Spacing::ToScale && layout == Layout::Fit; }

    friend bool operator==(const PageChoices&, const PageChoices&) = default;
};

struct Timeline
{
    QString title;
    Scale scale = Scale::Yearly;
    QList<Entry> entries;
    PageChoices page;
};

} // namespace timeline

namespace editor {
class SettingsStore;
}

namespace timeline {

// The page choices as the store keeps them. Loading never fails: an unreadable value
// reads as the default; with `notices`, it is also set aside (the studio's store), with a
// sentence for the user there. Saving writes the keys that differ from `before` (all
// when it is null) and throws app::Failure when the store cannot be written.
PageChoices loadPageChoices(editor::SettingsStore& store, QStringList* notices = nullptr);
void savePageChoices(editor::SettingsStore& store, const PageChoices& choices,
                     const PageChoices* before = nullptr);

} // namespace timeline
