#pragma once

#include <QString>

#include <array>
#include <utility>

namespace timeline {

// One row of the entry list: the date text and the notes text, both exactly as typed,
// the category it belongs to (free text, empty for none) and whether it is a milestone.
// A span is not a field: it is read from the date text.
struct Entry
{
    Entry() = default;
    Entry(QString dateText, QString notesText, QString categoryText = {}, bool isMilestone = false)
        : date(std::move(dateText)), notes(std::move(notesText)), category(std::move(categoryText)),
          milestone(isMilestone)
    {}

    QString date;
    QString notes;
    QString category;
    bool milestone = false;

    friend bool operator==(const Entry&, const Entry&) = default;
};

// The texts of an entry in the order the stored list and the tables carry them, each
// with its name in a table's header. A later field (a category, a milestone) is a row
// added at the end: the stored list then holds it after the notes, where a reader of
// today ignores it, and a table's header names it, so what is read today still reads.
struct EntryColumn
{
    const char* name;
    QString Entry::*text;
};
inline constexpr std::array<EntryColumn, 2> kEntryColumns{{
    {"Date", &Entry::date},
    {"Notes", &Entry::notes},
}};

} // namespace timeline
