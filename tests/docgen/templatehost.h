#pragma once

#include "docgen/templatebuilder.h"

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
