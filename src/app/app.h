#pragma once

// Application services shared by both windows. A command of either window runs its
// numbered statements under a Trap (errortrap.h); a failing statement throws
// app::Failure (or any exception), the Trap shows the "Application Error" box through
// the Dialogs interface and the command goes on. Every modal box, input box and the
// save dialog go through Dialogs, whose empty caption means the application title
// (apptitle.h). File tests and deletes (fileutil.h) are silent; the skin and window
// colours (appearance.h), pointer codes (mousepointer.h), the clipboard seam
// (clipboard.h), the heap's keeping of freed pictures (heapuse.h) and ending the program
// at once (processend.h) complete the set.
// Nothing here depends on any other library of ours but the file writer
// (filewrite/safefile.h), which sits below this one and the engine alike.

#include "appearance.h"
#include "apptitle.h"
#include "clipboard.h"
#include "dialogs.h"
#include "errortrap.h"
#include "failure.h"
#include "fileutil.h"
#include "heapuse.h"
#include "locationlabels.h"
#include "mousepointer.h"
#include "processend.h"
#include "units.h"
