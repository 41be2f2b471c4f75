#pragma once

#include <functional>

namespace app {

// Ending the program at once: no window's close handler runs. Settings writers register
// a flush so that every write made so far is on disk before the process goes.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    // Does not return in the real program; a test double records the call and returns,
    // and the caller then returns without doing anything more.
    virtual void endNow() = 0;
};

// Flushes every registered store, then ends the process with exit code 0.
class ProcessProgramEnd : public ProgramEnd
{
public:
    void endNow() override;
};

// Registers a flush to run before the process ends; returns an id for unregistering.
int registerFlushBeforeEnd(std::function<void()> flush);
void unregisterFlushBeforeEnd(int id);
// Runs every registered flush (also used by the real end).
void flushBeforeEnd();

} // namespace app
