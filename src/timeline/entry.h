#pragma once

#include <QString>

namespace timeline {

// One row of the entry list: the date text and the notes text, both exactly as typed.
struct Entry
{
    QString date;
    QString notes;

    friend bool operator==(const Entry&, const Entry&) = default;
};

} // namespace timeline
