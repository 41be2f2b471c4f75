// Figures for the editor's quality bars: a keystroke in the title with three full stored
// lists, start-up with an empty store and showing a full stored list, one list command on
// a full list with its write to the store, pasting and importing 10 000 rows, the undo of
// a Clear on a full list, and sorting a full list by date.

#include "app/heapuse.h"
#include "editor/form1.h"
#include "timeline/datereader.h"
#include "timeline/entrylist.h"
#include "timeline/entrytable.h"
#include "timeline/settingsstore.h"

#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {
// A full list: the most entries a list holds, each of 60 characters of text.
QList<editor::TimelineEntry> fullEntries(int count = editor::kMaxListEntries)
{
    QList<editor::TimelineEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append({QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')),
                        QStringLiteral("Notes of entry %1 ")
                            .arg(i, 8, 10, QLatin1Char('0'))
                            .leftJustified(50, QLatin1Char('x'))});
    return entries;
}

QString fullList()
{
    return editor::encodeEntryList(fullEntries());
}

double percentile(std::vector<double> samples, double fraction)
{
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples.at(at);
}

void reportMs(benchmark::State& state, const std::vector<double>& ms)
{
    state.counters["median_ms"] = percentile(ms, 0.5);
    state.counters["p99_ms"] = percentile(ms, 0.99);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
}

void BM_TitleKeystrokeWithFullLists(benchmark::State& state)
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString list = fullList();
    for (int scale = 1; scale <= 3; ++scale)
        store.write(editor::timelineKey(scale), list);
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    editor::Form1 form({dialogs, end, store, dir.path(), {}, {}});
    form.Form_Load();
    form.show();
    auto* title = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        // One typed character: the title box changes and the whole title is written.
        title->insert(QStringLiteral("a"));
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (title->text().size() > 80)
            title->clear();
    }
    reportMs(state, ms);
}
BENCHMARK(BM_TitleKeystrokeWithFullLists)->Iterations(500)->Unit(benchmark::kMillisecond);

// The layout the store avoids: every key in one file, so each sync rewrites the lists.
void BM_TitleKeystrokeOneFileForAllKeys(benchmark::State& state)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("all.ini")), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(editor::kStoreSection));
    const QString list = fullList();
    for (int scale = 1; scale <= 3; ++scale)
        settings.setValue(editor::timelineKey(scale), list);
    settings.sync();
    std::vector<double> ms;
    QElapsedTimer timer;
    QString title;
    for (auto _ : state) {
        timer.start();
        title += QLatin1Char('a');
        settings.setValue(QLatin1String(editor::kTitleKey), title);
        settings.sync();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    reportMs(state, ms);
}
BENCHMARK(BM_TitleKeystrokeOneFileForAllKeys)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_StoreWriteFullList(benchmark::State& state)
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString list = fullList();
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        store.write(editor::timelineKey(1), list + QString::number(ms.size()));
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    reportMs(state, ms);
}
BENCHMARK(BM_StoreWriteFullList)->Iterations(30)->Unit(benchmark::kMillisecond);

// A shown main window on a store holding `entries` as the Yearly list.
struct Editor
{
    explicit Editor(const QList<editor::TimelineEntry>& entries)
    {
        store.write(editor::timelineKey(1), editor::encodeEntryList(entries));
        form.Form_Load();
        form.show();
        QApplication::processEvents();
    }
    QTemporaryDir dir;
    editor::QSettingsStore store{dir.path()};
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    testsupport::MemoryClipboard clipboard;
    editor::Form1 form{{dialogs, end, store, dir.path(), {}, {}, &clipboard}};
};

// One list command on a list one short of full, so Add has room: 0 add, 1 edit, 2 move,
// 3 delete. Each includes its write of the whole list to the store.
void BM_ListCommandOnFullList(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    state.SetLabel(QList<const char*>{"add", "edit", "move", "delete"}.at(kind));
    Editor editor(fullEntries(editor::kMaxListEntries - 1));
    editor::Form1& form = editor.form;
    std::vector<double> ms;
    QElapsedTimer timer;
    int step = 0;
    for (auto _ : state) {
        const int row = (step++ * 7919) % (form.entryCount() - 1);
        form.showRow(row);
        if (kind == 0 || kind == 1)
            editor.dialogs.inputAnswers = {QStringLiteral("%1").arg(2000 + step % 100),
                                           QStringLiteral("Typed notes of sixty characters, "
                                                          "more or less, here %1")
                                               .arg(step)};
        timer.start();
        switch (kind) {
        case 0:
            form.PushButton1_Click();
            break;
        case 1:
            form.listCommands().editSelected();
            break;
        case 2:
            form.listCommands().moveDown();
            break;
        default:
            form.PushButton2_Click();
            break;
        }
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        // Keep the count: take back an add, put back a deleted row (untimed).
        if (kind == 0 || kind == 3) {
            state.PauseTiming();
            form.listCommands().undo();
            state.ResumeTiming();
        }
    }
    if (!editor.dialogs.messages().isEmpty())
        state.SkipWithError("a command showed a message");
    reportMs(state, ms);
}
BENCHMARK(BM_ListCommandOnFullList)
    ->DenseRange(0, 3)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

