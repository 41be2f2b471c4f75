#pragma once

#include "studio.h"
#include "timeline/settingsstore.h"

#include "app/clipboard.h"
#include "docgen/wordautomation.h"

#include <QString>

#include <functional>

namespace editor {

// The studio as the program runs it: the windows with the desktop's clipboard for what
// the user copies and pastes, and the embedded engine with a clipboard of its own for the
// page picture it hands to the snapshot.
class StudioProgram
{
public:
    // `holdsStore` tells whether this studio still holds the store: once another start has
    // taken it over, nothing more is written. Unset: always.
    StudioProgram(app::Dialogs& dialogs, app::ProgramEnd& programEnd, SettingsStore& store,
                  const QString& programFolder, std::function<bool()> holdsStore = {});
    StudioProgram(const StudioProgram&) = delete;
    StudioProgram& operator=(const StudioProgram&) = delete;

    Studio& studio() { return mStudio; }

private:
    // Reads as the store does; writes only while the studio holds it.
    class HeldStore : public SettingsStore
    {
    public:
        HeldStore(SettingsStore& store, std::function<bool()> holds)
            : mStore(store), mHolds(std::move(holds))
        {}
        QString read(const QString& key, const QString& defaultValue) override
        {
            return mStore.read(key, defaultValue);
        }
        Pieces readPieces(const QString& key, QStringView terminator, int maxPieces) override
        {
            return mStore.readPieces(key, terminator, maxPieces);
        }
        void write(const QString& key, const QString& value) override;
        QString setAside(const QString& key) override;

    private:
        void refuseWhenTakenOver() const;
        SettingsStore& mStore;
        std::function<bool()> mHolds;
    };

    HeldStore mStore;
    app::SystemClipboard mClipboard;
    app::PictureClipboard mEngineClipboard;
    docgen::AutomationFactory mFactory;
    Studio mStudio;
};

} // namespace editor
