#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace testsupport {

// Dialogs with answers given in advance. Every call is recorded with its resolved caption.
// An input box, save or open dialog with no answer left is cancelled; a Yes/No box with no
// answer left is answered No, a Save/Discard/Cancel box Cancel.
class ScriptedDialogs : public app::Dialogs
{
public:
    enum class Kind
    {
        Input,
        Message,
        Save,
        Print,
        Open
    };
    struct Call
    {
        Kind kind;
        QString text; // prompt, message text or dialog title
        QString caption;
        QString extra; // default answer or Qt filter
        app::MessageButtons buttons = app::MessageButtons::Ok;
        app::MessageIcon icon = app::MessageIcon::None;
    };

    QStringList inputAnswers;
    QList<app::MessageAnswer> messageAnswers;
    QStringList saveAnswers;
    // Print dialogs: each answer is the file the printer writes a PDF to, or empty to
    // cancel; a print dialog with no answer left is cancelled.
    QStringList printAnswers;
    QStringList openAnswers;
    QList<Call> calls;
    // Runs inside every message box, as if the user acted while it was open.
    std::function<void(const Call&)> onMessage;

    QList<Call> messages() const;
    QStringList messageTexts() const;
    int count(Kind kind) const;

protected:
    QString doInputBox(const QString& prompt, const QString& caption,
                       const QString& defaultText) override;
    app::MessageAnswer doMessageBox(const QString& text, app::MessageButtons buttons,
                                    app::MessageIcon icon, const QString& caption) override;
    QString doSaveFileName(const QString& title, const QString& qtFilter) override;
    bool doPrintDialog(QPrinter& printer) override;
    QString doOpenFileName(const QString& title, const QString& qtFilter) override;
};

} // namespace testsupport
