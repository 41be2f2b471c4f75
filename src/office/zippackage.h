#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace office {

// The only place that knows the archive library: an OPC package is a zip of named parts.
namespace zippackage {

using Part = std::pair<QString, QByteArray>; // name inside the package, content

// Deflates the parts into one archive image.
QByteArray write(const std::vector<Part>& parts);

// Limits a reader applies to an archive it did not make.
struct ReadLimits
{
    qint64 maxPartBytes = 16 * 1024 * 1024;
    qint64 maxTotalBytes = 64 * 1024 * 1024;
    qint64 maxEntries = 10000;
};

// An archive opened for reading; parts are inflated on request, never beyond the limits.
class Reader
{
public:
    explicit Reader(const QByteArray& archive, ReadLimits limits = {});
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool contains(const QString& name) const;
    // Throws office::Error when the part is missing, damaged or too large.
    QByteArray read(const QString& name);

private:
    struct Handle;
    QByteArray mArchive; // libzip reads from this buffer; it must outlive the handle
    Handle* mHandle = nullptr;
    ReadLimits mLimits;
    qint64 mReadTotal = 0;
};

} // namespace zippackage
} // namespace office
