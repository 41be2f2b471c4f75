#pragma once

#include "app/processend.h"

namespace testsupport {

// Records that the program would have ended, instead of ending the test process.
class RecordingEnd : public app::ProgramEnd
{
public:
    void endNow() override { ++calls; }
    int calls = 0;
};

} // namespace testsupport
