#pragma once

// Document generation. "Start Creating Template" (TemplateBuilder) reads the title and
// the entries from its host, asks the layout step (pagefit.h: the classic geometry of
// pagelayout.h, departed from only where text would be cut or overlap) where every element
// goes and what cannot be shown, and drives the word processor through the automation boundary
// (wordautomation.h) to build the page; the embedded engine (embeddedword.h, on top of
// office) is what answers there. The document is saved under a fresh name in the
// temporary folder, rendered to "temp.bmp" by PageSnapshot through the clipboard (a
// BitmapHandOff that only ever reads back the file it created), and handed to the preview.
// EnsureWordAvailable (wordcheck.h) runs once at start-up.

#include "pagefit.h"
#include "pagelayout.h"
#include "pagesnapshot.h"
#include "templatebuilder.h"
#include "wordautomation.h"
#include "wordcheck.h"
