#pragma once

#include "docgen/templatebuilder.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace preview {
class PageView;
}

namespace editor {

// What the page is made of at this moment.
struct LivePageInput
{
    QString title;
    QList<docgen::TimelineEntry> entries;
    docgen::PageOptions options;
};

// Keeps the page beside the list up to date. A change marks the page stale and it is laid
// out again, in memory, on the next turn of the event loop, so a burst of changes (a paste,
// a sample load) costs one layout. While the view is hidden nothing is laid out; showing
// it lays out what went stale meanwhile.
class LivePage : public QObject
{
    Q_OBJECT
public:
    using Source = std::function<LivePageInput()>;
    using ReportSink = std::function<void(const docgen::FitReport&)>;

    LivePage(const docgen::TemplateBuilder& builder, preview::PageView& view, Source source,
             ReportSink report = {});

    void changed();
    void setActive(bool active);
    // Lays the page out now, when shown and stale.
    void refresh();

private:
    const docgen::TemplateBuilder& mBuilder;
    preview::PageView& mView;
    Source mSource;
    ReportSink mReport;
    QTimer mNextTurn;
    bool mActive = false;
    bool mStale = true;
};

} // namespace editor
