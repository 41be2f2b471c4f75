#pragma once

// The timeline editor. The user types a title into Form1, picks a scale and adds dated
// entries through scripted-or-real Dialogs; Form1 is a view that hands each command to
// TimelineCommands (the five buttons) or ListCommands (the list's context menu and keys:
// edit, insert, move, undo and redo, copy and paste, CSV import and export through the
// codec of timeline/entrytable.h) or, for a cell edited in place, EntryCellDelegate and CellEdit
// (celledit.h), all seeing the window through EditorView and applying the rules of
// "Add Timeline" from timeline/entrylist.h. All edit the EntryListModel behind the list
// control through a ListHistory, which keeps every change and each burst of title typing
// for undo, one history per scale (timeline/scale.h names the scales), and write the
// shown list under its scale at once; the title, the scale and the list of each scale live
// in a SettingsStore (timeline/settingsstore.h: one INI file per key, replaced whole by a
// rename) in the entry-list string format of timeline/entrylist.h. At start-up Form1::Form_Load
// restores that state, runs the Word check it is given and loads the stored list; closing writes
// the list and ends the program. The document builder reads the title and the entries back from
// Form1's accessors when "Start Creating Template" is pressed; the Studio gathers them with the
// page choices into a timeline::Timeline, whose page options docgen/timelinepage.h works out. The
// list's sort by date, the order check that marks rows of the list after every change and a page
// spaced to scale read the date texts through DateReader (timeline/datereader.h), which never
// changes them.

#include "celledit.h"
#include "editorview.h"
#include "entrycelldelegate.h"
#include "entrylistmodel.h"
#include "form1.h"
#include "listcommands.h"
#include "listhistory.h"
#include "timeline/datereader.h"
#include "timeline/entrylist.h"
#include "timeline/numbertext.h"
#include "timeline/samples.h"
#include "timeline/scale.h"
#include "timeline/settingsstore.h"
#include "timelinecommands.h"
