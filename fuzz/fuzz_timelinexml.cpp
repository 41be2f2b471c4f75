#include "timeline/timelinexml.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes must read into a timeline or give a reason, and a timeline that reads must
// come back the same from what the writer makes of it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const timeline::xml::ReadResult read = timeline::xml::read(bytes);
    if (!read.timeline) {
        if (read.error.isEmpty())
            std::abort();
        return 0;
    }
    const timeline::xml::ReadResult again =
        timeline::xml::read(timeline::xml::write(*read.timeline));
    const timeline::Timeline& a = *read.timeline;
    if (!again.timeline || again.timeline->title != a.title || again.timeline->scale != a.scale ||
        again.timeline->entries != a.entries || again.timeline->page != a.page)
        std::abort();
    return 0;
}
