#include "documentcommands.h"

#include "docgen/pagetext.h"
#include "docgen/templatebuilder.h"
#include "docgen/timelinefile.h"
#include "timeline/entrytable.h"
#include "timeline/settingsstore.h"

#include "app/apptitle.h"
#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"
#include "filewrite/safefile.h"
#include "office/outputformat.h"
#include "preview/saveresults.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>

namespace editor {
namespace {
constexpr char kOpenTitle[] = "Open";
constexpr char kOpenFilter[] = "Timeline Files (*.docx *.doc *.pdf *.png *.svg *.pptx)|"
                               "*.docx;*.doc;*.pdf;*.png;*.svg;*.pptx|All Files (*)|*";

// A Word document is what Save writes again; a page file opened becomes a new document.
bool isWordDocument(const QString& path)
{
    return office::outputFormatOf(path) == office::OutputFormat::Word;
}
} // namespace

QString documentCaption(const QString& path, bool changed)
{
    const QString product = QLatin1String(app::kProductName);
    if (path.isEmpty())
        return product;
    return QStringLiteral("%1%2 \u2013 %3")
        .arg(QFileInfo(path).fileName(), changed ? QStringLiteral("*") : QString(), product);
}

QStringList withRecent(const QStringList& recent, const QString& path)
{
    QStringList list{path};
    for (const QString& known : recent)
        if (!known.isEmpty() && known != path && list.size() < kMaxRecentDocuments)
            list << known;
    return list;
}

std::optional<QString> pageRefusal(const timeline::Timeline& timeline)
{
    if (timeline.entries.isEmpty())
        return QStringLiteral("Please add timeline.");
    if (timeline.entries.size() > docgen::kMaxPageEntries)
        return QStringLiteral("A timeline page holds at most %1 entries; this list has more.")
            .arg(docgen::kMaxPageEntries);
    if (const std::optional<QString> tooMuch =
            docgen::tooMuchPageText(timeline.title, timeline.entries))
        return tooMuch->left(1).toUpper() + tooMuch->mid(1) + QLatin1Char('.');
    return std::nullopt;
}

DocumentCommands::DocumentCommands(app::Dialogs& dialogs, SettingsStore& store, DocumentHost& host)
    : mDialogs(dialogs), mStore(store), mHost(host)
{}

void DocumentCommands::restore()
{
    QStringList notices;
    try {
        mPath = readOrSetAside(mStore, QLatin1String(kDocumentPathKey), QString(),
                               QStringLiteral("document's name"), notices);
        mChanged = readOrSetAside(mStore, QLatin1String(kDocumentChangedKey), QString(),
                                  QStringLiteral("document's mark"), notices) == u"1";
        const QStringList recent =
            readOrSetAside(mStore, QLatin1String(kRecentDocumentsKey), QString(),
                           QStringLiteral("list of recent documents"), notices)
                .split(u'\n', Qt::SkipEmptyParts);
        mRecent = recent.first(std::min<qsizetype>(recent.size(), kMaxRecentDocuments));
    } catch (const app::Failure& failure) {
        notices << failure.description();
    }
    for (const QString& notice : notices)
        mDialogs.messageBox(notice, app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    mHost.setCaption(documentCaption(mPath, mChanged));
}

void DocumentCommands::newDocument()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1NewDocument));
    if (!settleChanges())
        return;
    trap.step(100, [&] {
        timeline::Timeline empty = mHost.shownTimeline();
        empty.title.clear();
        empty.entries.clear();
        const QScopedValueRollback<bool> replacing(mReplacing, true);
        mHost.showTimeline(empty, QStringLiteral("New"));
    });
    trap.step(102, [&] { setDocument(QString(), false); });
}

bool DocumentCommands::open()
{
    QString path;
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1OpenDocument));
    trap.step(100, [&] {
        path = mDialogs.openFileName(QLatin1String(kOpenTitle), QLatin1String(kOpenFilter));
    });
    return !path.isEmpty() && openFile(path);
}

