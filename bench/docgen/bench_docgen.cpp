// From the press of "Start Creating Template" to the preview window showing the page,
// through the real windows (offscreen) and the embedded engine, with the time split into
// build, save, open, render, bitmap and load; and from a change in the main window to the
// page beside the list drawn again.
#include "app/apptitle.h"
#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/heapuse.h"
#include "app/processend.h"
#include "docgen/embeddedword.h"
#include "docgen/pagefit.h"
#include "docgen/templatebuilder.h"
#include "docgen/wordautomation.h"
#include "editor/studio.h"
#include "office/docwriter.h"
#include "preview/form2.h"
#include "preview/pageview.h"
#include "slide/slide.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"
#include "timeline/entrylist.h"
#include "timeline/samples.h"
#include "timeline/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <optional>

namespace {

// Marks the moments that separate the phases: the engine's member calls and the picture
// reaching the clipboard.
struct PhaseClock
{
    QElapsedTimer timer;
    std::vector<std::pair<std::string, qint64>> marks;
    void mark(std::string what) { marks.emplace_back(std::move(what), timer.nsecsElapsed()); }
    qint64 at(const std::string& what, int occurrence = 1) const
    {
        for (const auto& [name, time] : marks)
            if (name == what && --occurrence == 0)
                return time;
        return -1;
    }
    qint64 after(const std::string& what) const
    {
        for (size_t i = 0; i + 1 < marks.size(); ++i)
            if (marks[i].first == what)
                return marks[i + 1].second;
        return -1;
    }
};

class TimedClipboard : public app::Clipboard
{
public:
    explicit TimedClipboard(PhaseClock& clock) : mClock(clock) {}
    void setPicture(const QImage& picture) override
    {
        mPicture = picture;
        mClock.mark("picture on clipboard");
    }
    bool requestPicture(int, QImage& picture) override
    {
        picture = mPicture;
        return !picture.isNull();
    }

private:
    PhaseClock& mClock;
    QImage mPicture;
};

QList<editor::TimelineEntry> entries(int count)
{
    QList<editor::TimelineEntry> rows;
    for (int i = 0; i < count; ++i)
        rows << editor::TimelineEntry{QString::number(1900 + i),
                                      QStringLiteral("Milestone number %1 of the plan").arg(i)};
    return rows;
}

// The Yearly sample for 8; otherwise `count` entries with notes of 80 characters.
QList<editor::TimelineEntry> benchRows(int count)
{
    if (count == 8)
        return editor::sampleEntries(1);
    QList<editor::TimelineEntry> rows = entries(count);
    for (editor::TimelineEntry& row : rows)
        row.notes = (row.notes + QStringLiteral(", reviewed by the board and approved for all "
                                                "teams in the spring"))
                        .left(80);
    return rows;
}

// A studio on a store of its own holding `rows` (and `title`, when given), its engine
// marking each member call on `clock`; its press shows the preview.
struct PressRig
{
    explicit PressRig(const QList<editor::TimelineEntry>& rows, const QString& title = {})
    {
        qputenv("TEMP", temp.path().toUtf8());
        store.write(QStringLiteral("Option"), QStringLiteral("1"));
        if (!title.isNull())
            store.write(QStringLiteral("Text1"), title);
        store.write(QStringLiteral("Timeline1"), editor::encodeEntryList(rows));
        docgen::EmbeddedWordOptions options;
        options.beforeMember = [this](const char* member) { clock.mark(member); };
        docgen::registerEmbeddedWord(factory, clipboard, options);
        studio.emplace(
            editor::StudioServices{dialogs, end, store, factory, clipboard, temp.path()});
        studio->start();
    }
    // From the press to the preview shown, the clock started at the press; false when the
    // preview did not come.
    bool press()
    {
        clock.marks.clear();
        clock.timer.start();
        studio->mainWindow().PushButton6_Click();
        preview::Form2* form2 = studio->previewWindow();
        form2->Form_Activate();
        return form2->isVisible() && dialogs.calls.isEmpty();
    }
    // "< Back": removes the document and shows the editor.
    void back() { studio->previewWindow()->PushButton8_Click(); }

