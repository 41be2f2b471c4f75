#include "office/customxml.h"
#include "office/error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The input is an item's data and its properties part: two bytes give the data's length
// (little-endian), the data follows, and what is left is the properties part (nothing
// left: the item has none). Any bytes must read into an item or fail with office::Error,
// and an item that reads must come back the same from its own properties part.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype length = size < 2 ? 0 : qsizetype(data[0]) | qsizetype(data[1]) << 8;
    const QByteArray item = bytes.mid(2, length);
    const QByteArray properties = bytes.mid(2 + length);
    const QString name = QStringLiteral("customXml/item1.xml");
    const QString propertiesName = QStringLiteral("customXml/itemProps1.xml");
    try {
        const office::CustomXmlItem read = office::customxml::readItem(
            item, name, properties.isEmpty() ? nullptr : &properties, propertiesName);
        const QByteArray written = office::customxml::itemProperties(read);
        const office::CustomXmlItem again =
            office::customxml::readItem(read.data, name, &written, propertiesName);
        // A read item always has an id once written; an unstated one is made from the data.
        if (again.data != read.data || again.schemaRefs != read.schemaRefs ||
            again.itemId != office::customxml::itemId(read)) {
            std::abort();
        }
    } catch (const office::Error&) {
    }
    return 0;
}
