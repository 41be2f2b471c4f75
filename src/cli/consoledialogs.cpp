#include "consoledialogs.h"

#include "app/errortrap.h"

namespace cli {

void ConsoleDialogs::print(const QString& text)
{
    // One line a message, so a script reads each problem as one line.
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    std::fputs(QStringLiteral("loomchart: %1\n").arg(line.trimmed()).toLocal8Bit().constData(),
               mStream);
    std::fflush(mStream);
}

QString ConsoleDialogs::doInputBox(const QString& prompt, const QString&, const QString&)
{
    ++mMessageCount;
    print(QStringLiteral("cannot answer \"%1\" without a window").arg(prompt.trimmed()));
    return QString();
}

app::MessageAnswer ConsoleDialogs::doMessageBox(const QString& text, app::MessageButtons buttons,
                                                app::MessageIcon, const QString& caption,
                                                const QString& detail)
{
    ++mMessageCount;
    if (caption == QLatin1String(app::kErrorBoxTitle)) {
        // The error box asks for a screenshot; a terminal gets one line: what failed,
        // then where, without the request.
        QString line = text.section(QStringLiteral("\r\r"), 0, 0);
        const qsizetype where = line.indexOf(QStringLiteral("\r\n"));
        if (where >= 0)
            line = QStringLiteral("%1 (%2)").arg(line.first(where), line.sliced(where + 2));
        print(line);
        return buttons == app::MessageButtons::YesNo ? app::MessageAnswer::No
                                                     : app::MessageAnswer::Ok;
    }
    // The application title says nothing on a terminal; a caption of the box's own does.
    const bool ownCaption = !caption.isEmpty() && caption != resolveCaption(QString());
    const QString said = detail.isEmpty() ? text : text + u' ' + detail;
    print(ownCaption ? QStringLiteral("%1: %2").arg(caption, said) : said);
    return buttons == app::MessageButtons::YesNo ? app::MessageAnswer::No : app::MessageAnswer::Ok;
}

QString ConsoleDialogs::doSaveFileName(const QString& title, const QString&, const QStringList&,
                                       int&)
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
