#include "dialogs.h"

#include "apptitle.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace app {

QString Dialogs::resolveCaption(const QString& caption)
{
    return caption.isEmpty() ? applicationTitle() : caption;
}

QString Dialogs::inputBox(const QString& prompt, const QString& caption, const QString& defaultText)
{
    return doInputBox(prompt, resolveCaption(caption), defaultText);
}

MessageAnswer Dialogs::messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                  const QString& caption, const QString& detail)
{
    return doMessageBox(text, buttons, icon, resolveCaption(caption), detail);
}

QString Dialogs::saveFileName(const SaveDialog& dialog)
{
    const QString folder = dialog.folder.isEmpty() ? saveFolder() : dialog.folder;
    QString suggested = dialog.suggestedName;
    if (!suggested.isEmpty() && !dialog.filters.isEmpty())
        suggested = withFilterExtension(suggested, {dialog.filters.first()});
    const QString startPath = suggested.isEmpty() ? folder : QDir(folder).filePath(suggested);
    int filter = 0;
    QString chosen =
        doSaveFileName(resolveCaption(dialog.title), startPath, dialog.filters, filter);
    if (chosen.isEmpty())
        return {};
    // A name typed alone belongs in the folder the dialog showed.
    if (QFileInfo(chosen).isRelative())
        chosen = QDir(folder).filePath(chosen);
    chosen = withFilterExtension(chosen, dialog.filters, filter);
    mSaveFolder = QFileInfo(chosen).absolutePath();
    if (mKeepSaveFolder) {
        try {
            mKeepSaveFolder(mSaveFolder);
        } catch (...) {
            // Only the next run's starting folder is lost; the save goes on.
        }
    }
    return chosen;
}

QString Dialogs::saveFileName(const QString& title, const QString& pipeFilter)
{
    const QString filters = qtFilterFromPipeFilter(pipeFilter);
    return saveFileName(
        SaveDialog{title, filters.isEmpty() ? QStringList() : filters.split(QStringLiteral(";;")),
                   QString(), QString()});
}

void Dialogs::setSaveFolder(const QString& folder, std::function<void(const QString&)> keep)
{
    mSaveFolder = folder;
    mKeepSaveFolder = std::move(keep);
}

QString Dialogs::saveFolder() const
{
    // A folder removed since it was used is no place to start.
    if (!mSaveFolder.isEmpty() && QFileInfo(mSaveFolder).isDir())
        return mSaveFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

bool Dialogs::printDialog(QPrinter& printer)
{
    return doPrintDialog(printer);
}

bool Dialogs::doPrintDialog(QPrinter& printer)
{
    Q_UNUSED(printer);
    return false;
}

QString Dialogs::openFileName(const QString& title, const QString& pipeFilter)
{
    return doOpenFileName(resolveCaption(title), qtFilterFromPipeFilter(pipeFilter));
}

QString Dialogs::doOpenFileName(const QString&, const QString&)
{
    return {};
}

QString qtFilterFromPipeFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const QString patterns =
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the parentheses; add them when the description has none.
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + patterns + QLatin1Char(')');
        entries << description;
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        entries << parts.last();
    return entries.join(QStringLiteral(";;"));
}

QString filterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s;)*]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString withFilterExtension(const QString& chosen, const QStringList& filters, int selected)
{
    const QString suffix = QFileInfo(chosen).suffix();
    for (const QString& filter : filters)
        if (!suffix.isEmpty() && suffix.compare(filterExtension(filter), Qt::CaseInsensitive) == 0)
            return chosen;
    if (selected < 0 || selected >= filters.size())
        return chosen;
    const QString extension = filterExtension(filters.at(selected));
    return extension.isEmpty() ? chosen : chosen + QLatin1Char('.') + extension;
}

QString QtDialogs::doInputBox(const QString& prompt, const QString& caption,
                              const QString& defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                 QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

MessageAnswer QtDialogs::doMessageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                      const QString& caption, const QString& detail)
{
    // A carriage return, alone or before a line feed, is shown as one line break.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox::StandardButtons shownButtons = QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo)
        shownButtons = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MessageButtons::SaveDiscardCancel)
        shownButtons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    caption, shown, shownButtons, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.setWindowModality(Qt::ApplicationModal);
    const int pressed = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (buttons == MessageButtons::SaveDiscardCancel)
        return pressed == QMessageBox::Save      ? MessageAnswer::Save
               : pressed == QMessageBox::Discard ? MessageAnswer::Discard
                                                 : MessageAnswer::Cancel;
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtDialogs::doSaveFileName(const QString& title, const QString& startPath,
                                  const QStringList& filters, int& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), title, startPath,
                       filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The command asks its own overwrite question; the extension is added by saveFileName,
    // after the dialog, so that the question names the file as it will be written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    if (filter >= 0 && filter < filters.size())
        dialog.selectNameFilter(filters.at(filter));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    filter = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool QtDialogs::doPrintDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("printDialog"));
    // One page: a range or a selection means nothing here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

QString QtDialogs::doOpenFileName(const QString& title, const QString& qtFilter)
{
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), qtFilter);
    dialog.setObjectName(QStringLiteral("openFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool agreesToOverwrite(Dialogs& dialogs, const QString& target)
{
    return dialogs.messageBox(QStringLiteral("Are you sure you wish to overwrite ") + target +
                                  QStringLiteral(" ?"),
                              app::MessageButtons::YesNo,
                              app::MessageIcon::None) == app::MessageAnswer::Yes;
}

void sayDone(Dialogs& dialogs, const QString& savedTo)
{
    dialogs.messageBox(QStringLiteral("Done."), MessageButtons::Ok, MessageIcon::None, QString(),
                       QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(savedTo)));
}

} // namespace app
