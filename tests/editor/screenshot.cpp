// Renders the main window with the Yearly sample offscreen and saves it as a PNG:
//   QT_QPA_PLATFORM=offscreen editor_screenshot docs/main-window.png

#include "editor/form1.h"
#include "editor/settingsstore.h"

#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_screenshot OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir storeDir;
    editor::QSettingsStore store(storeDir.path());
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    editor::Form1 form({dialogs, end, store, QApplication::applicationDirPath(), {}, {}});
    form.Form_Load();
    form.PushButton4_Click();
    form.show();
    QApplication::processEvents();
    if (!form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
