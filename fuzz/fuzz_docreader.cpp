#include "office/docreader.h"
#include "office/error.h"

#include <cstddef>
#include <cstdint>

// Any byte string must either read into a document or fail with office::Error.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const office::Document document = office::readPackage(bytes);
        static_cast<void>(document.shapes().size());
    } catch (const office::Error&) {
    }
    return 0;
}
