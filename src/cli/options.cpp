#include "options.h"

#include <QFileInfo>

#include <initializer_list>

namespace cli {
namespace {
const QString kHelp = QStringLiteral("--help");
const QString kVersion = QStringLiteral("--version");
const QString kOutput = QStringLiteral("--output");
const QString kTitle = QStringLiteral("--title");
const QString kScale = QStringLiteral("--scale");
const QString kCsv = QStringLiteral("--csv");
const QString kStored = QStringLiteral("--stored");
const QString kSort = QStringLiteral("--sort");
const QString kSpacing = QStringLiteral("--spacing");

// The part before "=" of "--name=value".
QString optionName(const QString& argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    return argument.startsWith(u"--") && equals > 0 ? argument.first(equals) : argument;
}

bool isOwnOption(const QString& name)
{
    for (const QString& own :
         {kHelp, kVersion, kOutput, kTitle, kScale, kCsv, kStored, kSort, kSpacing})
        if (name == own)
            return true;
    return name == u"-h";
}

Invocation badUsage(const QString& error)
{
    Invocation invocation;
    invocation.action = Invocation::Action::BadUsage;
    invocation.error = error;
    return invocation;
}

} // namespace

bool isCommandLine(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        if (isOwnOption(optionName(argument)))
            return true;
    return false;
}

Invocation parseArguments(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == kHelp || argument == u"-h")
            return {Invocation::Action::Help, {}, {}};
    }
    for (const QString& argument : arguments) {
        if (argument == kVersion)
            return {Invocation::Action::Version, {}, {}};
    }

    std::optional<QString> output;
    std::optional<QString> scale;
    std::optional<QString> csv;
    std::optional<QString> spacing;
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = optionName(argument);
        if (name == kStored) {
            if (name != argument)
                return badUsage(QStringLiteral("%1 takes no value").arg(kStored));
            if (options.stored)
                return badUsage(QStringLiteral("%1 is given twice").arg(kStored));
            options.stored = true;
            continue;
        }
        if (name == kSort) {
            if (name != argument)
                return badUsage(QStringLiteral("%1 takes no value").arg(kSort));
            if (options.sort)
                return badUsage(QStringLiteral("%1 is given twice").arg(kSort));
            options.sort = true;
            continue;
        }
        std::optional<QString>* slot = nullptr;
        if (name == kOutput)
            slot = &output;
        else if (name == kTitle)
            slot = &options.title;
        else if (name == kScale)
            slot = &scale;
        else if (name == kCsv)
            slot = &csv;
        else if (name == kSpacing)
            slot = &spacing;
        else if (argument.startsWith(u'-') && argument != u"-")
            return badUsage(QStringLiteral("unknown option %1").arg(argument));
        else
            return badUsage(QStringLiteral("unexpected argument \"%1\"").arg(argument));

        if (slot->has_value())
            return badUsage(QStringLiteral("%1 is given twice").arg(name));
        if (name != argument) {
            *slot = argument.sliced(name.size() + 1);
        } else {
            if (i + 1 >= arguments.size())
                return badUsage(QStringLiteral("%1 needs a value").arg(name));
            *slot = arguments.at(++i);
        }
    }

    if (!output || output->isEmpty())
        return badUsage(QStringLiteral("%1 FILE is required").arg(kOutput));
    if (csv.has_value() == options.stored)
        return badUsage(QStringLiteral("give either %1 FILE or %2").arg(kCsv, kStored));
    if (csv && csv->isEmpty())
        return badUsage(QStringLiteral("%1 needs a file name, or - for standard input").arg(kCsv));
    if (scale) {
        options.scale = scaleFromName(*scale);
        if (!options.scale)
            return badUsage(
                QStringLiteral("unknown scale \"%1\"; use yearly, monthly or daily").arg(*scale));
    }
    if (spacing) {
        const std::optional<Spacing> chosen = spacingFromName(*spacing);
        if (!chosen)
            return badUsage(
                QStringLiteral("unknown spacing \"%1\"; use even or scale").arg(*spacing));
        options.spacing = *chosen;
    }
    const std::optional<OutputKind> kind = outputKindOf(*output);
    if (!kind)
        return badUsage(QStringLiteral("cannot tell the output kind of \"%1\"; name it .doc, "
                                       ".docx, .pdf, .png or .svg")
                            .arg(*output));
    options.output = *output;
    options.kind = *kind;
    options.csv = csv.value_or(QString());
    return {Invocation::Action::Run, options, {}};
}

std::optional<OutputKind> outputKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"doc" || suffix == u"docx")
        return OutputKind::Word;
    if (suffix == u"pdf")
        return OutputKind::Pdf;
    if (suffix == u"png")
        return OutputKind::Png;
    if (suffix == u"svg")
        return OutputKind::Svg;
    return std::nullopt;
}

std::optional<int> scaleFromName(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == u"yearly")
        return 1;
    if (lower == u"monthly")
        return 2;
    if (lower == u"daily")
        return 3;
    return std::nullopt;
}

std::optional<Spacing> spacingFromName(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == u"even")
        return Spacing::Even;
    if (lower == u"scale")
        return Spacing::Scale;
    return std::nullopt;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: loomchart --output FILE [--title TEXT] [--scale yearly|monthly|daily]\n"
        "                 [--sort] [--spacing even|scale] (--csv FILE | --stored)\n"
        "       loomchart --help | --version\n"
        "\n"
        "Lays out a one-page timeline without a window and writes it to FILE. The kind\n"
        "of FILE follows its extension: .doc or .docx for the Word document, .pdf,\n"
        ".png (300 dpi) or .svg for the page.\n"
        "\n"
        "  --output FILE   where to write; replaced only when the page was made\n"
        "  --csv FILE      entries from a CSV file (date,notes per line, an optional\n"
        "                  header Date,Notes) or tab-separated lines; - reads\n"
        "                  standard input\n"
        "  --stored        the title and entries the studio keeps for the scale\n"
        "  --title TEXT    the page title (default: empty, or the stored title)\n"
        "  --scale NAME    yearly (default for --csv; years must be numbers), monthly\n"
        "                  or daily; with --stored, the scale the studio last showed\n"
        "  --sort          the entries by date first; entries whose dates cannot be\n"
        "                  read follow in their order, each named on standard error\n"
        "  --spacing NAME  even (default): callouts evenly along the bar; scale: each\n"
        "                  where its date falls on the time axis\n"
        "  --help          show this text\n"
        "  --version       show the version\n"
        "\n"
        "Exit status: 0 written, 1 bad input (each problem named on standard error by\n"
        "its line), 2 bad usage.\n");
}

} // namespace cli
