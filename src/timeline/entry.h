#pragma once

#include <QString>

#include <array>

namespace timeline {

// One row of the entry list: the date text and the notes text, both exactly as typed.
struct Entry
{
    QString date;
    QString notes;

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
