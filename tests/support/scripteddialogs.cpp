#include "scripteddialogs.h"

#include <QPrinter>

namespace testsupport {

QList<ScriptedDialogs::Call> ScriptedDialogs::messages() const
{
    QList<Call> result;
    for (const Call& call : calls)
        if (call.kind == Kind::Message)
            result << call;
    return result;
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList result;
    for (const Call& call : messages())
        result << call.text;
    return result;
}

int ScriptedDialogs::count(Kind kind) const
{
    int n = 0;
    for (const Call& call : calls)
        n += call.kind == kind ? 1 : 0;
    return n;
}

QString ScriptedDialogs::doInputBox(const QString& prompt, const QString& caption,
                                    const QString& defaultText)
{
    calls << Call{Kind::Input, prompt, caption, defaultText};
    return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
}

app::MessageAnswer ScriptedDialogs::doMessageBox(const QString& text, app::MessageButtons buttons,
                                                 app::MessageIcon icon, const QString& caption)
{
    const Call call{Kind::Message, text, caption, QString(), buttons, icon};
    calls << call;
    if (onMessage)
        onMessage(call);
    if (buttons == app::MessageButtons::Ok)
        return app::MessageAnswer::Ok;
    if (messageAnswers.isEmpty())
        return buttons == app::MessageButtons::SaveDiscardCancel ? app::MessageAnswer::Cancel
                                                                 : app::MessageAnswer::No;
    return messageAnswers.takeFirst();
}

QString ScriptedDialogs::doSaveFileName(const QString& title, const QString& qtFilter)
{
    calls << Call{Kind::Save, title, title, qtFilter};
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

bool ScriptedDialogs::doPrintDialog(QPrinter& printer)
{
    calls << Call{Kind::Print, QString(), QString(), QString()};
    const QString file = printAnswers.isEmpty() ? QString() : printAnswers.takeFirst();
    if (file.isEmpty())
        return false;
    // The printer the user picks here is a PDF file, so a test can read what was printed.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
}

QString ScriptedDialogs::doOpenFileName(const QString& title, const QString& qtFilter)
{
    calls << Call{Kind::Open, title, title, qtFilter};
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

} // namespace testsupport
