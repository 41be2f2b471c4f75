#include "dialogs.h"

#include "apptitle.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

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
                                  const QString& caption)
{
    return doMessageBox(text, buttons, icon, resolveCaption(caption));
}

QString Dialogs::saveFileName(const QString& title, const QString& pipeFilter)
{
    return doSaveFileName(resolveCaption(title), qtFilterFromPipeFilter(pipeFilter));
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

QString QtDialogs::doInputBox(const QString& prompt, const QString& caption,
                              const QString& defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                 QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

MessageAnswer QtDialogs::doMessageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                      const QString& caption)
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

QString QtDialogs::doSaveFileName(const QString& title, const QString& qtFilter)
{
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), qtFilter);
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The command asks its own overwrite question and adds no suffix to a typed name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted)
        return {};
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

} // namespace app
