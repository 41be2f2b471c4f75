#pragma once

#include "entrylist.h"

#include "docgen/templatebuilder.h"

#include <QString>

namespace editor {

class SettingsStore;

// Keys beside the editor's own: "Layout" ("Fit" or "Classic") and "Paper" (a paper's
// name; absent means the region's paper).
inline constexpr const char* kLayoutKey = "Layout";
inline constexpr const char* kPaperKey = "Paper";
// The page's look by name (docgen/pagetheme.h); absent means the original look.
inline constexpr const char* kThemeKey = "Theme";

// The page's layout and paper as the user chose them. A stored value this program does
// not know reads as the default, so a hand edit never stops a page from being made.
struct PageChoice
{
    bool classic = false;
    bool toScale = false; // "Spacing": "To scale" rather than "Even"
    QString paper;        // a name of office::kPapers; empty: the region's
    QString theme;        // a name of docgen::PageTheme::all(); empty: the original

    static PageChoice load(SettingsStore& store);
    // Throws app::Failure when the store cannot be written.
    void save(SettingsStore& store) const;
    docgen::PageOptions options() const;
    // The paper the page is on: the chosen one, or the region's.
    QString paperShown() const;
    // The look the page has: the chosen one, or the original.
    QString themeShown() const;
};

class DateReader;

// The places of "To scale" spacing for a list, or, when the page must fall back to even
// spacing, nothing and a notice that says why, naming the lines.
struct ScaleAxis
{
    QList<double> places;
    QString notice;
};
ScaleAxis scaleAxisOf(const QList<TimelineEntry>& entries, const DateReader& reader);

} // namespace editor
