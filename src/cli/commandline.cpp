#include "cli.h"

#include "consoledialogs.h"
#include "options.h"

#include "app/clipboard.h"
#include "app/failure.h"
#include "docgen/embeddedword.h"
#include "docgen/pagetext.h"
#include "docgen/templatebuilder.h"
#include "docgen/timelinefile.h"
#include "docgen/timelinepage.h"
#include "docgen/wordautomation.h"
#include "filewrite/safefile.h"
#include "office/customxml.h"
#include "office/docreader.h"
#include "office/error.h"
#include "office/outputformat.h"
#include "office/pageexport.h"
#include "slide/slidewriter.h"
#include "timeline/datereader.h"
#include "timeline/entrytable.h"
#include "timeline/scale.h"
#include "timeline/settingsstore.h"
#include "timeline/timeline.h"
#include "timeline/timelinexml.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageLogContext>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace cli {
namespace {
void say(const QString& text)
{
    std::fputs(QStringLiteral("loomchart: %1\n").arg(text).toLocal8Bit().constData(), stderr);
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Scripts read the error stream for problems; the toolkit's note that a session has no
// runtime folder (usual under cron or a service manager) is not one of ours, and the
// offscreen platform needs none.
QtMessageHandler gQtHandler = nullptr;
void filterQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    gQtHandler(type, context, message);
}

// The arguments as bytes: the parser refuses a value that is not UTF-8 rather than let
// the locale's decoder replace what it cannot read.
QList<QByteArray> argumentList(int argc, char* argv[])
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

// A page holds 63 entries; no CSV of a page's worth comes near this, and reading stops
// here, so endless or huge input costs neither time nor memory.
constexpr qint64 kMaxInputBytes = 1024 * 1024;
// A screenful of problems; the rest are counted.
constexpr int kMaxProblemLines = 20;

// The timeline a run makes its page of, with where each entry was read, as messages
// name it.
struct Page
{
    timeline::Timeline timeline;
    QStringList places;
    QList<int> lines;        // the line (or stored entry) each was read from
    bool ownChoices = false; // the page choices came with the timeline

