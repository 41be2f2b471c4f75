#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

enum ExitStatus
{
    kExitSuccess = 0,
    kExitBadInput = 1,
    kExitBadUsage = 2,
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
};

struct Invocation
{
    enum class Action
    {
        Run,
        Help,
        Version,
        BadUsage,
    };
    Action action = Action::BadUsage;
    Options options;
    QString error; // for BadUsage
};

// Whether the arguments (without the program name) ask for the command line rather than
// the studio. Only our own option names count, so the studio still receives the
// toolkit's arguments such as "-platform" as before.
bool isCommandLine(const QStringList& arguments);

// Takes "--name value" and "--name=value". Help and version win over everything else.
Invocation parseArguments(const QStringList& arguments);

// By the file name's extension, case-insensitively; nothing for an unknown one.
std::optional<OutputKind> outputKindOf(const QString& path);

// "yearly", "monthly", "daily" in any case; nothing for another text.
std::optional<int> scaleFromName(const QString& name);

// "even" or "scale" in any case; nothing for another text.
std::optional<Spacing> spacingFromName(const QString& name);

QString usageText();

} // namespace cli
