#pragma once

#include "docgen/embeddedword.h"
#include "docgen/templatebuilder.h"
#include "docgen/wordautomation.h"
#include "support/markedentries.h"
#include "support/scripteddialogs.h"

#include <QDebug>
#include <QList>
#include <QStringList>

#include <functional>

// A main window as far as "Start Creating Template" sees it; it records the hand-over.
class RecordingHost : public docgen::TemplateHost
{
public:
    QList<docgen::TimelineEntry> rows;
    QString title = QStringLiteral("John's Timeline");
    app::MousePointer pointer = app::MousePointer::Default;
    QList<app::MousePointer> pointerHistory;
    QImage previewPicture;
    QString previewWordFile;
    QStringList events;
    bool failPictureLoad = false;
    // Runs after every pointer change, as other code could between two statements.
    std::function<void(app::MousePointer)> onPointer;

    int entryCount() const override { return static_cast<int>(rows.size()); }
    docgen::TimelineEntry entry(int row) const override { return rows.at(row - 1); }
    QString titleText() const override { return title; }
    void setMousePointer(app::MousePointer value) override
    {
        pointer = value;
        pointerHistory << value;
        if (onPointer)
            onPointer(value);
    }
    void setPreviewPicture(const QImage& page) override
    {
        if (failPictureLoad)
            throw app::Failure(QStringLiteral("Invalid picture"));
        previewPicture = page;
        events << QStringLiteral("picture");
    }
    void setPreviewWordFile(const QString& path) override
    {
        previewWordFile = path;
        events << QStringLiteral("wordfile");
    }
    void showPreview() override { events << QStringLiteral("show preview"); }
    void hideMainWindow() override { events << QStringLiteral("hide main"); }
};

// Builds a page with the real engine, as "Start Creating Template" does, and returns the
// saved document's path (empty when the build failed; its messages are printed).
inline QString buildPageWithEngine(app::Clipboard& clipboard, const QString& title,
                                   const QList<docgen::TimelineEntry>& rows,
                                   docgen::PageOptions options = {},
                                   docgen::PagePlan* plan = nullptr)
{
    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, clipboard);
    testsupport::ScriptedDialogs dialogs;
    RecordingHost host;
    host.title = title;
    host.rows = rows;
    docgen::TemplateBuilder builder(dialogs, factory, clipboard);
    builder.setPageOptions(options);
    builder.PushButton6_Click(host);
    if (!dialogs.messages().isEmpty())
        qWarning() << dialogs.messageTexts();
    if (plan)
        *plan = builder.lastPlan();
    return host.previewWordFile;
}
