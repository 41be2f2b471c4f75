#pragma once

#include "office/outputformat.h"
#include "slide/slidesize.h"
#include "timeline/timeline.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

enum ExitStatus
{
    kExitSuccess = 0,
    kExitBadInput = 1,
    kExitBadUsage = 2,
    kExitWriteFailed = 3, // the page was made but FILE could not be written
};

struct Options
{
    QString output;
    office::OutputFormat kind = office::OutputFormat::Word;
    std::optional<QString> title;
    std::optional<int> scale;   // 1 Yearly, 2 Monthly, 3 Daily
    bool stored = false;        // the stored list instead of a CSV
    QString csv;                // a path, or "-" for standard input
    QString input;              // a file Open reads, or a CSV (as --csv)
    bool sort = false;          // the entries by date before the page is laid out
    timeline::PageChoices page; // --layout, --spacing and --paper (empty: the locale's)
    // Which of them were given: with --input they replace the file's own choices.
    bool layoutGiven = false;
    bool spacingGiven = false;
    bool strict = false; // nothing written when text would be cut
    // The slide a .pptx is laid out on.
    const slide::SlideSize* slideSize = &slide::kDefaultSlideSize;
};

struct Invocation
{
    enum class Action
    {
        Run,
        Help,
        Version,
        BadUsage,
        BadInput, // a value that is not UTF-8 text
    };
    Action action = Action::BadUsage;
    Options options;
    QString error; // for BadUsage and BadInput
};

// Whether the arguments (without the program name) ask for the command line rather than
// the studio. The studio starts with no arguments or with only the toolkit's own options
// (such as "-platform offscreen" or "-style fusion") and at most one file to open;
// anything else is the command line's,
// so a misspelt option is a usage error rather than a window.
bool isCommandLine(const QStringList& arguments);

// Takes "--name value" and "--name=value"; a value is taken as it stands, even when it
// begins with "-". Help and version win over everything else. A value whose bytes are
// not UTF-8 is bad input.
Invocation parseArguments(const QList<QByteArray>& arguments);
Invocation parseArguments(const QStringList& arguments);

// "even" or "scale" in any case; nothing for another text.
std::optional<timeline::Spacing> spacingFromName(const QString& name);

QString usageText();

} // namespace cli