// 10 000 rows pasted (0) or imported from a CSV file (1) into an empty list, with the write.
void BM_TenThousandRowsIn(benchmark::State& state)
{
    const bool import = state.range(0) == 1;
    state.SetLabel(import ? "import" : "paste");
    Editor editor({});
    const QList<editor::TimelineEntry> rows = fullEntries(10'000);
    editor.clipboard.plainText = editor::writeTsv(rows);
    const QString csv = editor.dir.filePath(QStringLiteral("rows.csv"));
    {
        QFile file(csv);
        file.open(QIODevice::WriteOnly);
        file.write(editor::writeCsv(rows).toUtf8());
    }
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        editor.dialogs.openAnswers = {csv};
        timer.start();
        if (import)
            editor.form.listCommands().importCsv();
        else
            editor.form.listCommands().paste();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        state.PauseTiming();
        if (editor.form.entryCount() != rows.size())
            state.SkipWithError("not every row went in");
        editor.form.listCommands().undo();
        state.ResumeTiming();
    }
    reportMs(state, ms);
}
BENCHMARK(BM_TenThousandRowsIn)->DenseRange(0, 1)->Iterations(10)->Unit(benchmark::kMillisecond);

// Undo of "Clear/Reset Data" on a full list: title and rows back, and the list written.
void BM_UndoClearOfFullList(benchmark::State& state)
{
    Editor editor(fullEntries());
    editor.form.setTitleText(QStringLiteral("Title"));
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        editor.form.PushButton3_Click();
        state.ResumeTiming();
        timer.start();
        editor.form.listCommands().undo();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    if (editor.form.entryCount() != editor::kMaxListEntries)
        state.SkipWithError("the undo did not bring the rows back");
    reportMs(state, ms);
}
BENCHMARK(BM_UndoClearOfFullList)->Iterations(20)->Unit(benchmark::kMillisecond);

// "Sort by Date" on a full list of shuffled years, with its write of the whole list.
void BM_SortByDateFullList(benchmark::State& state)
{
    QList<editor::TimelineEntry> entries = fullEntries();
    for (int i = 0; i < entries.size(); ++i)
        entries[i].date = QString::number((i * 7919) % editor::kMaxListEntries - 16000);
    Editor editor(entries);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        editor.form.listCommands().sortByDate();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        state.PauseTiming();
        if (editor.form.entries() == entries || editor.form.entryCount() != editor::kMaxListEntries)
            state.SkipWithError("the list was not sorted");
        editor.form.listCommands().undo();
        state.ResumeTiming();
    }
    if (!editor.dialogs.messages().isEmpty())
        state.SkipWithError("the sort showed a message");
    reportMs(state, ms);
}
BENCHMARK(BM_SortByDateFullList)->Iterations(20)->Unit(benchmark::kMillisecond);

// The order check on a full list, as it runs after every change: 0 years in order, 1 the
// same years shuffled (every other row marked), 2 daily dates in order.
void BM_DateOrderCheckFullList(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    state.SetLabel(QList<const char*>{"years", "shuffled years", "days"}.at(kind));
    QList<editor::TimelineEntry> entries = fullEntries();
    for (int i = 0; i < entries.size(); ++i) {
        const int at = kind == 1 ? (i * 7919) % editor::kMaxListEntries : i;
        entries[i].date = kind == 2
                              ? QStringLiteral("May %1, %2").arg(1 + at % 28).arg(1000 + at / 28)
                              : QString::number(at - 16000);
    }
    const editor::DateReader reader(kind == 2 ? 3 : 1, QLocale(QStringLiteral("en_US")));
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        const QHash<int, QString> notes = editor::dateOrderNotes(entries, reader);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        benchmark::DoNotOptimize(notes.size());
    }
    reportMs(state, ms);
}
BENCHMARK(BM_DateOrderCheckFullList)
    ->DenseRange(0, 2)
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

void startAndShow(benchmark::State& state, const QString& storedList)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        {
            editor::QSettingsStore seed(dir.path());
            if (!storedList.isEmpty())
                seed.write(editor::timelineKey(1), storedList);
        }
        testsupport::ScriptedDialogs dialogs;
        testsupport::RecordingEnd end;
        state.ResumeTiming();
        timer.start();
        {
            editor::QSettingsStore store(dir.path());
            editor::Form1 form({dialogs, end, store, dir.path(), {}, {}});
            form.Form_Load();
            form.show();
            QApplication::processEvents();
            ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    reportMs(state, ms);
}

void BM_StartUpEmptyStore(benchmark::State& state)
{
    startAndShow(state, QString());
}
BENCHMARK(BM_StartUpEmptyStore)->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_StartUpShowingFullList(benchmark::State& state)
{
    startAndShow(state, fullList());
}
BENCHMARK(BM_StartUpShowingFullList)->Iterations(15)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // As the program does (main.cpp), so that the figures are the program's.
    app::keepFreedPictureMemory();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
