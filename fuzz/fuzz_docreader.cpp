#include "office/docreader.h"
#include "office/error.h"
#include "office/renderer.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

// Text is laid out only inside a GUI application; the offscreen platform needs no display.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "fuzz_docreader";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return 0;
}

// Any byte string must either read into a document or fail with office::Error, and what
// reads must render (likewise its data items alone): a small picture of the page, so the time goes
// to laying the text out.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const office::Document document = office::readPackage(bytes);
        const office::PageSetup& page = document.page();
        office::renderRegion(document, QRectF(0, 0, page.widthPt, page.heightPt), QSize(160, 120));
    } catch (const office::Error&) {
    }
    // The same bytes as a presentation's data items, read without its main part.
    try {
        office::readPackageCustomXml(bytes);
    } catch (const office::Error&) {
    }
    return 0;
}
