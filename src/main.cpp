#include "editor/form1.h"
#include "editor/settingsstore.h"

#include "app/dialogs.h"
#include "app/fileutil.h"
#include "app/processend.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::QtDialogs dialogs;
    app::ProcessProgramEnd programEnd;
    editor::QSettingsStore store;

    editor::Form1Services services{dialogs, programEnd, store, app::programFolder(), {}, {}};

    // WIRING POINT for the document engine and builder: set
    // services.ensureWordAvailable (the start-up Word check) before the window is made,
    // and call form.setCreateTemplate with the builder once it exists.

    editor::Form1 form(services);
    if (!form.Form_Load())
        return 0;
    form.show();
    return application.exec();
}
