#pragma once

// The one way a file is replaced. Every file the program keeps (the document, the page
// exports, the CSV export, the settings store, the command line's output) is written by
// replaceFile: the bytes go to a new file beside the target, every write is checked, the
// file is synced and its close checked, and only then is it renamed over the target, and
// the folder synced, so the data is on disk when the call returns. A failure removes the
// new file and leaves the old one as it was.
//
// A target that is a link stays a link and the file it names is written, but a link is
// followed only where the kernel's protected-links rule would follow it: the link is the
// user's own, or its folder is not a shared (world-writable, sticky) one, or the link
// belongs to that folder's owner. A target that is not a regular file (a folder, device,
// FIFO or socket) is refused. The replacement keeps the old file's mode and, where the
// user may set it, its owner and group. Nothing here shows or prints anything.

#include <QByteArrayView>
#include <QString>

namespace filewrite {

enum class InPlace
{
    // The folder must take the new file; otherwise the write fails.
    Never,
    // When the folder refuses a new file but the target may be written, the target's
    // own bytes are overwritten, after its whole new size has been reserved on disk, so
    // a full disk fails before anything changed.
    WhenFolderRefuses,
};

enum class Durability
{
    // Synced, file and folder: on disk when the call returns.
    OnDisk,
    // Not waited for: a scratch file that lives only for this run (the page the preview
    // shows), where a power cut loses nothing the user keeps.
    Scratch,
};

struct WriteResult
{
    // 0, or the error number that stopped the write.
    int error = 0;
    // Why it failed, for a message that names the file; empty on success.
    QString reason;

    explicit operator bool() const { return error == 0; }
};

// Replaces (or creates) `path` with `content` by the rules above. Never throws.
[[nodiscard]] WriteResult replaceFile(const QString& path, QByteArrayView content,
                                      InPlace inPlace = InPlace::Never,
                                      Durability durability = Durability::OnDisk);

} // namespace filewrite