    int scale() const { return timeline::scaleNumber(timeline.scale); }
};

timeline::Scale scaleOf(int number)
{
    return timeline::scaleOfNumber(number).value_or(timeline::Scale::Yearly);
}

std::optional<QString> readCsvText(const QString& csv, const QString& inputName)
{
    QFile file;
    bool opened = false;
    if (csv == u"-") {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(csv);
        opened = file.open(QIODevice::ReadOnly);
    }
    // A pipe gives what it holds at the moment: read on to the end or just past the cap.
    QByteArray bytes;
    while (opened && bytes.size() <= kMaxInputBytes) {
        const QByteArray chunk = file.read(kMaxInputBytes + 1 - bytes.size());
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (!opened || file.error() != QFileDevice::NoError) {
        say(QStringLiteral("cannot read %1: %2").arg(inputName, file.errorString()));
        return std::nullopt;
    }
    if (bytes.size() > kMaxInputBytes) {
        say(QStringLiteral("%1 is larger than %2 bytes, far more than a page holds; reading "
                           "stopped there")
                .arg(inputName)
                .arg(kMaxInputBytes));
        return std::nullopt;
    }
    editor::DecodedText decoded = editor::decodeTableText(bytes);
    if (decoded.problem) {
        say(QStringLiteral("%1: %2").arg(inputName, editor::describeProblems({*decoded.problem})));
        return std::nullopt;
    }
    return std::move(decoded.text);
}

// The page with the table's checked rows, each placed as `place` names it (the source's
// name, then the row's line); nothing when there are none.
std::optional<Page> withRows(Page page, const editor::EntryTable& table, const QString& source,
                             const QString& place)
{
    if (table.rows.isEmpty()) {
        say(QStringLiteral("%1 holds no entries").arg(source));
        return std::nullopt;
    }
    for (const editor::TableRow& row : table.rows) {
        page.timeline.entries.append(row.entry);
        page.places.append(place.arg(source, QString::number(row.line)));
        page.lines.append(row.line);
    }
    return page;
}

// The entries of the CSV, checked; nothing after naming every problem.
std::optional<Page> pageFromCsv(const Options& options)
{
    const QString inputName = options.csv == u"-" ? QStringLiteral("standard input") : options.csv;
    const std::optional<QString> text = readCsvText(options.csv, inputName);
    if (!text)
        return std::nullopt;
    Page page;
    page.timeline.title = options.title.value_or(QString());
    page.timeline.scale = scaleOf(options.scale.value_or(1));
    editor::EntryTable table = editor::readEntryTable(*text);
    editor::checkEntryTable(table, page.scale(), docgen::kMaxPageEntries);
    if (!table.problems.isEmpty()) {
        const QStringList lines =
            editor::describeProblems(table.problems, kMaxProblemLines).split(u'\n');
        for (const QString& line : lines)
            say(QStringLiteral("%1: %2").arg(inputName, line));
        return std::nullopt;
    }
    return withRows(std::move(page), table, inputName, QStringLiteral("%1: Line %2"));
}

// The rows of a list read whole (the store's, a file's timeline), checked by the rules of
// every way in; each problem is named by the list and the entry's number.
std::optional<Page> checkedRows(Page page, editor::EntryTable& table, const QString& listName)
{
    editor::checkEntryTable(table, page.scale(), docgen::kMaxPageEntries);
    for (const editor::TableProblem& problem :
         table.problems.first(std::min<qsizetype>(table.problems.size(), kMaxProblemLines)))
        say(QStringLiteral("%1, entry %2: %3").arg(listName).arg(problem.line).arg(problem.reason));
    if (table.problems.size() > kMaxProblemLines)
        say(QStringLiteral("%1: %2 more problems are not listed.")
                .arg(listName)
                .arg(table.problems.size() - kMaxProblemLines));
    if (!table.problems.isEmpty())
        return std::nullopt;
    return withRows(std::move(page), table, listName, QStringLiteral("%1, entry %2"));
}

// The studio's state, read and never written.
std::optional<Page> pageFromStore(const Options& options)
{
    Page page;
    editor::EntryTable table;
    try {
        editor::QSettingsStore store;
        page.timeline.scale =
            scaleOf(options.scale ? *options.scale
                                  : editor::scaleOfStoredOption(
                                        store.read(QLatin1String(editor::kOptionKey), QString())));
        page.timeline.title =
            options.title ? *options.title : editor::storedTitle(store, page.scale());
        QList<editor::TimelineEntry> entries =
            editor::decodeEntryList(store.read(editor::timelineKey(page.scale()), QString()));
        editor::readEntryDetails(store, page.scale(), entries);
        for (qsizetype i = 0; i < entries.size(); ++i)
            table.rows.append({int(i + 1), entries.at(i)});
    } catch (const app::Failure& failure) {
        say(failure.description());
        return std::nullopt;
    }
    const QString listName =
        QStringLiteral("the stored %1 list").arg(editor::scaleName(page.scale()));
    return checkedRows(std::move(page), table, listName);
}

// The timeline a file of the studio carries; any other file is read as a CSV.
std::optional<Page> pageFromFile(const Options& options)
{
    const QString& path = options.input;
    if (!office::outputFormatOf(path) && !path.endsWith(u".xml", Qt::CaseInsensitive)) {
        Options csv = options;
        csv.csv = path;
        return pageFromCsv(csv);
    }
    QString notice;
    const timeline::xml::ReadResult read = docgen::readTimelineFrom(path, &notice);
    if (!read.timeline) {
        say(read.error);
        return std::nullopt;
    }
    if (!notice.isEmpty())
        print(stderr, QStringLiteral("warning: %1: %2\n").arg(path, notice));
    Page page;
    page.timeline = *read.timeline;
    page.ownChoices = true;
    if (options.title)
        page.timeline.title = *options.title;
    editor::EntryTable table;
    for (qsizetype i = 0; i < page.timeline.entries.size(); ++i)
        table.rows.append({int(i + 1), page.timeline.entries.at(i)});
    page.timeline.entries.clear();
    return checkedRows(std::move(page), table, path);
}

// By date, as "Sort by Date" sorts; an entry whose date is not read is named and follows.
void sortByDate(Page& page)
{
    QList<editor::TimelineEntry>& entries = page.timeline.entries;
    const editor::DateOrder order =
        editor::sortedByDate(entries, editor::DateReader(page.scale(), QLocale()));
    for (int line : order.unreadLines)
        say(QStringLiteral("%1: \"%2\" is not read as a %3 date; it follows the sorted entries")
                .arg(page.places.at(line - 1), entries.at(line - 1).date,
                     editor::scaleName(page.scale())));
    QList<editor::TimelineEntry> sorted;
    QStringList places;
    QList<int> lines;
    // Each entry keeps the line it was read from, so later messages name the user's line.
    for (int row : order.rows) {
        sorted.append(entries.at(row));
        places.append(page.places.at(row));
        lines.append(page.lines.at(row));
    }
    entries = sorted;
    page.places = places;
    page.lines = lines;
}

// Texts that pass every rule but are more than the document reader takes back would
// fail deep in the builder: refused here, with the reason.
bool fitsOnePage(const Page& page)
{
    const std::optional<QString> refusal =
        docgen::tooMuchPageText(page.timeline.title, page.timeline.entries);
    if (refusal)
        say(*refusal);
    return !refusal;
}

bool writeOutput(const QString& path, const QByteArray& bytes)
{
    const filewrite::WriteResult written = filewrite::replaceFile(path, bytes);
    if (!written)
        say(QStringLiteral("cannot write %1: %2").arg(path, written.reason));
    return bool(written);
}

// What the page cannot show, one line per text, by the entry's line and date; false when
// --strict refuses to write it.
bool reportFits(const Options& options, const Page& page, const docgen::FitReport& report)
{
    for (docgen::CutText cut : report.cuts) {
        if (cut.line > 0)
            cut.line = page.lines.value(cut.line - 1, cut.line);
        print(stderr, QStringLiteral("warning: %1\n").arg(cut.describe()));
    }
    if (options.strict && !report.fits()) {
        say(QStringLiteral("some text would be cut; nothing was written (--strict)"));
        return false;
    }
    return true;
}

// A slide is laid out on its own size straight from the timeline; no document is made.
int planAndWriteSlide(const Options& options, const Page& page)
{
    const int entries = int(page.timeline.entries.size());
    if (entries < 1 || entries > docgen::kMaxPageEntries) {
        say(QStringLiteral("the page could not be made; nothing was written"));
        return kExitBadInput;
    }
    QString spacingNotice;
    const docgen::PageOptions pageOptions =
        docgen::pageOptionsOf(page.timeline, QLocale(), &spacingNotice, page.lines);
    if (!spacingNotice.isEmpty())
        print(stderr, QStringLiteral("warning: %1\n").arg(spacingNotice));
    const docgen::PagePlan plan = slide::planSlide(page.timeline, pageOptions, *options.slideSize);
    if (!reportFits(options, page, plan.report))
        return kExitBadInput;
    try {
        slide::saveSlide(page.timeline, plan, *options.slideSize, options.output);
    } catch (const office::Error& error) {
        say(error.description());
        return kExitWriteFailed;
    }
    return kExitSuccess;
}

int buildAndWrite(const Options& options, const Page& page)
{
    if (options.kind == office::OutputFormat::Slide)
        return planAndWriteSlide(options, page);
    // The builder's document and picture go to a folder of this run's own, which keeps
    // parallel runs apart and is removed with everything in it.
    QTemporaryDir work;
    if (!work.isValid()) {
        say(QStringLiteral("cannot make a temporary folder: %1").arg(work.errorString()));
        return kExitBadInput;
    }

    ConsoleDialogs dialogs;
    app::PictureClipboard clipboard;
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);
    docgen::TemplateBuilder builder(dialogs, factory, clipboard);
    builder.setWorkFolder(work.path());
    QString spacingNotice;
    builder.setPageOptions(
        docgen::pageOptionsOf(page.timeline, QLocale(), &spacingNotice, page.lines));
    if (!spacingNotice.isEmpty())
        print(stderr, QStringLiteral("warning: %1\n").arg(spacingNotice));
    docgen::ListHost host(page.timeline.title, page.timeline.entries);
    const docgen::BuildResult built = builder.PushButton6_Click(host);
    if (!built.made()) {
        say(QStringLiteral("the page could not be made; nothing was written"));
        return kExitBadInput;
    }
    if (!reportFits(options, page, builder.lastPlan().report))
        return kExitBadInput;

    if (!office::outputFormatRow(options.kind).pageFile) {
        QFile document(built.document);
        if (!document.open(QIODevice::ReadOnly)) {
            say(QStringLiteral("cannot read the made page: %1").arg(document.errorString()));
            return kExitBadInput;
        }
        return writeOutput(options.output, document.readAll()) ? kExitSuccess : kExitWriteFailed;
    }
    // The page drawn from the saved document, so it shows what the document holds.
    office::Document document;
    try {
        document = office::openDocument(built.document);
    } catch (const office::Error& error) {
        say(error.description());
        return kExitBadInput;
    }
    try {
        const office::CustomXmlItem* carried = office::customxml::findItem(
            document.customXml(), QLatin1String(timeline::xml::kNamespace));
        office::writePage(document, options.output, *office::outputFormatRow(options.kind).pageFile,
                          carried ? carried->data : QByteArray());
    } catch (const office::Error& error) {
        say(error.description());
        return kExitWriteFailed;
    }
    return kExitSuccess;
}
} // namespace

