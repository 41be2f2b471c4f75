#pragma once

#include <QByteArray>
#include <QString>

#include <sys/resource.h>

namespace testsupport {

// A folder on a full disk: a small tmpfs mounted over it where the test may mount one
// (as root, as CI runs), else a limit on the size of files this process and the ones it
// starts may write, which fails a write past it the same way (EFBIG, not ENOSPC).
class FullDisk
{
public:
    explicit FullDisk(const QString& folder);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Takes the free space: files placed before stay readable, and from now on no file
    // grows past a few hundred bytes.
    void fill();
    bool mounted() const { return mMounted; }

private:
    QByteArray mFolder;
    bool mMounted = false;
    bool mLimited = false;
    rlimit mOldLimit = {};
};

} // namespace testsupport
