// Makes the README's pictures offscreen: the main window with the Yearly sample, the
// preview window with the page generated from it, the page itself in its default look and
// in Slate, and the main window made wider, with the page beside the list, and a page
// whose entries carry categories, spans and a milestone.
//   QT_QPA_PLATFORM=offscreen editor_screenshot docs

#include "editor/studio.h"
#include "timeline/settingsstore.h"

#include "app/apptitle.h"
#include "app/clipboard.h"
#include "docgen/embeddedword.h"
#include "docgen/templatebuilder.h"
#include "docgen/timelinepage.h"
#include "office/docreader.h"
#include "office/renderer.h"
#include "preview/form2.h"
#include "support/letterpaper.h"
#include "support/markedentries.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>

namespace {
bool save(const QImage& image, const QDir& folder, const char* name)
{
    if (image.save(folder.filePath(QString::fromLatin1(name)), "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", name);
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_screenshot OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    QTemporaryDir work;
    qputenv("TEMP", work.path().toUtf8());
    editor::QSettingsStore store(work.filePath(QStringLiteral("store")));
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    testsupport::MemoryClipboard clipboard;
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);
    editor::Studio studio(
        {dialogs, end, store, factory, clipboard, QApplication::applicationDirPath()});
    if (!studio.start())
        return 1;
    editor::Form1& form1 = studio.mainWindow();
    form1.PushButton4_Click();
    QApplication::processEvents();
    if (!save(form1.grab().toImage(), output, "main-window.png"))
        return 1;

    form1.PushButton6_Click();
    preview::Form2* form2 = studio.previewWindow();
    if (!form2 || !dialogs.messages().isEmpty()) {
        std::fprintf(stderr, "no preview was made\n");
        return 1;
    }
    form2->Form_Activate();
    // The whole sheet in view, as Ctrl+0 shows it.
    form2->ZoomToFit();
    QApplication::processEvents();
    if (!save(form2->grab().toImage(), output, "preview-window.png"))
        return 1;

    const office::Document page = office::openDocument(form2->wordFile());
    if (!save(office::renderRegion(page, QRectF(0, 0, 792, 612), 1.25), output, "page.png"))
        return 1;
    // The same page in another look, as the builder makes it.
    docgen::TemplateBuilder looks(dialogs, factory, clipboard);
    docgen::PageOptions slate;
    slate.theme = QStringLiteral("Slate");
    const docgen::PageSketch sketch = looks.sketch(form1.titleText(), form1.entries(), slate);
    if (!sketch.document ||
        !save(office::renderRegion(*sketch.document, QRectF(0, 0, 792, 612), 1.25), output,
              "page-slate.png"))
        return 1;
    {
        timeline::Timeline marked{QStringLiteral("Workshop history"),
                                  timeline::Scale::Yearly,
                                  {},
                                  timeline::PageChoices{}};
        marked.page.spacing = timeline::Spacing::ToScale;
        marked.entries = markedEntries();
        testsupport::ScriptedDialogs quiet;
        const docgen::TemplateBuilder builder(quiet, factory, clipboard);
        const docgen::PageSketch sketch =
            builder.sketch(marked.title, marked.entries, docgen::pageOptionsOf(marked, QLocale()));
        if (!sketch.document ||
            !save(office::renderRegion(*sketch.document, QRectF(0, 0, 792, 612), 1.25), output,
                  "page-marks.png"))
            return 1;
    }
    form2->PushButton8_Click();

    // Wider, the window shows the page beside the list.
    form1.resize(1180, 560);
    QApplication::processEvents();
    studio.livePage().refresh();
    QApplication::processEvents();
    return save(form1.grab().toImage(), output, "main-window-wide.png") ? 0 : 1;
}