bool DocumentCommands::openFile(const QString& path)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1OpenDocument));
    QString notice;
    timeline::xml::ReadResult read;
    trap.step(102, [&] { read = docgen::readTimelineFrom(path, &notice); });
    if (!read.timeline) {
        if (!read.error.isEmpty())
            mDialogs.messageBox(QStringLiteral("Cannot open %1").arg(read.error),
                                app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        return false;
    }
    // The entries go through the rules every other way in applies.
    const timeline::Timeline& opened = *read.timeline;
    EntryTable table;
    for (qsizetype i = 0; i < opened.entries.size(); ++i)
        table.rows.append({int(i + 1), opened.entries.at(i)});
    checkEntryTable(table, timeline::scaleNumber(opened.scale), kMaxListEntries);
    if (!table.problems.isEmpty()) {
        const TableProblem& first = table.problems.first();
        mDialogs.messageBox(QStringLiteral("Cannot open %1: entry %2: %3")
                                .arg(QDir::toNativeSeparators(path))
                                .arg(first.line)
                                .arg(first.reason),
                            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        return false;
    }
    if (!settleChanges())
        return false;
    bool shown = false;
    trap.step(104, [&] {
        const QScopedValueRollback<bool> replacing(mReplacing, true);
        mHost.showTimeline(opened, QStringLiteral("Open"));
        shown = true;
    });
    if (!shown)
        return false;
    trap.step(106, [&] {
        setDocument(isWordDocument(path) ? QFileInfo(path).absoluteFilePath() : QString(), false);
        remember(QFileInfo(path).absoluteFilePath());
    });
    if (!notice.isEmpty())
        trap.step(108, [&] {
            mDialogs.messageBox(notice, app::MessageButtons::Ok, app::MessageIcon::None);
        });
    return true;
}

bool DocumentCommands::save()
{
    if (mPath.isEmpty())
        return saveAs();
    return writeTo(mPath, QLatin1String(app::labels::kForm1SaveDocument));
}

bool DocumentCommands::saveAs()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1SaveDocumentAs));
    const office::OutputFormatRow& word = office::outputFormatRow(office::OutputFormat::Word);
    QString target;
    // The dialog adds the Word document's own extension to a name without one.
    trap.step(100, [&] {
        target = mDialogs.saveFileName(preview::saveDialogFor(word, mHost.shownTimeline().title));
    });
    if (target.isEmpty())
        return false;
    bool agreed = true;
    if (app::FileExists(target))
        trap.step(102, [&] { agreed = app::agreesToOverwrite(mDialogs, target); });
    if (!agreed)
        return false;
    return writeTo(QFileInfo(target).absoluteFilePath(),
                   QLatin1String(app::labels::kForm1SaveDocumentAs));
}

bool DocumentCommands::writeTo(const QString& path, const QString& label)
{
    const timeline::Timeline shown = mHost.shownTimeline();
    if (const std::optional<QString> refusal = pageRefusal(shown)) {
        mDialogs.messageBox(*refusal, app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        return false;
    }
    app::Trap trap(mDialogs, label);
    bool written = false;
    trap.step(110, [&] {
        const QByteArray document = mHost.wordDocument(shown);
        const filewrite::WriteResult result = filewrite::replaceFile(path, document);
        if (!result)
            throw app::Failure(QStringLiteral("Cannot write %1: %2")
                                   .arg(QDir::toNativeSeparators(path), result.reason));
        written = true;
    });
    if (written)
        trap.step(112, [&] {
            setDocument(path, false);
            remember(path);
        });
    return written;
}

bool DocumentCommands::settleChanges()
{
    if (!mChanged)
        return true;
    const QString name =
        mPath.isEmpty() ? QStringLiteral("the timeline shown") : QFileInfo(mPath).fileName();
    switch (mDialogs.messageBox(
        QStringLiteral("Save the changes to %1 before it is replaced?").arg(name),
        app::MessageButtons::SaveDiscardCancel, app::MessageIcon::Exclamation)) {
    case app::MessageAnswer::Save:
        return save();
    case app::MessageAnswer::Discard:
        return true;
    default:
        return false;
    }
}

void DocumentCommands::changed()
{
    if (mReplacing || mChanged)
        return;
    setDocument(mPath, true);
}

void DocumentCommands::setDocument(const QString& path, bool changed)
{
    const bool same = path == mPath && changed == mChanged;
    mPath = path;
    mChanged = changed;
    mHost.setCaption(documentCaption(mPath, mChanged));
    if (same)
        return;
    keep(kDocumentPathKey, mPath);
    keep(kDocumentChangedKey, mChanged ? QStringLiteral("1") : QStringLiteral("0"));
}

void DocumentCommands::remember(const QString& path)
{
    mRecent = withRecent(mRecent, path);
    keep(kRecentDocumentsKey, mRecent.join(u'\n'));
}

void DocumentCommands::keep(const char* key, const QString& value)
{
    try {
        mStore.write(QLatin1String(key), value);
    } catch (const app::Failure&) {
        // The name and the mark are conveniences beside the working state, whose own
        // writes say when the store fails; the document itself is saved.
    }
}

} // namespace editor
