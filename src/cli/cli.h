#pragma once

// The command line, for scripts and batch use. The arguments are parsed by plain code
// (options.h); the entries come from a CSV file, standard input or the store the studio
// keeps, and pass the rules "Add Timeline" applies; then the same template builder and
// engine the studio runs lay the page out without a window, with every message of theirs
// going to the error stream (ConsoleDialogs); last the page is written beside the output
// file and renamed into place, so a failed run leaves nothing behind. main() hands over
// here for any arguments but none or the toolkit's own, which start the studio. With
// --sort the entries are sorted by date before the layout, as the studio's "Sort by Date"
// sorts.

namespace cli {

bool wantsCommandLine(int argc, char* argv[]);

// Returns the exit status: 0 written, 1 bad input, 2 bad usage, 3 not written.
int runCommandLine(int argc, char* argv[]);

} // namespace cli
