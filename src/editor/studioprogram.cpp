#include "studioprogram.h"

#include "docgen/embeddedword.h"

namespace editor {
namespace {
docgen::AutomationFactory& withEngine(docgen::AutomationFactory& factory, app::Clipboard& clipboard)
{
    docgen::registerEmbeddedWord(factory, clipboard);
    return factory;
}
} // namespace

StudioProgram::StudioProgram(app::Dialogs& dialogs, app::ProgramEnd& programEnd,
                             SettingsStore& store, const QString& programFolder)
    : mStudio({dialogs, programEnd, store, withEngine(mFactory, mEngineClipboard), mClipboard,
               programFolder, &mClipboard, &mEngineClipboard})
{}

} // namespace editor
