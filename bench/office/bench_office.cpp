#include "app/clipboard.h"
#include "docgen/embeddedword.h"
#include "office/textlayout.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class NullClipboard : public app::Clipboard
{
public:
    void setPicture(const QImage& picture) override { last = picture; }
    bool requestPicture(int, QImage& picture) override
    {
        picture = last;
        return true;
    }
    QImage last;
};

// The builder's calls for n entries, then the save.
void buildAndSave(docgen::WordApplication& word, int n, const QString& path)
{
    using namespace docgen::word;
    auto document = word.DocumentsAdd();
    auto page = document->PageSetup();
    page->setOrientation(kOrientationLandscape);
    const double pw = page->PageWidth();
    const double mid = (page->PageHeight() - page->TopMargin() - page->BottomMargin()) / 2;
    auto title = document->AddTextbox(1, pw / 2 - 150.525, 0, 301.05, 45.2);
    title->setLineVisible(0);
    title->setWrapFormatType(kWrapSquare);
    title->textRange()->setText(QStringLiteral("Project Timeline"));
    title->textRange()->Select();
    auto selection = word.Selection();
    selection->Collapse();
    selection->EndKey(kUnitLine, kExtend);
    selection->MoveLeft(kUnitCharacter, 1, kExtend);
    selection->setFontName(QStringLiteral("Arial"));
    selection->setFontSize(28);
    selection->setParagraphAlignment(kAlignCenter);
    selection->setFontBold(true);
    auto bar = document->AddTextbox(1, pw / 2 - 324, mid, 648, 18);
    bar->setFillForeColorRGB(0xCCFFCC);
    bar->textRange()->Select();
    selection->Collapse();
    selection->setFontSize(10);
    auto table = document->AddTable(selection->Range(), 1, n, 1, 0);
    table->setBorderLineStyle(kBorderTop, kLineStyleNone);
    table->setBorderLineStyle(kBorderBottom, kLineStyleNone);
    const float w = table->columnPreferredWidth(1);
    for (int i = 0; i < n; ++i) {
        selection->TypeText(QString::number(1900 + i));
        selection->MoveRight(kUnitCell);
    }
    float x = 0;
    for (int i = 1; i <= n; ++i) {
        const bool up = i % 2 == 1;
        double left = i == 1 ? pw / 2 - 324 + (pw / (n + 1)) / n : double(float(x + w));
        x = float(left);
        auto callout = document->AddShape(up ? 55 : 56, left, up ? mid + 18 : mid - 81, 72, 81);
        callout->Select();
        callout->textRange()->setText(QStringLiteral("Event number %1").arg(i));
        callout->textRange()->Select();
        selection->Collapse();
        selection->WholeStory();
        selection->setFontSize(10);
    }
    document->SaveAs(path);
    word.setDisplayAlerts(false);
    document->Close();
    word.Quit();
}

void fullRun(benchmark::State& state)
{
    const int n = int(state.range(0));
    NullClipboard clipboard;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.doc"));
    double buildSaveMs = 0, openMs = 0, renderMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        buildAndSave(*docgen::createEmbeddedWord(clipboard), n, path);
        const qint64 t1 = timer.nsecsElapsed();
        auto word = docgen::createEmbeddedWord(clipboard);
        auto document = word->DocumentsOpen(path);
        const qint64 t2 = timer.nsecsElapsed();
        document->Range()->CopyAsPicture();
        const qint64 t3 = timer.nsecsElapsed();
        document->Close(docgen::word::kDoNotSaveChanges);
        word->Quit();
        buildSaveMs += t1 / 1e6;
        openMs += (t2 - t1) / 1e6;
        renderMs += (t3 - t2) / 1e6;
    }
    const double runs = double(state.iterations());
    state.counters["build_save_ms"] = buildSaveMs / runs;
    state.counters["open_ms"] = openMs / runs;
    state.counters["render_ms"] = renderMs / runs;
}

// A paragraph of one word without a blank, broken into 57.6 pt lines (a callout's width)
// with no height limit: the time must grow in proportion to the length.
void unbrokenWordLayout(benchmark::State& state)
{
    office::Paragraph paragraph;
    office::CharFormat format;
    format.sizeHalfPt = 20;
    paragraph.runs = {office::Run{QString(qsizetype(state.range(0)), u'W'), format}};
    size_t lines = 0;
    for (auto _ : state) {
        const office::ParagraphLayout layout(paragraph, 57.6);
        lines = layout.lines().size();
    }
    state.counters["lines"] = double(lines);
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(unbrokenWordLayout)
    ->RangeMultiplier(4)
    ->Range(4096, 262144)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

BENCHMARK(fullRun)
    ->Arg(8)
    ->Arg(63)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
