#pragma once

// The preview window. The main window hands Form2 the rendered page picture
// (setPicture1) and the path of the generated Word document (setWordFile), then shows it;
// on its next activation Form2 reads that document and prepares the viewport: zoom 1.0, the
// whole sheet at its real size (the screen's logical DPI), page at the corner, scroll bars
// set up for the page's size. Zoom In/Out draw the sheet again from the document in steps
// of 0.25 between 0.25 and 4.0, only where it shows (PictureBox); bars and mouse drags move
// it. Without a document it reads, the delivered picture is the page, stretched from its
// unscaled copy within the size limits. Notices stand in a band above the page area.
// All of that arithmetic lives in Viewport (twips only), which Form2 mirrors onto its
// widgets. The window may be resized (PreviewLayout: the page area grows, the buttons
// keep their size) and opens within its screen; the "Zoom:" frame shows the zoom; Ctrl+wheel,
// Ctrl+Plus/Minus step it as the buttons do and Ctrl+0 fits the page (Viewport::fitZoom);
// the wheel, Shift+wheel and the keys scroll through the bars (WheelNotches, keyScroll);
// Escape is "< Back". "Save Results To Word File" copies the document under a chosen name
// (SaveResultsToWordFile); the page menu (right click, Ctrl+C, Ctrl+P) copies, saves or
// prints the page, drawn afresh from the document (PageCommands); "< Back" removes it and shows the
// main window; closing the window writes the editor state, removes the document and ends the
// program.

#include "form2.h"
#include "pagecommands.h"
#include "previewlayout.h"
#include "saveresults.h"
#include "viewerinput.h"
#include "viewport.h"