    QTemporaryDir temp;
    PhaseClock clock;
    TimedClipboard clipboard{clock};
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    editor::QSettingsStore store{temp.filePath(QStringLiteral("store"))};
    docgen::AutomationFactory factory;
    std::optional<editor::Studio> studio;
};

void pressToPreview(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    PressRig rig(benchRows(count));
    const PhaseClock& clock = rig.clock;

    // With a second argument of 1 the title changes before every press, as after an edit:
    // no plan kept from the press before answers.
    const bool retitled = state.range(1) == 1;
    int press = 0;
    std::map<std::string, std::vector<double>> phases;
    for (auto _ : state) {
        if (retitled) {
            state.PauseTiming();
            rig.studio->mainWindow().setTitleText(
                QStringLiteral("Project Timeline %1").arg(++press));
            state.ResumeTiming();
        }
        const bool shownOk = rig.press();
        const qint64 shown = clock.timer.nsecsElapsed();
        if (!shownOk) {
            state.SkipWithError("the preview was not shown");
            break;
        }
        const qint64 saveStart = clock.at("Document.SaveAs");
        const qint64 saveEnd = clock.after("Document.SaveAs");
        const qint64 openStart = clock.at("Application.Documents.Open");
        const qint64 openEnd = clock.after("Application.Documents.Open");
        const qint64 renderStart = clock.at("Range.CopyAsPicture");
        const qint64 onClipboard = clock.at("picture on clipboard");
        const qint64 bitmapEnd = clock.after("picture on clipboard");
        const qint64 lastQuit = clock.at("Application.Quit", 2);
        phases["build"].push_back(saveStart / 1e6);
        phases["save"].push_back((saveEnd - saveStart) / 1e6);
        phases["open"].push_back((openEnd - openStart) / 1e6);
        phases["render"].push_back((onClipboard - renderStart) / 1e6);
        phases["bitmap"].push_back((bitmapEnd - onClipboard) / 1e6);
        phases["load"].push_back((shown - lastQuit) / 1e6);
        state.PauseTiming();
        rig.back();
        state.ResumeTiming();
    }
    for (auto& [name, values] : phases) {
        std::sort(values.begin(), values.end());
        state.counters[name + "_ms"] = values.empty() ? 0 : values[values.size() / 2];
    }
}

} // namespace

BENCHMARK(pressToPreview)
    ->ArgNames({"entries", "retitled"})
    ->ArgsProduct({{8, 63}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

namespace {

// The layout step alone: the Yearly sample (8) and 63 entries of 80 characters, Letter.
void layoutStep(benchmark::State& state)
{
    const QList<editor::TimelineEntry> rows = benchRows(int(state.range(0)));
    const docgen::PageMetrics letter{792, 612, 72, 72};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            docgen::PageFit::plan(QStringLiteral("Project Timeline"), rows, letter));
}

} // namespace

BENCHMARK(layoutStep)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);

namespace {

// From the plan to the file: the slide (16:9) packaged and written, against the Word
// document of the same entries saved; the same rows as above.
void planToSlide(benchmark::State& state)
{
    timeline::Timeline shown;
    shown.title = QStringLiteral("Project Timeline");
    shown.entries = benchRows(int(state.range(0)));
    const slide::SlideSize& size = slide::kDefaultSlideSize;
    const docgen::PagePlan plan = slide::planSlide(shown, {}, size);
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("slide.pptx"));
    for (auto _ : state)
        slide::saveSlide(shown, plan, size, path);
}

// The document of the page the rows above make, as the page beside the list sketches it.
std::shared_ptr<const office::Document> sketchedPage(int count)
{
    testsupport::MemoryClipboard clipboard;
    testsupport::ScriptedDialogs dialogs;
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);
    const docgen::TemplateBuilder builder(dialogs, factory, clipboard);
    return builder
        .sketch(QStringLiteral("Project Timeline"), benchRows(count), docgen::PageOptions{})
        .document;
}

void wordSave(benchmark::State& state)
{
    const std::shared_ptr<const office::Document> document = sketchedPage(int(state.range(0)));
    if (!document) {
        state.SkipWithError("no page was made");
        return;
    }
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("page.doc"));
    for (auto _ : state)
        office::saveDocument(*document, path);
}

// The save without the disk: the package made in memory (parts written, then zipped), from
// the same document as above.
void wordPackage(benchmark::State& state)
{
    const std::shared_ptr<const office::Document> document = sketchedPage(int(state.range(0)));
    if (!document) {
        state.SkipWithError("no page was made");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(office::writePackage(*document));
}

// The layout step with a new title each time, so that no plan kept from before answers.
void layoutStepAfresh(benchmark::State& state)
{
    const QList<editor::TimelineEntry> rows = benchRows(int(state.range(0)));
    const docgen::PageMetrics letter{792, 612, 72, 72};
    int run = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            docgen::PageFit::plan(QStringLiteral("Project Timeline %1").arg(++run), rows, letter));
}

