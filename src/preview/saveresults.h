#pragma once

#include "app/dialogs.h"
#include "office/outputformat.h"

#include <QString>

namespace preview {

// Copies `source` to `target` through the safe writer (filewrite/safefile.h), so an
// existing target changes only once the complete copy is there; a read-only target is
// replaced like any other. When the folder takes no new file, an existing writable target
// is overwritten in place, once the disk has room for the whole copy. Throws app::Failure with the
// reason when the source cannot be read or the target cannot be written.
void copyFileReplacing(const QString& source, const QString& target);

// "Save Results To Word File": asks for a name (suggesting one from `title`), asks before
// overwriting an existing file, copies the generated document there and says "Done." with
// where it went only when it was copied. A cancelled dialog or a declined overwrite ends
// silently. Returns whether it copied.
bool SaveResultsToWordFile(app::Dialogs& dialogs, const QString& wordFile,
                           const QString& title = {});

// The save dialog of a page in `format`, with a name suggested from the timeline's title.
app::SaveDialog saveDialogFor(const office::OutputFormatRow& format, const QString& title);

} // namespace preview
