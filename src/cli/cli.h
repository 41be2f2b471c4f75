#pragma once

// The command line, for scripts and batch use, without a window: it links the data side
// (timeline) and the page build (docgen), never the studio's windows. The arguments are
// parsed by plain code (options.h); the timeline comes from a CSV file, standard input or
// the store the studio keeps, its entries pass the rules "Add Timeline" applies, and the
// page choices come from the options. The press's own builder then makes the page in a
// work folder of the run's own, with every message of its going to the error stream
// (ConsoleDialogs), and its result says whether the page was made; last the page is
// written beside the output file and renamed into place, so a failed run leaves nothing
// behind. main() hands over here for any arguments but none or the toolkit's own, which
// start the studio. With --sort the entries are sorted by date before the layout, as the
// studio's "Sort by Date" sorts.

namespace cli {

bool wantsCommandLine(int argc, char* argv[]);

// Returns the exit status: 0 written, 1 bad input, 2 bad usage, 3 not written.
int runCommandLine(int argc, char* argv[]);

} // namespace cli
