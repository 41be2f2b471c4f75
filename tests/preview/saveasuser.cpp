// Runs "Save Results To Word File" once, so that a test can run it as another user: the
// save dialog answers with the target, any question is answered Yes, and the texts of the
// boxes shown are printed one to a line.
#include "preview/saveresults.h"
#include "support/scripteddialogs.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: saveasuser DOCUMENT TARGET\n", stderr);
        return 2;
    }
    testsupport::ScriptedDialogs dialogs;
    dialogs.saveAnswers << args.at(2);
    dialogs.messageAnswers << app::MessageAnswer::Yes;
    preview::SaveResultsToWordFile(dialogs, args.at(1));
    for (const QString& text : dialogs.messageTexts())
        std::puts(text.simplified().toUtf8().constData());
    return 0;
}
