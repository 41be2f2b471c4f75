#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace app {

// The system clipboard as far as pictures go.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setPicture(const QImage& picture) = 0;
    // The picture together with the same drawing as SVG, for programs that take vectors.
    // A clipboard without SVG keeps the picture alone.
    virtual void setPictureWithSvg(const QImage& picture, const QByteArray& svg)
    {
        Q_UNUSED(svg);
        setPicture(picture);
    }
    // One request for the clipboard's picture in the given format (0: any picture
    // format it holds). Returns false when the request fails or no picture is there.
    virtual bool requestPicture(int format, QImage& picture) = 0;
};

// The system clipboard as far as plain text goes: what list rows are copied as and
// pasted from.
class TextClipboard
{
public:
    virtual ~TextClipboard() = default;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

// A clipboard of the engine's own: the page picture travels from the engine's copy to the
// snapshot without touching what the user copied.
class PictureClipboard : public Clipboard
{
public:
    void setPicture(const QImage& picture) override { mPicture = picture; }
    bool requestPicture(int format, QImage& picture) override;

private:
    QImage mPicture;
};

class SystemClipboard : public Clipboard, public TextClipboard
{
public:
    void setPicture(const QImage& picture) override;
    void setPictureWithSvg(const QImage& picture, const QByteArray& svg) override;
    bool requestPicture(int format, QImage& picture) override;
    void setText(const QString& text) override;
    QString text() const override;
};

} // namespace app
