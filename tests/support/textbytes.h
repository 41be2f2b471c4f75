#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// The text as a UTF-16 file a spreadsheet saves: little-endian, after a byte order mark.
inline QByteArray utf16WithBom(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar unit : text) {
        bytes.append(char(unit.unicode() & 0xFF));
        bytes.append(char(unit.unicode() >> 8));
    }
    return bytes;
}

} // namespace testsupport
