#pragma once

#include "app/clipboard.h"
#include "app/failure.h"
#include "docgen/wordautomation.h"

#include <QImage>
#include <QSet>
#include <QStringList>

#include <memory>

// A word processor that records which members were called and fails the ones it is told
// to; CopyAsPicture puts a small picture on the given clipboard.
struct FakeWordLog
{
    QStringList calls;
    QSet<QString> failing;
    app::Clipboard* clipboard = nullptr;
    QSize pictureSize{600, 300};

    void enter(const QString& member)
    {
        calls << member;
        if (failing.contains(member))
            throw app::Failure(QStringLiteral("%1 failed").arg(member));
    }
};

class FakeRange : public docgen::WordRange
{
public:
    explicit FakeRange(std::shared_ptr<FakeWordLog> log) : mLog(std::move(log)) {}
    void CopyAsPicture() override
    {
        mLog->enter(QStringLiteral("Range.CopyAsPicture"));
        QImage picture(mLog->pictureSize, QImage::Format_RGB32);
        picture.fill(Qt::green);
        if (mLog->clipboard)
            mLog->clipboard->setPicture(picture);
    }

private:
    std::shared_ptr<FakeWordLog> mLog;
};

class FakeDocument : public docgen::WordDocument
{
public:
    explicit FakeDocument(std::shared_ptr<FakeWordLog> log) : mLog(std::move(log)) {}
    std::shared_ptr<docgen::WordPageSetup> PageSetup() override
    {
        mLog->enter(QStringLiteral("PageSetup"));
        return nullptr;
    }
    std::shared_ptr<docgen::WordShape> AddTextbox(int, double, double, double, double) override
    {
        mLog->enter(QStringLiteral("Shapes.AddTextbox"));
        return nullptr;
    }
    std::shared_ptr<docgen::WordShape> AddShape(int, double, double, double, double) override
    {
        mLog->enter(QStringLiteral("Shapes.AddShape"));
        return nullptr;
    }
    std::shared_ptr<docgen::WordTable> AddTable(const std::shared_ptr<docgen::WordRange>&, int, int,
                                                int, int) override
    {
        mLog->enter(QStringLiteral("Tables.Add"));
        return nullptr;
    }
    void CustomXMLPartsAdd(const QString&) override
    {
        mLog->enter(QStringLiteral("CustomXMLParts.Add"));
    }
    void SaveAs(const QString&) override { mLog->enter(QStringLiteral("SaveAs")); }
    void Close() override { mLog->enter(QStringLiteral("Close")); }
    void Close(int saveChanges) override
    {
        mLog->enter(QStringLiteral("Close(%1)").arg(saveChanges));
    }
    std::shared_ptr<docgen::WordRange> Range() override
    {
        mLog->enter(QStringLiteral("Range"));
        return std::make_shared<FakeRange>(mLog);
    }

private:
    std::shared_ptr<FakeWordLog> mLog;
};

class FakeWord : public docgen::WordApplication
{
public:
    explicit FakeWord(std::shared_ptr<FakeWordLog> log) : mLog(std::move(log)) {}
    std::shared_ptr<docgen::WordDocument> DocumentsAdd() override
    {
        mLog->enter(QStringLiteral("Documents.Add"));
        return mActive = std::make_shared<FakeDocument>(mLog);
    }
    std::shared_ptr<docgen::WordDocument> DocumentsOpen(const QString& fileName) override
    {
        mLog->enter(QStringLiteral("Documents.Open"));
        mLog->calls.last() += QLatin1Char(' ') + fileName;
        if (mLog->failing.contains(QStringLiteral("Documents.Open ") + fileName))
            throw app::Failure(QStringLiteral("cannot open"));
        return mActive = std::make_shared<FakeDocument>(mLog);
    }
    std::shared_ptr<docgen::WordDocument> ActiveDocument() override
    {
        mLog->enter(QStringLiteral("ActiveDocument"));
        if (!mActive)
            throw app::Failure(
                QStringLiteral("This command is not available because no document is open."));
        return mActive;
    }
    std::shared_ptr<docgen::WordSelection> Selection() override
    {
        mLog->enter(QStringLiteral("Selection"));
        return nullptr;
    }
    void setDisplayAlerts(bool) override { mLog->enter(QStringLiteral("DisplayAlerts")); }
    void Quit() override { mLog->enter(QStringLiteral("Quit")); }

private:
    std::shared_ptr<FakeWordLog> mLog;
    std::shared_ptr<docgen::WordDocument> mActive;
};

// A clipboard that fails a given number of requests before it answers.
class FakeClipboard : public app::Clipboard
{
public:
    QImage picture;
    int failuresLeft = 0;
    int requests = 0;
    void setPicture(const QImage& image) override { picture = image; }
    bool requestPicture(int, QImage& out) override
    {
        ++requests;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        if (picture.isNull())
            return false;
        out = picture;
        return true;
    }
};
