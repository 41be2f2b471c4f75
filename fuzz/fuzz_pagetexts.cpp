#include "docgen/timelinefile.h"
#include "office/docreader.h"
#include "office/error.h"

#include <cstddef>
#include <cstdint>

// Any package the document reader takes is asked for the studio's page texts, and a
// timeline of as many entries takes them over: whatever the shapes and tables hold, the
// answer is texts or nothing, never a crash or a hang.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const office::Document document = office::readPackage(bytes);
        if (const std::optional<docgen::PageTexts> page = docgen::pageTextsOf(document)) {
            timeline::Timeline timeline;
            timeline.entries.resize(page->notes.size());
            bool changed = false;
            docgen::withPageTexts(timeline, *page, &changed);
        }
    } catch (const office::Error&) {
    }
    return 0;
}
