#include "processend.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace app {
namespace {
struct FlushRegistry
{
    std::map<int, std::function<void()>> flushes;
    int nextId = 1;
};
FlushRegistry& registry()
{
    static FlushRegistry instance;
    return instance;
}
} // namespace

int registerFlushBeforeEnd(std::function<void()> flush)
{
    const int id = registry().nextId++;
    registry().flushes.emplace(id, std::move(flush));
    return id;
}

void unregisterFlushBeforeEnd(int id)
{
    registry().flushes.erase(id);
}

void flushBeforeEnd()
{
    for (auto& [id, flush] : registry().flushes) {
        try {
            flush();
        } catch (...) {
            // Ending must not be stopped by a store that cannot be written.
        }
    }
}

void ProcessProgramEnd::endNow()
{
    flushBeforeEnd();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace app
