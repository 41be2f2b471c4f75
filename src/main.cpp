#include "cli/cli.h"
#include "editor/studioprogram.h"
#include "timeline/settingsstore.h"

#include "app/dialogs.h"
#include "app/fileutil.h"
#include "app/heapuse.h"
#include "app/processend.h"
#include "app/singleinstance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    app::keepFreedPictureMemory();
    // With no arguments, or only the toolkit's own, the studio starts as it always has.
    if (cli::wantsCommandLine(argc, argv))
        return cli::runCommandLine(argc, argv);

    QApplication application(argc, argv);
    // What the toolkit leaves of the arguments is the file to open, if any.
    const QString file = application.arguments().value(1);
    app::QtDialogs dialogs;
    editor::QSettingsStore store;
    // One studio per store: a second start brings the first to the front and ends.
    app::SingleInstance instance(store.folder());
    switch (instance.claim(3000, file)) {
    case app::SingleInstance::Claim::HandedOver:
        return 0;
    case app::SingleInstance::Claim::TakenOver:
        dialogs.messageBox(
            QStringLiteral("Another Loomchart Page Studio holds your saved timelines but does "
                           "not answer. This one takes its place; the other one saves nothing "
                           "more."),
            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        break;
    case app::SingleInstance::Claim::First:
        break;
    }
    app::ProcessProgramEnd programEnd;
    editor::StudioProgram program(dialogs, programEnd, store, app::programFolder(),
                                  [&instance] { return instance.holds(); });
    QObject::connect(&instance, &app::SingleInstance::activationRequested,
                     [&program] { program.studio().bringToFront(); });
    QObject::connect(&instance, &app::SingleInstance::openRequested,
                     [&program](const QString& path) { program.studio().openFile(path); });
    if (!program.studio().start())
        return 0;
    if (!file.isEmpty())
        program.studio().openFile(file);
    return application.exec();
}
