#include "options.h"

#include "docgen/pagetheme.h"
#include "office/model.h"
#include "timeline/scale.h"

#include <QMap>
#include <QStringDecoder>

#include <cstddef>

namespace cli {
namespace {
// "Meadow, Slate, Ink, Ember or Forest"
QString themeNames()
{
    QStringList names = docgen::PageTheme::names();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

struct OptionSpec
{
    QLatin1StringView name;
    bool takesValue;
};

// Every option of the command line. A new option is a row here and a line where
// parseArguments() reads it into Options.
constexpr OptionSpec kOptions[] = {
    {QLatin1StringView("--help"), false},   {QLatin1StringView("--version"), false},
    {QLatin1StringView("--output"), true},  {QLatin1StringView("--title"), true},
    {QLatin1StringView("--scale"), true},   {QLatin1StringView("--csv"), true},
    {QLatin1StringView("--stored"), false}, {QLatin1StringView("--sort"), false},
    {QLatin1StringView("--spacing"), true}, {QLatin1StringView("--layout"), true},
    {QLatin1StringView("--theme"), true},   {QLatin1StringView("--paper"), true},
    {QLatin1StringView("--strict"), false}, {QLatin1StringView("--input"), true},
    {QLatin1StringView("--slide"), true},
};

// The toolkit's own options, which the studio takes; with one dash or two, and a value
// after "=" or in the next argument where they take one.
constexpr OptionSpec kToolkitOptions[] = {
    {QLatin1StringView("platform"), true},        {QLatin1StringView("platformpluginpath"), true},
    {QLatin1StringView("platformtheme"), true},   {QLatin1StringView("plugin"), true},
    {QLatin1StringView("qwindowgeometry"), true}, {QLatin1StringView("qwindowicon"), true},
    {QLatin1StringView("qwindowtitle"), true},    {QLatin1StringView("geometry"), true},
    {QLatin1StringView("title"), true},           {QLatin1StringView("icon"), true},
    {QLatin1StringView("display"), true},         {QLatin1StringView("name"), true},
    {QLatin1StringView("session"), true},         {QLatin1StringView("style"), true},
    {QLatin1StringView("stylesheet"), true},      {QLatin1StringView("qmljsdebugger"), true},
    {QLatin1StringView("reverse"), false},        {QLatin1StringView("widgetcount"), false},
    {QLatin1StringView("nograb"), false},         {QLatin1StringView("dograb"), false},
    {QLatin1StringView("sync"), false},
};

// The part before "=" of "--name=value".
QString optionName(const QString& argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    return argument.startsWith(u'-') && equals > 0 ? argument.first(equals) : argument;
}

template <std::size_t N>
const OptionSpec* findOption(const OptionSpec (&table)[N], QStringView name)
{
    for (const OptionSpec& option : table)
        if (name == option.name)
            return &option;
    return nullptr;
}

bool isOwnOption(const QString& name)
{
    return name == u"-h" || findOption(kOptions, name);
}

} // namespace

bool isCommandLine(const QStringList& arguments)
{
    bool file = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = optionName(argument);
        QStringView bare(name);
        // One file for the studio to open; a second is the command line's (and refused).
        if (!bare.startsWith(u'-') && !bare.isEmpty() && !file) {
            file = true;
            continue;
        }
        if (!bare.startsWith(u'-') || isOwnOption(name))
            return true;
        bare = bare.sliced(bare.startsWith(u"--") ? 2 : 1);
        const OptionSpec* toolkit = findOption(kToolkitOptions, bare);
        if (!toolkit || (!toolkit->takesValue && name != argument))
            return true;
        if (toolkit->takesValue && name == argument && ++i >= arguments.size())
            return true;
    }
    return false;
}

Invocation parseArguments(const QStringList& arguments)
{
    QList<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.append(argument.toUtf8());
    return parseArguments(bytes);
}

Invocation parseArguments(const QList<QByteArray>& rawArguments)
{
    QStringList arguments;
    QList<bool> isText;
    for (const QByteArray& raw : rawArguments) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        arguments.append(decoder.decode(raw));
        isText.append(!decoder.hasError());
    }

