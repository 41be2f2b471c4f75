#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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

// What a save dialog offers: its title, the file types as Qt filter entries ("Word Document
// (*.docx)"; the first is selected), the name it suggests without an extension, and the
// folder it opens in (empty: the folder of the last save).
struct SaveDialog
{
    QString title;
    QStringList filters;
    QString suggestedName;
    QString folder;
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
    // `detail` is a second line under the text, such as where a file went.
    MessageAnswer messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption = {}, const QString& detail = {});
    // A save dialog. It opens in the dialog's folder, or the folder of the last save (the
    // user's Documents folder before any), with the suggested name and the selected type's
    // extension. A name chosen without one of the types' extensions gets the selected
    // type's. It asks nothing about existing files and returns the empty text on Cancel;
    // otherwise the folder is remembered for the next save.
    QString saveFileName(const SaveDialog& dialog);
    // The same with a pipe-separated filter ("CSV Files (*.csv)|*.csv") and no name.
    QString saveFileName(const QString& title, const QString& pipeFilter);
    // Where the next save dialog opens, and who keeps each save's folder for the next run
    // (a failure to keep it is not the save's: it is ignored).
    void setSaveFolder(const QString& folder, std::function<void(const QString&)> keep = {});
    QString saveFolder() const;
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
                                       MessageIcon icon, const QString& caption,
                                       const QString& detail) = 0;
    // `startPath` is the folder with the suggested name; `filter` is the index of the
    // selected entry of `filters` on the way in and the one chosen on the way out.
    virtual QString doSaveFileName(const QString& title, const QString& startPath,
                                   const QStringList& filters, int& filter) = 0;
    // Dialogs that cannot show a print dialog or pick a file to open answer Cancel.
    virtual bool doPrintDialog(QPrinter& printer);
    virtual QString doOpenFileName(const QString& title, const QString& qtFilter);

private:
    QString mSaveFolder;
    std::function<void(const QString&)> mKeepSaveFolder;
};

// The one question before a save replaces a file: "Are you sure you wish to overwrite
// <target> ?" with Yes and No. True for Yes.
bool agreesToOverwrite(Dialogs& dialogs, const QString& target);
// The box at the end of a save: "Done.", and under it where the file went.
void sayDone(Dialogs& dialogs, const QString& savedTo);

// The extension of a filter entry's first pattern: "Word Document (*.docx)" -> "docx";
// empty when it names none.
QString filterExtension(const QString& filter);
// `chosen` as it is when it ends in the extension of one of `filters` (in any case),
// otherwise with the extension of the filter `selected` added.
QString withFilterExtension(const QString& chosen, const QStringList& filters, int selected = 0);

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
                               const QString& caption, const QString& detail) override;
    QString doSaveFileName(const QString& title, const QString& startPath,
                           const QStringList& filters, int& filter) override;
    bool doPrintDialog(QPrinter& printer) override;
    QString doOpenFileName(const QString& title, const QString& qtFilter) override;
};

} // namespace app
