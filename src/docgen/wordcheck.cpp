#include "wordcheck.h"

#include "wordautomation.h"

#include "app/dialogs.h"
#include "app/processend.h"

namespace docgen {

const char* const kWordMissingMessage =
    "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
    "1. Please make sure Word is installed on this computer.\r\n\r\n"
    "2. Please open Word normally and make sure a blank document opens immediately without "
    "any interrupting window (such as an Word file recovery window).\r\n\r\n"
    "3. Please make sure that when you double-click on a DOC or DOCX file that Word opens "
    "normally without any interrupting messages.\r\n\r\n"
    "4. All versions of Word are supported by this software except for the rare Word Starter "
    "and Student editions.";

bool EnsureWordAvailable(const AutomationFactory& factory, app::Dialogs& dialogs,
                         app::ProgramEnd& programEnd)
{
    // Failures inside the check are ignored; only "no object" counts.
    std::shared_ptr<WordApplication> word;
    try {
        word = factory.createObject(QLatin1String(kWordProgId));
    } catch (...) {
        word.reset();
    }
    if (!word) {
        dialogs.messageBox(QString::fromLatin1(kWordMissingMessage), app::MessageButtons::Ok,
                           app::MessageIcon::None);
        programEnd.endNow();
        return false;
    }
    try {
        word->Quit();
    } catch (...) {
    }
    word.reset();
    return true;
}

} // namespace docgen
