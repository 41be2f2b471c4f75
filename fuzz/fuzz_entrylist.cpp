#include "timeline/entrylist.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any stored text must decode without a crash, as a list and as the details beside one,
// and every row the editor would accept (no text holds or forms a separator) must come
// back unchanged, details included, when written and read again, so a list never changes
// between runs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString stored = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<editor::TimelineEntry> rows = editor::decodeEntryList(stored);
    // The same text as the details beside the list: whatever it says, no row comes or goes.
    const qsizetype count = rows.size();
    editor::decodeEntryDetails(stored, rows);
    if (rows.size() != count)
        std::abort();

    QList<editor::TimelineEntry> storable;
    for (const editor::TimelineEntry& row : rows) {
        if (!editor::containsSeparator(row.date) && !editor::containsSeparator(row.notes) &&
            !editor::containsSeparator(row.category))
            storable.append(row);
    }
    const QString written = editor::encodeEntryList(storable);
    QList<editor::TimelineEntry> back = editor::decodeEntryList(written);
    editor::decodeEntryDetails(editor::encodeEntryDetails(storable), back);
    if (back != storable)
        std::abort();
    if (!storable.isEmpty() && !written.endsWith(editor::kEntryTerminator))
        std::abort();
    return 0;
}