// As above with every note new each time as well, so that nothing learnt of a text
// before answers; only the fonts' character widths are known.
void layoutStepNewTexts(benchmark::State& state)
{
    const QList<editor::TimelineEntry> base = benchRows(int(state.range(0)));
    QList<editor::TimelineEntry> rows = base;
    const docgen::PageMetrics letter{792, 612, 72, 72};
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString mark = QString::number(++run);
        for (qsizetype i = 0; i < rows.size(); ++i)
            rows[i].notes = base[i].notes.left(79 - mark.size()) + u' ' + mark;
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            docgen::PageFit::plan(QStringLiteral("Project Timeline %1").arg(run), rows, letter));
    }
}

} // namespace

BENCHMARK(layoutStepNewTexts)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);
BENCHMARK(planToSlide)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);
BENCHMARK(wordSave)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);
BENCHMARK(wordPackage)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);
BENCHMARK(layoutStepAfresh)->Arg(8)->Arg(63)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // As the program does (main.cpp), so that the figures are the program's.
    app::keepFreedPictureMemory();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    app::SetApplicationTitle();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

namespace {

// Text without a blank, as long as the row says, in the title (0), the first date (1) or
// the first note (2) of an eight-entry timeline: the press to the preview shown.
void pressToPreviewUnbrokenText(benchmark::State& state)
{
    const QString longText(static_cast<qsizetype>(state.range(0)), u'W');
    const auto where = state.range(1);
    QList<editor::TimelineEntry> rows = entries(8);
    if (where == 1)
        rows[0].date = longText;
    if (where == 2)
        rows[0].notes = longText;
    PressRig rig(rows, where == 0 ? longText : QStringLiteral("Timeline"));
    for (auto _ : state) {
        if (!rig.press()) {
            state.SkipWithError("the preview was not shown");
            break;
        }
        state.PauseTiming();
        rig.back();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(pressToPreviewUnbrokenText)
    ->ArgNames({"chars", "in"})
    ->ArgsProduct({{100000, 1000000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

namespace {

// The page beside the list: from a change (a row moved with Alt+Down/Alt+Up, or a
// keystroke in the title) to the page view drawn again, through the real main window
// made wide enough to show it (offscreen). Yearly sample (8) and 63 entries of 80
// characters. `change_ms` times the command itself, store write included.
void livePageAfterChange(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const bool typing = state.range(1) == 1;
    QTemporaryDir temp;
    qputenv("TEMP", temp.path().toUtf8());
    testsupport::MemoryClipboard clipboard;
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    editor::QSettingsStore store(temp.filePath(QStringLiteral("store")));
    store.write(QStringLiteral("Option"), QStringLiteral("1"));
    store.write(QStringLiteral("Text1"), QStringLiteral("Project Timeline"));
    store.write(QStringLiteral("Timeline1"), editor::encodeEntryList(benchRows(count)));
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);
    editor::Studio studio({dialogs, end, store, factory, clipboard, temp.path()});
    studio.start();
    editor::Form1& form1 = studio.mainWindow();
    form1.resize(1400, 800);
    QApplication::processEvents();
    const preview::PageView& view = form1.pageView();
    if (!form1.pageViewShown()) {
        state.SkipWithError("the page is not shown beside the list");
        return;
    }
    QElapsedTimer clock;
    qint64 changedAt = 0;
    QObject::connect(&form1, &editor::Form1::pageInputChanged, [&] {
        if (changedAt == 0)
            changedAt = clock.nsecsElapsed();
    });
    std::vector<double> toView;
    std::vector<double> change;
    form1.showRow(2);
    int step = 0;
    for (auto _ : state) {
        const int drawn = view.drawings();
        changedAt = 0;
        clock.start();
        if (typing)
            form1.setTitleText(QStringLiteral("Project Timeline %1").arg(step));
        else if (step % 2 == 0)
            form1.listCommands().moveDown();
        else
            form1.listCommands().moveUp();
        const qint64 commandEnd = clock.nsecsElapsed();
        while (view.drawings() == drawn && clock.elapsed() < 1000)
            QApplication::processEvents();
        const qint64 shown = clock.nsecsElapsed();
        if (view.drawings() == drawn || changedAt == 0) {
            state.SkipWithError("the page view did not follow the change");
            break;
        }
        toView.push_back((shown - changedAt) / 1e6);
        change.push_back(commandEnd / 1e6);
        ++step;
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0 : values[values.size() / 2];
    };
    state.counters["to_view_ms"] = median(toView);
    state.counters["change_ms"] = median(change);
}

} // namespace

BENCHMARK(livePageAfterChange)
    ->ArgNames({"entries", "typing"})
    ->ArgsProduct({{8, 63}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40);