bool wantsCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (const QByteArray& argument : argumentList(argc, argv))
        arguments.append(QString::fromLocal8Bit(argument));
    return isCommandLine(arguments);
}

int runCommandLine(int argc, char* argv[])
{
    const Invocation invocation = parseArguments(argumentList(argc, argv));
    switch (invocation.action) {
    case Invocation::Action::Help:
        print(stdout, usageText());
        return kExitSuccess;
    case Invocation::Action::Version:
        print(stdout, QStringLiteral("loomchart %1\n").arg(QLatin1String(LOOM_VERSION)));
        return kExitSuccess;
    case Invocation::Action::BadUsage:
        say(invocation.error);
        print(stderr, QStringLiteral("Try 'loomchart --help' for more information.\n"));
        return kExitBadUsage;
    case Invocation::Action::BadInput:
        say(invocation.error);
        return kExitBadInput;
    case Invocation::Action::Run:
        break;
    }

    const Options& options = invocation.options;
    std::error_code sameFileError;
    const QString& inputFile = options.input.isEmpty() ? options.csv : options.input;
    if (!inputFile.isEmpty() && inputFile != u"-" &&
        std::filesystem::equivalent(QFile::encodeName(inputFile).toStdString(),
                                    QFile::encodeName(options.output).toStdString(),
                                    sameFileError)) {
        say(QStringLiteral("--output %1 would replace the input file").arg(options.output));
        return kExitBadUsage;
    }
    std::optional<Page> page = options.stored             ? pageFromStore(options)
                               : !options.input.isEmpty() ? pageFromFile(options)
                                                          : pageFromCsv(options);
    if (!page)
        return kExitBadInput;
    if (!fitsOnePage(*page))
        return kExitBadInput;
    if (!page->ownChoices) {
        page->timeline.page = options.page;
    } else {
        // The file's choices, but for those the command line gives.
        timeline::PageChoices& choices = page->timeline.page;
        if (options.layoutGiven)
            choices.layout = options.page.layout;
        if (options.spacingGiven)
            choices.spacing = options.page.spacing;
        if (!options.page.paper.isEmpty())
            choices.paper = options.page.paper;
        if (!options.page.theme.isEmpty())
            choices.theme = options.page.theme;
    }
    if (options.sort)
        sortByDate(*page);

    // Text layout needs a GUI application, but never a display: whatever platform the
    // environment names (one without its display aborts), the run draws offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    gQtHandler = qInstallMessageHandler(filterQtMessage);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    return buildAndWrite(options, *page);
}

} // namespace cli
