#include "saveresults.h"

#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"
#include "filewrite/safefile.h"
#include "office/outputformat.h"

#include <QDir>
#include <QFile>

namespace preview {
namespace {
QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

void copyFileReplacing(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.exists())
        throw app::Failure(QStringLiteral("File not found: %1").arg(native(source)));
    // The whole document is read before the target is touched, so an unreadable source
    // never costs the old file.
    if (!in.open(QIODevice::ReadOnly))
        throw app::Failure(
            QStringLiteral("Cannot read %1: %2").arg(native(source), in.errorString()));
    const QByteArray content = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw app::Failure(
            QStringLiteral("Cannot read %1: %2").arg(native(source), in.errorString()));
    in.close();

    // The overwrite was agreed to, so a folder that takes no new file still lets a
    // writable target be overwritten in place.
    const filewrite::WriteResult written =
        filewrite::replaceFile(target, content, filewrite::InPlace::WhenFolderRefuses);
    if (!written)
        throw app::Failure(
            QStringLiteral("Cannot write %1: %2").arg(native(target), written.reason));
}

app::SaveDialog saveDialogFor(const office::OutputFormatRow& format, const QString& title)
{
    return app::SaveDialog{QLatin1String(format.saveTitle), format.saveFilters(),
                           app::fileNameFromTitle(title), QString()};
}

bool SaveResultsToWordFile(app::Dialogs& dialogs, const QString& wordFile, const QString& title)
{
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm2SaveResults));
    // Starts undecided on every press; only Yes leads to the copy.
    bool overwriteAgreed = false;
    bool copied = false;
    QString target;
    trap.step(112, [&] {
        target = dialogs.saveFileName(
            saveDialogFor(office::outputFormatRow(office::OutputFormat::Word), title));
    });
    if (trap.test(116, [&] { return target.isEmpty(); }))
        return false;
    if (trap.test(118, [&] { return !app::FileExists(target); })) {
        trap.step(126, [&] { overwriteAgreed = true; });
    } else {
        trap.step(120, [&] { overwriteAgreed = app::agreesToOverwrite(dialogs, target); });
    }
    // The existing file is not removed first: the copy replaces it in one rename, so a
    // failed copy leaves it as it was (only a folder that takes no new file makes the
    // copy overwrite the file itself).
    if (trap.test(128, [&] { return overwriteAgreed; })) {
        trap.step(130, [&] {
            copyFileReplacing(wordFile, target);
            copied = true;
        });
    }
    if (copied)
        trap.step(132, [&] { app::sayDone(dialogs, target); });
    return copied;
}

} // namespace preview
