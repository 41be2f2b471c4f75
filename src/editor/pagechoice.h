#pragma once

#include "timeline/entrylist.h"

#include "docgen/templatebuilder.h"

#include <QString>
#include <QStringList>

namespace editor {

class SettingsStore;

// Keys beside the editor's own: "Layout" ("Fit" or "Classic") and "Paper" (a paper's
// name; absent means the region's paper).
inline constexpr const char* kLayoutKey = "Layout";
inline constexpr const char* kPaperKey = "Paper";

// The page's layout and paper as the user chose them. A stored value this program does
// not know reads as the default, so a hand edit never stops a page from being made.
struct PageChoice
{
    bool classic = false;
    bool toScale = false; // "Spacing": "To scale" rather than "Even"
    QString paper;        // a name of office::kPapers; empty: the region's

    // A value that cannot be read is set aside, with a sentence for the user in `notices`.
    static PageChoice load(SettingsStore& store, QStringList& notices);
    // Writes the keys that differ from `before`; throws app::Failure when the store cannot
    // be written.
    void save(SettingsStore& store, const PageChoice& before) const;
    docgen::PageOptions options() const;
    // The paper the page is on: the chosen one, or the region's.
    QString paperShown() const;
};

class DateReader;

// The places of "To scale" spacing for a list, or, when the page must fall back to even
// spacing, nothing and a notice that says why, naming the lines.
struct ScaleAxis
{
    QList<double> places;
    QString notice;
};
// `lines` names the line each entry came from; empty: its place in the list, from 1.
ScaleAxis scaleAxisOf(const QList<TimelineEntry>& entries, const DateReader& reader,
                      const QList<int>& lines = {});

} // namespace editor
