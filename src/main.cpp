#include "cli/cli.h"
#include "editor/studio.h"
#include "timeline/settingsstore.h"

#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/fileutil.h"
#include "app/processend.h"
#include "docgen/embeddedword.h"
#include "docgen/wordautomation.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // With no arguments, or only the toolkit's own, the studio starts as it always has.
    if (cli::wantsCommandLine(argc, argv))
        return cli::runCommandLine(argc, argv);

    QApplication application(argc, argv);
    app::QtDialogs dialogs;
    app::ProcessProgramEnd programEnd;
    app::SystemClipboard clipboard;
    editor::QSettingsStore store;
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);

    editor::Studio studio(
        {dialogs, programEnd, store, factory, clipboard, app::programFolder(), &clipboard});
    if (!studio.start())
        return 0;
    return application.exec();
}
