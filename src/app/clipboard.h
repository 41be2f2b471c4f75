#pragma once

#include <QByteArray>
#include <QImage>

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

class SystemClipboard : public Clipboard
{
public:
    void setPicture(const QImage& picture) override;
    void setPictureWithSvg(const QImage& picture, const QByteArray& svg) override;
    bool requestPicture(int format, QImage& picture) override;
};

} // namespace app
