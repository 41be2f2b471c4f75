// Figures for the editor's quality bar: a keystroke in the title with three full stored
// lists, start-up with an empty store, and start-up showing a full stored list.

#include "editor/entrylist.h"
#include "editor/form1.h"
#include "editor/settingsstore.h"

#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {
// A full list: the most entries a list holds, each of 60 characters of text.
QString fullList()
{
    QList<editor::TimelineEntry> entries;
    entries.reserve(editor::kMaxEntries);
    for (int i = 0; i < editor::kMaxEntries; ++i)
        entries.append({QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')),
                        QStringLiteral("Notes of entry %1 ")
                            .arg(i, 8, 10, QLatin1Char('0'))
                            .leftJustified(50, QLatin1Char('x'))});
    return editor::encodeEntryList(entries);
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
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
