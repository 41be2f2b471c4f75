#pragma once

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

enum class OutputKind
{
    Word, // .doc and .docx: the same package either way
    Pdf,
    Png,
    Svg,
};

// How the callouts stand along the bar: evenly, or where their dates fall on the time axis.
enum class Spacing
{
    Even,
    Scale,
};

struct Options
{
    QString output;
    OutputKind kind = OutputKind::Word;
    std::optional<QString> title;
    std::optional<int> scale; // 1 Yearly, 2 Monthly, 3 Daily
    bool stored = false;      // the stored list instead of a CSV
    QString csv;              // a path, or "-" for standard input
    bool sort = false;        // the entries by date before the page is laid out
    Spacing spacing = Spacing::Even;
    bool classicLayout = false; // --layout classic
    QString paper;              // a paper's name; empty: the locale's
    QString theme;              // a look's name (docgen/pagetheme.h); empty: the original
    bool strict = false;        // nothing written when text would be cut
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
// (such as "-platform offscreen" or "-style fusion"); anything else is the command line's,
// so a misspelt option is a usage error rather than a window.
bool isCommandLine(const QStringList& arguments);

// Takes "--name value" and "--name=value"; a value is taken as it stands, even when it
// begins with "-". Help and version win over everything else. A value whose bytes are
// not UTF-8 is bad input.
Invocation parseArguments(const QList<QByteArray>& arguments);
Invocation parseArguments(const QStringList& arguments);

// By the file name's extension, case-insensitively; nothing for an unknown one.
std::optional<OutputKind> outputKindOf(const QString& path);

// "even" or "scale" in any case; nothing for another text.
std::optional<Spacing> spacingFromName(const QString& name);

QString usageText();

} // namespace cli
