#pragma once

#include "studio.h"

#include "app/clipboard.h"
#include "docgen/wordautomation.h"

#include <QString>

namespace editor {

// The studio as the program runs it: the windows with the desktop's clipboard for what
// the user copies and pastes, and the embedded engine with a clipboard of its own for the
// page picture it hands to the snapshot.
class StudioProgram
{
public:
    StudioProgram(app::Dialogs& dialogs, app::ProgramEnd& programEnd, SettingsStore& store,
                  const QString& programFolder);
    StudioProgram(const StudioProgram&) = delete;
    StudioProgram& operator=(const StudioProgram&) = delete;

    Studio& studio() { return mStudio; }

private:
    app::SystemClipboard mClipboard;
    app::PictureClipboard mEngineClipboard;
    docgen::AutomationFactory mFactory;
    Studio mStudio;
};

} // namespace editor
