#pragma once

#include "app/clipboard.h"

#include <QImage>

namespace testsupport {

// A clipboard of the test's own, so tests never touch the desktop's.
class MemoryClipboard : public app::Clipboard
{
public:
    QImage picture;
    void setPicture(const QImage& image) override { picture = image; }
    bool requestPicture(int, QImage& out) override
    {
        if (picture.isNull())
            return false;
        out = picture;
        return true;
    }
};

} // namespace testsupport
