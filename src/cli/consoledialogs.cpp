#include "consoledialogs.h"

namespace cli {

void ConsoleDialogs::print(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    while (lines.endsWith(u'\n'))
        lines.chop(1);
    std::fputs(QStringLiteral("loomchart: %1\n").arg(lines).toLocal8Bit().constData(), mStream);
    std::fflush(mStream);
}

QString ConsoleDialogs::doInputBox(const QString& prompt, const QString&, const QString&)
{
    ++mMessageCount;
    print(QStringLiteral("cannot answer \"%1\" without a window").arg(prompt.trimmed()));
    return QString();
}

app::MessageAnswer ConsoleDialogs::doMessageBox(const QString& text, app::MessageButtons buttons,
                                                app::MessageIcon, const QString& caption)
{
    ++mMessageCount;
    // The application title says nothing on a terminal; a caption of the box's own does.
    const bool ownCaption = !caption.isEmpty() && caption != resolveCaption(QString());
    print(ownCaption ? QStringLiteral("%1: %2").arg(caption, text) : text);
    return buttons == app::MessageButtons::YesNo ? app::MessageAnswer::No : app::MessageAnswer::Ok;
}

QString ConsoleDialogs::doSaveFileName(const QString& title, const QString&)
{
    ++mMessageCount;
    print(QStringLiteral("cannot answer \"%1\" without a window").arg(title));
    return QString();
}

bool ConsoleDialogs::doPrintDialog(QPrinter&)
{
    ++mMessageCount;
    print(QStringLiteral("cannot print without a window"));
    return false;
}

} // namespace cli
