// Figures for the command line, from start to the file written, for the 8-entry sample
// and for a full page, with the peak memory of the run; and for reading and checking
// 10 000 pasted or imported rows.

#include "timeline/entrytable.h"
#include "timeline/samples.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <vector>

extern char** environ;

namespace {
double percentile(std::vector<double> samples, double fraction)
{
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples.at(at);
}

// Runs the program to its end; the exit status, the child's peak resident set in KiB and
// its processor time in ms, which a machine busy with other work inflates less than the
// time on the clock.
bool runProgram(const QStringList& arguments, long& peakKib, double& cpuMs)
{
    QList<QByteArray> storage{QByteArrayLiteral(LOOM_PROGRAM)};
    for (const QString& argument : arguments)
        storage.append(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    peakKib = usage.ru_maxrss;
    const auto ms = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
    };
    cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void commandLine(benchmark::State& state, const QList<editor::TimelineEntry>& entries,
                 const QString& extension)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    {
        QFile file(csv);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the input");
            return;
        }
        file.write(editor::writeCsv(entries).toUtf8());
    }
    const QStringList arguments{
        QStringLiteral("--title"),  QLatin1String(editor::kSampleTitle),
        QStringLiteral("--scale"),  QStringLiteral("daily"),
        QStringLiteral("--csv"),    csv,
        QStringLiteral("--output"), dir.filePath(QStringLiteral("out.") + extension)};
    std::vector<double> ms;
    std::vector<double> cpu;
    long peakKib = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        long runPeak = 0;
        double runCpu = 0;
        timer.start();
        if (!runProgram(arguments, runPeak, runCpu)) {
            state.SkipWithError("the program failed");
            return;
        }
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(runCpu);
        peakKib = std::max(peakKib, runPeak);
    }
    state.counters["median_ms"] = percentile(ms, 0.5);
    state.counters["p90_ms"] = percentile(ms, 0.9);
    state.counters["median_cpu_ms"] = percentile(cpu, 0.5);
    state.counters["peak_MB"] = static_cast<double>(peakKib) / 1024.0;
}

QList<editor::TimelineEntry> fullPage()
{
    QList<editor::TimelineEntry> entries;
    for (int i = 1; i <= 63; ++i)
        entries.append({QStringLiteral("Apr %1").arg(1900 + i),
                        QStringLiteral("Notes of entry %1, long enough to wrap").arg(i)});
    return entries;
}

void BM_CommandLineSampleDoc(benchmark::State& state)
{
    commandLine(state, editor::sampleEntries(3), QStringLiteral("doc"));
}
BENCHMARK(BM_CommandLineSampleDoc)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_CommandLineFullPageDoc(benchmark::State& state)
{
    commandLine(state, fullPage(), QStringLiteral("doc"));
}
BENCHMARK(BM_CommandLineFullPageDoc)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_CommandLineSamplePdf(benchmark::State& state)
{
    commandLine(state, editor::sampleEntries(3), QStringLiteral("pdf"));
}
BENCHMARK(BM_CommandLineSamplePdf)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_CommandLineFullPagePdf(benchmark::State& state)
{
    commandLine(state, fullPage(), QStringLiteral("pdf"));
}
BENCHMARK(BM_CommandLineFullPagePdf)->Iterations(20)->Unit(benchmark::kMillisecond);

// 10 000 rows of 60 characters with quoting, as an import or a paste brings them.
void BM_ReadAndCheck10000Rows(benchmark::State& state)
{
    QList<editor::TimelineEntry> entries;
    for (int i = 0; i < 10000; ++i)
        entries.append({QStringLiteral("%1").arg(1000 + i % 1000),
                        QStringLiteral("Notes, \"quoted\" of entry %1 ")
                            .arg(i, 8, 10, QLatin1Char('0'))
                            .leftJustified(50, QLatin1Char('x'))});
    const QString csv = editor::writeCsv(entries);
    for (auto _ : state) {
        editor::EntryTable table = editor::readEntryTable(csv);
        editor::checkEntryTable(table, 1, 32767);
        if (table.rows.size() != entries.size()) {
            state.SkipWithError("rows lost");
            return;
        }
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_ReadAndCheck10000Rows)->Iterations(20)->Unit(benchmark::kMillisecond);
// Text made to slow a reader down: quotes that never close, doubled quotes, empty lines
// and fields. Time per megabyte must stay the same from 1 to 8 MB.
void BM_ReadHostileText(benchmark::State& state)
{
    static const char* const kPatterns[] = {"\"", "\"\"", "\n", ",", "\t\"a\"\"\r\n", "\"x\"y,"};
    const QString pattern = QLatin1String(kPatterns[state.range(0)]);
    const qsizetype size = state.range(1) << 20;
    const QString text = pattern.repeated(size / pattern.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(editor::readEntryTable(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReadHostileText)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 8}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
