#include "fulldisk.h"

#include <QFile>

#include <csignal>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

FullDisk::FullDisk(const QString& folder) : mFolder(QFile::encodeName(folder))
{
    mMounted = ::mount("tmpfs", mFolder.constData(), "tmpfs", 0, "size=512k,mode=0755") == 0;
}

FullDisk::~FullDisk()
{
    if (mLimited)
        ::setrlimit(RLIMIT_FSIZE, &mOldLimit);
    if (mMounted)
        ::umount2(mFolder.constData(), MNT_DETACH);
}

void FullDisk::fill()
{
    if (mMounted) {
        const int fd =
            ::open((mFolder + "/.filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const QByteArray block(4096, 'f');
        while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        ::close(fd);
        return;
    }
    // Past the limit a write fails with EFBIG instead of ending the process; started
    // processes inherit both the limit and the ignored signal.
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &mOldLimit);
    rlimit limit = mOldLimit;
    limit.rlim_cur = 512;
    mLimited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace testsupport
