#include "timeline/entrylist.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any stored text must decode without a crash, and every row the editor would accept (no
// text holds or forms a separator) must come back unchanged when written and read again,
// so a list never changes between runs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString stored = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<editor::TimelineEntry> rows = editor::decodeEntryList(stored);

    QList<editor::TimelineEntry> storable;
    for (const editor::TimelineEntry& row : rows) {
        if (!editor::containsSeparator(row.date) && !editor::containsSeparator(row.notes))
            storable.append(row);
    }
    const QString written = editor::encodeEntryList(storable);
    if (editor::decodeEntryList(written) != storable)
        std::abort();
    if (!storable.isEmpty() && !written.endsWith(editor::kEntryTerminator))
        std::abort();
    return 0;
}
