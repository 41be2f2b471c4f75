#include "studioprogram.h"

#include "app/failure.h"
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
                             SettingsStore& store, const QString& programFolder,
                             std::function<bool()> holdsStore)
    : mStore(store, std::move(holdsStore)), mStudio({dialogs,
                                                     programEnd,
                                                     mStore,
                                                     withEngine(mFactory, mEngineClipboard),
                                                     mClipboard,
                                                     programFolder,
                                                     &mClipboard,
                                                     &mEngineClipboard,
                                                     {}})
{}

void StudioProgram::HeldStore::refuseWhenTakenOver() const
{
    if (mHolds && !mHolds())
        throw app::Failure(QStringLiteral("Another Loomchart Page Studio has taken over the "
                                          "saved timelines; this one no longer saves."));
}

void StudioProgram::HeldStore::write(const QString& key, const QString& value)
{
    refuseWhenTakenOver();
    mStore.write(key, value);
}

QString StudioProgram::HeldStore::setAside(const QString& key)
{
    refuseWhenTakenOver();
    return mStore.setAside(key);
}

} // namespace editor