    // Read to the end, so that help or version anywhere wins over a fault before it.
    QMap<QString, QString> given;
    bool help = false;
    std::optional<Invocation> fault;
    const auto refuse = [&](Invocation::Action action, const QString& error) {
        if (!fault)
            fault = Invocation{action, {}, error};
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = optionName(argument);
        const OptionSpec* option = findOption(kOptions, name);
        if (argument == u"-h" || name == u"--help") {
            help = true;
            continue;
        }
        if (!option) {
            refuse(Invocation::Action::BadUsage,
                   argument.startsWith(u'-') && argument != u"-"
                       ? QStringLiteral("unknown option %1").arg(argument)
                       : QStringLiteral("unexpected argument \"%1\"").arg(argument));
            continue;
        }
        QString value;
        qsizetype valueAt = i;
        if (!option->takesValue) {
            if (name != argument)
                refuse(Invocation::Action::BadUsage, QStringLiteral("%1 takes no value").arg(name));
        } else if (name != argument) {
            value = argument.sliced(name.size() + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(valueAt = ++i);
        } else {
            refuse(Invocation::Action::BadUsage, QStringLiteral("%1 needs a value").arg(name));
            continue;
        }
        if (!isText.at(valueAt))
            refuse(Invocation::Action::BadInput,
                   QStringLiteral("the value of %1 is not UTF-8 text").arg(name));
        if (given.contains(name))
            refuse(Invocation::Action::BadUsage, QStringLiteral("%1 is given twice").arg(name));
        given.insert(name, value);
    }
    if (help)
        return {Invocation::Action::Help, {}, {}};
    if (given.contains(QStringLiteral("--version")))
        return {Invocation::Action::Version, {}, {}};
    if (fault)
        return *fault;
    const auto valueOf = [&](const char* name) -> std::optional<QString> {
        const auto found = given.constFind(QLatin1String(name));
        return found == given.cend() ? std::nullopt : std::optional<QString>(*found);
    };
    const auto badUsage = [](const QString& error) {
        return Invocation{Invocation::Action::BadUsage, {}, error};
    };

    Options options;
    const std::optional<QString> output = valueOf("--output");
    const std::optional<QString> csv = valueOf("--csv");
    const std::optional<QString> input = valueOf("--input");
    const std::optional<QString> scale = valueOf("--scale");
    options.title = valueOf("--title");
    options.stored = given.contains(QStringLiteral("--stored"));
    options.sort = given.contains(QStringLiteral("--sort"));
    options.strict = given.contains(QStringLiteral("--strict"));
    if (const std::optional<QString> spacing = valueOf("--spacing")) {
        const std::optional<timeline::Spacing> chosen = spacingFromName(*spacing);
        if (!chosen)
            return badUsage(
                QStringLiteral("unknown spacing \"%1\"; use even or scale").arg(*spacing));
        options.page.spacing = *chosen;
        options.spacingGiven = true;
    }
    if (const std::optional<QString> layout = valueOf("--layout")) {
        options.layoutGiven = true;
        if (layout->compare(u"classic", Qt::CaseInsensitive) == 0)
            options.page.layout = timeline::Layout::Classic;
        else if (layout->compare(u"fit", Qt::CaseInsensitive) != 0)
            return badUsage(
                QStringLiteral("unknown layout \"%1\"; use fit or classic").arg(*layout));
    }
    if (const std::optional<QString> theme = valueOf("--theme")) {
        const docgen::PageTheme* found = docgen::PageTheme::find(*theme);
        if (!found)
            return badUsage(
                QStringLiteral("unknown theme \"%1\"; use %2").arg(*theme, themeNames()));
        options.page.theme = found->name;
    }
    if (const std::optional<QString> paper = valueOf("--paper")) {
        const office::Paper* found = office::findPaper(*paper);
        if (!found)
            return badUsage(QStringLiteral("unknown paper \"%1\"; use letter, a4, legal, a3 or "
                                           "tabloid")
                                .arg(*paper));
        options.page.paper = QString::fromLatin1(found->name);
    }

    if (const std::optional<QString> size = valueOf("--slide")) {
        const slide::SlideSize* found = slide::findSlideSize(*size);
        if (!found)
            return badUsage(
                QStringLiteral("unknown slide size \"%1\"; use 16:9 or 4:3").arg(*size));
        options.slideSize = found;
    }

    if (!output || output->isEmpty())
        return badUsage(QStringLiteral("--output FILE is required"));
    if (input && (csv || options.stored))
        return badUsage(QStringLiteral("give only one of --input FILE, --csv FILE or --stored"));
    if (!input && csv.has_value() == options.stored)
        return badUsage(QStringLiteral("give either --csv FILE or --stored"));
    if (input && input->isEmpty())
        return badUsage(QStringLiteral("--input needs a file name"));
    if (csv && csv->isEmpty())
        return badUsage(QStringLiteral("--csv needs a file name, or - for standard input"));
    if (scale) {
        options.scale = editor::scaleFromName(*scale);
        if (!options.scale)
            return badUsage(
                QStringLiteral("unknown scale \"%1\"; use yearly, monthly or daily").arg(*scale));
    }
    const std::optional<office::OutputFormat> kind = office::outputFormatOf(*output);
    if (!kind)
        return badUsage(QStringLiteral("cannot tell the output kind of \"%1\"; name it .doc, "
                                       ".docx, .pdf, .png, .svg or .pptx")
                            .arg(*output));
    options.output = *output;
    options.kind = *kind;
    options.csv = csv.value_or(QString());
    options.input = input.value_or(QString());
    return {Invocation::Action::Run, options, {}};
}

std::optional<timeline::Spacing> spacingFromName(const QString& name)
{
    if (name.compare(u"even", Qt::CaseInsensitive) == 0)
        return timeline::Spacing::Even;
    if (name.compare(u"scale", Qt::CaseInsensitive) == 0)
        return timeline::Spacing::ToScale;
    return std::nullopt;
}

QString usageText()
{
    return QStringLiteral(
               "Usage: loomchart --output FILE [--title TEXT] [--scale yearly|monthly|daily]\n"
               "                 [--sort] [--spacing even|scale] [--layout fit|classic]\n"
               "                 [--paper NAME] [--theme NAME] [--slide 16:9|4:3] [--strict]\n"
               "                 (--input FILE | --csv FILE | --stored)\n"
               "       loomchart --help | --version\n"
               "\n"
               "Lays out a one-page timeline without a window and writes it to FILE. The kind\n"
               "of FILE follows its extension: .doc or .docx for the Word document, .pdf,\n"
               ".png (300 dpi) or .svg for the page, .pptx for a PowerPoint slide of native\n"
               "shapes laid out on the slide's size.\n"
               "\n"
               "  --output FILE   where to write; replaced only when the page was made\n"
               "  --input FILE    the timeline a file of the studio carries (a Word document,\n"
               "                  PDF, PNG or SVG it wrote), laid out again; or a CSV file,\n"
               "                  as --csv\n"
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
               "  --layout NAME   fit (default): every word shown where the page allows;\n"
               "                  classic: the original geometry, which may cut text\n"
               "  --paper NAME    letter, a4, legal, a3 or tabloid, landscape (default: the\n"
               "                  locale's paper)\n"
               "  --theme NAME    the page's look: %1 (default: %2, the\n"
               "                  original blue callouts on a pale green bar)\n"
               "  --slide SIZE    16:9 (default) or 4:3: the slide a .pptx is laid out on\n"
               "  --strict        write nothing and exit 1 when some text would be cut\n"
               "  --help          show this text\n"
               "  --version       show the version\n"
               "\n"
               "The CSV may be UTF-8 or UTF-16 with a byte order mark, and at most 1 MB.\n"
               "\n"
               "Text the page cannot show whole is named on standard error, one warning line\n"
               "per entry, such as \"warning: line 12 (1961): notes cut after 240 of 600\n"
               "characters\".\n"
               "\n"
               "Exit status: 0 written, 1 bad input (each problem named on standard error by\n"
               "its line) or, with --strict, text that would be cut, 2 bad usage, 3 the page\n"
               "was made but FILE could not be written.\n")
        .arg(themeNames(), docgen::PageTheme::original().name);
}

} // namespace cli
