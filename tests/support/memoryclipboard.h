#pragma once

#include "app/clipboard.h"

#include <QImage>

namespace testsupport {

// A clipboard of the test's own, so tests never touch the desktop's.
class MemoryClipboard : public app::Clipboard, public app::TextClipboard
{
public:
    QImage picture;
    QByteArray svg;
    void setPicture(const QImage& image) override
    {
        picture = image;
        svg.clear();
    }
    void setPictureWithSvg(const QImage& image, const QByteArray& vectors) override
    {
        picture = image;
        svg = vectors;
    }
    QString plainText;
    void setText(const QString& text) override { plainText = text; }
    QString text() const override { return plainText; }
    bool requestPicture(int, QImage& out) override
    {
        if (picture.isNull())
            return false;
        out = picture;
        return true;
    }
};

} // namespace testsupport
