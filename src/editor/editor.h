#pragma once

// The timeline editor. The user types a title into Form1, picks a scale and adds dated
// entries through scripted-or-real Dialogs; Form1 is a view that hands each command to
// TimelineCommands, which edits the EntryListModel behind the list control and writes
// the title, the scale and the list of each scale to a SettingsStore (one INI file per
// key) in the entry-list string format of entrylist.h. At start-up Form1::Form_Load
// restores that state, runs the Word check it is given and loads the stored list;
// closing writes the list and ends the program. The document builder reads the title
// and the entries back from Form1's accessors when "Start Creating Template" is pressed.

#include "entrylist.h"
#include "entrylistmodel.h"
#include "form1.h"
#include "numbertext.h"
#include "samples.h"
#include "settingsstore.h"
#include "timelinecommands.h"
