#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace app {

enum class MessageButtons
{
    Ok,
    YesNo,
    SaveDiscardCancel, // unsaved changes before they would be replaced
};
enum class MessageIcon
{
    None,
    Exclamation
};
enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    Save,
    Discard,
    Cancel,
};

// Every modal question the program asks goes through here, so that a command can be
// driven headlessly with scripted answers. An empty caption means "no caption of its
// own": the box then shows the application title. The public functions resolve the
// caption and forward to the implementation.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Returns the typed text, or the empty text on Cancel.
    QString inputBox(const QString& prompt, const QString& caption = {},
                     const QString& defaultText = {});
    MessageAnswer messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption = {});
    // A save dialog with a pipe-separated filter ("Word Files (*.doc)|*.doc"). It adds no
    // suffix and asks nothing about existing files. Returns the empty text on Cancel.
    QString saveFileName(const QString& title, const QString& pipeFilter);
    // The standard print dialog for the printer, which the caller has set up. Returns true
    // when the user chose to print; the printer then holds the choices made.
    bool printDialog(QPrinter& printer);
    // An open dialog for an existing file, same filter form. Empty text on Cancel.
    QString openFileName(const QString& title, const QString& pipeFilter);

    static QString resolveCaption(const QString& caption);

protected:
    virtual QString doInputBox(const QString& prompt, const QString& caption,
                               const QString& defaultText) = 0;
    virtual MessageAnswer doMessageBox(const QString& text, MessageButtons buttons,
                                       MessageIcon icon, const QString& caption) = 0;
    virtual QString doSaveFileName(const QString& title, const QString& qtFilter) = 0;
    // Dialogs that cannot show a print dialog or pick a file to open answer Cancel.
    virtual bool doPrintDialog(QPrinter& printer);
    virtual QString doOpenFileName(const QString& title, const QString& qtFilter);
};

// The one question before a save replaces a file: "Are you sure you wish to overwrite
// <target> ?" with Yes and No. True for Yes.
bool agreesToOverwrite(Dialogs& dialogs, const QString& target);

// "Word Files (*.doc)|*.doc" -> "Word Files (*.doc)"; description/pattern pairs become
// one Qt filter entry each, separated by ";;".
QString qtFilterFromPipeFilter(const QString& pipeFilter);

// Real Qt dialogs, parented to the active window.
class QtDialogs : public Dialogs
{
protected:
    QString doInputBox(const QString& prompt, const QString& caption,
                       const QString& defaultText) override;
    MessageAnswer doMessageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                               const QString& caption) override;
    QString doSaveFileName(const QString& title, const QString& qtFilter) override;
    bool doPrintDialog(QPrinter& printer) override;
    QString doOpenFileName(const QString& title, const QString& qtFilter) override;
};

} // namespace app
