#include "livepage.h"

#include "preview/pageview.h"

namespace editor {

LivePage::LivePage(const docgen::TemplateBuilder& builder, preview::PageView& view, Source source,
                   ReportSink report)
    : mBuilder(builder), mView(view), mSource(std::move(source)), mReport(std::move(report))
{
    mNextTurn.setSingleShot(true);
    mNextTurn.setInterval(0);
    connect(&mNextTurn, &QTimer::timeout, this, &LivePage::refresh);
}

void LivePage::changed()
{
    mStale = true;
    if (mActive)
        mNextTurn.start();
}

void LivePage::setActive(bool active)
{
    mActive = active;
    if (mActive && mStale)
        mNextTurn.start();
}

void LivePage::refresh()
{
    mNextTurn.stop();
    if (!mActive || !mStale)
        return;
    mStale = false;
    const LivePageInput input = mSource();
    if (input.entries.isEmpty()) {
        mView.setPlaceholder(QStringLiteral("Add timeline entries to see the page here."));
        return;
    }
    if (input.entries.size() > docgen::kMaxPageEntries) {
        mView.setPlaceholder(QStringLiteral("A timeline page holds at most %1 entries; this list "
                                            "has %2.")
                                 .arg(docgen::kMaxPageEntries)
                                 .arg(input.entries.size()));
        return;
    }
    const docgen::PageSketch sketch = mBuilder.sketch(input.title, input.entries, input.options);
    if (!sketch.document) {
        mView.setPlaceholder(QStringLiteral("The page cannot be shown."));
        return;
    }
    mView.setPage(sketch.document, sketch.plan.report.cutFramesPt);
    if (mReport)
        mReport(sketch.plan.report);
}

} // namespace editor
