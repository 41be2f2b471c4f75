#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
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

    // True when it holds more than a date and notes: what the first lists held.
    bool hasDetails() const { return !category.isEmpty() || milestone; }

    friend bool operator==(const Entry&, const Entry&) = default;
};

// The fields of an entry in the order the tables and the document carry them, each
// with its name in a table's header: a text, or a flag that is set or not. A later
// field is a row added at the end. The stored list holds the first kStoredColumns in
// its pieces, as it always has; the fields after them are kept beside it (entrylist.h).
struct EntryColumn
{
    const char* name;
    QString Entry::*text; // null for a flag
    bool Entry::*flag;    // null for a text
};
inline constexpr std::array<EntryColumn, 4> kEntryColumns{{
    {"Date", &Entry::date, nullptr},
    {"Notes", &Entry::notes, nullptr},
    {"Category", &Entry::category, nullptr},
    {"Milestone", nullptr, &Entry::milestone},
}};
inline constexpr size_t kStoredColumns = 2;

// A flag as a table or a document writes it: "yes" when set, nothing when not.
inline QString flagText(bool set)
{
    return set ? QStringLiteral("yes") : QString();
}
// A flag as people write it in a spreadsheet's cell, in any case and between blanks:
// "yes", "y", "x", "true" or "1" set it, an empty cell or "no" does not. Nothing for any
// other text.
inline std::optional<bool> flagOfText(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.compare(u"no", Qt::CaseInsensitive) == 0)
        return false;
    for (QStringView word : {u"yes", u"y", u"x", u"true", u"1"})
        if (text.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    return std::nullopt;
}

// The text of a column's field, a flag as flagText writes it.
inline QString columnText(const Entry& entry, const EntryColumn& column)
{
    return column.text ? entry.*column.text : flagText(entry.*column.flag);
}

} // namespace timeline
