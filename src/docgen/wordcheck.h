#pragma once

namespace app {
class Dialogs;
class ProgramEnd;
} // namespace app

namespace docgen {

class AutomationFactory;

// The start-up check: starts the engine once and quits it. When it cannot be started the
// user is told what to check and the program ends at once, saving nothing. Returns false
// when the program has been ended (only a test's ProgramEnd comes back).
bool EnsureWordAvailable(const AutomationFactory& factory, app::Dialogs& dialogs,
                         app::ProgramEnd& programEnd);

// The message shown when the engine cannot be started.
extern const char* const kWordMissingMessage;

} // namespace docgen
