#pragma once

#include "pagelayout.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace docgen {

// The colours of one category's callouts and legend key: the fill and the text on it.
struct CategoryColour
{
    Colour fill;
    Colour text;

    friend bool operator==(const CategoryColour&, const CategoryColour&) = default;
};

// A look of the page: the fonts and colours of the title, the bar with its dates and the
// callouts with their notes. The layout step measures in these fonts and writes every
// colour into the plan; the builder only passes them on. Every text keeps a contrast of
// at least 4.5 : 1 on its fill.
struct PageTheme
{
    QString name; // as the page menu and the command line name it
    QString titleFont;
    std::optional<Colour> titleColour; // unset: automatic, as the original page
    QString dateFont;                  // empty: the document's default font
    std::optional<Colour> dateColour;
    Colour barFill = kBarFill;
    // Unset: as a new callout has them (white on mid-blue with a darker outline).
    QString notesFont;
    std::optional<Colour> notesColour;
    std::optional<Colour> calloutFill;
    std::optional<Colour> calloutLine;
    // The categories' colours in the order categories take them, each unlike the default
    // callout's; a page of more categories starts again from the first.
    QList<CategoryColour> categories;

    // Sets the fonts and colours of one element of the page by its kind.
    void dress(PageElement& element) const;

    // The original look: blue callouts on a pale green bar.
    static const PageTheme& original();
    static const QList<PageTheme>& all();
    static QStringList names();
    // By name, ignoring case; nothing when unknown.
    static const PageTheme* find(const QString& name);

    friend bool operator==(const PageTheme&, const PageTheme&) = default;
};

// How a new callout looks when a theme leaves it alone.
inline constexpr Colour kNewCalloutText{255, 255, 255};
inline constexpr Colour kNewCalloutFill{0x44, 0x72, 0xC4};

// The WCAG contrast ratio of two colours, 1 to 21; automatic text counts as black.
double contrastRatio(const Colour& a, const Colour& b);

} // namespace docgen
