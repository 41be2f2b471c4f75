// Runs the editor's commands on a store and waits to be killed. Step N runs one command
// (or a short sequence that ends in one) on the list the last run left behind, then
// prints what the window shows and waits. Lines on standard output:
//   start <hash>  what start-up showed
//   done <hash>   what the window shows after the commands
// where <hash> is the SHA-1 of the title, a line feed and the list's stored form.
#include "editor/form1.h"
#include "timeline/entrylist.h"
#include "timeline/settingsstore.h"

#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {
QByteArray shownHash(const editor::Form1& form)
{
    return QCryptographicHash::hash(
               (form.titleText() + QLatin1Char('\n') + editor::encodeEntryList(form.entries()))
                   .toUtf8(),
               QCryptographicHash::Sha1)
        .toHex();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: commandcrashrunner <store folder> <step>\n");
        return 2;
    }
    const QString folder = arguments.at(1);
    const int step = arguments.at(2).toInt();
    editor::QSettingsStore store(folder);
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    testsupport::MemoryClipboard clipboard;
    editor::Form1 form({dialogs, end, store, folder, {}, {}, &clipboard});
    form.Form_Load();
    std::printf("start %s\n", shownHash(form).constData());
    std::fflush(stdout);

    editor::ListCommands& list = form.listCommands();
    const auto answer = [&](const char* date, const char* notes) {
        dialogs.inputAnswers = {QLatin1String(date), QLatin1String(notes)};
    };
    clipboard.plainText = QStringLiteral("1971\tPasted one\n1972\t\"Pasted, \"\"two\"\"\"\n");
    switch (step) {
    case 0:
        form.PushButton4_Click();
        break;
    case 1:
        answer("1995", "Added");
        form.PushButton1_Click();
        break;
    case 2:
        form.showRow(2);
        answer("1966", "Edited \u00e9\U0001F600");
        list.editSelected();
        break;
    case 3:
        form.showRow(0);
        answer("1950", "Inserted");
        list.insertAbove();
        break;
    case 4:
        form.showRow(3);
        list.moveDown();
        break;
    case 5:
        form.showRow(1);
        form.PushButton2_Click();
        break;
    case 6:
        form.showRow(4);
        list.paste();
        break;
    case 7:
        list.paste();
        list.undo();
        break;
    case 8:
        list.paste();
        list.undo();
        list.redo();
        break;
    case 9: {
        const QString csv = QDir(folder).filePath(QStringLiteral("../rows.csv"));
        QFile file(csv);
        if (!file.open(QIODevice::WriteOnly))
            return 4;
        file.write("Date,Notes\r\n2001,\"Imported\r\nwith a break\"\r\n2002,Imported too\r\n");
        file.close();
        dialogs.openAnswers = {csv};
        list.importCsv();
        break;
    }
    case 10:
        form.PushButton3_Click();
        break;
    case 11:
        form.PushButton3_Click();
        list.undo();
        break;
    default:
        return 5;
    }
    if (!dialogs.messages().isEmpty()) {
        std::fprintf(stderr, "a message was shown: %s\n",
                     qPrintable(dialogs.messageTexts().join(QLatin1Char('|'))));
        return 6;
    }
    std::printf("done %s\n", shownHash(form).constData());
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
