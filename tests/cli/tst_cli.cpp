#include "app/errortrap.h"
#include "cli/consoledialogs.h"
#include "cli/options.h"
#include "docgen/timelinefile.h"
#include "office/docreader.h"
#include "office/document.h"
#include "support/fulldisk.h"
#include "support/textbytes.h"
#include "timeline/entrylist.h"
#include "timeline/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

Run runProgram(const QStringList& arguments, const QString& folder, const QByteArray& input = {},
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LOOM_PROGRAM), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    Run run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.errLines =
        QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The title, then the dates of the bar's table, then each callout's notes: every text of
// the page in the order the page is built.
QStringList pageTexts(const QString& path)
{
    const office::Document document = office::openDocument(path);
    QStringList texts;
    for (const office::Shape& shape : document.shapes()) {
        for (const office::Block& block : shape.story) {
            if (const auto* paragraph = std::get_if<office::Paragraph>(&block)) {
                if (!paragraph->text().isEmpty())
                    texts.append(paragraph->text());
                continue;
            }
            for (const auto& row : std::get<office::Table>(block).rows)
                for (const office::TableCell& cell : row)
                    for (const office::Paragraph& paragraph : cell.paragraphs)
                        texts.append(paragraph.text());
        }
    }
    return texts;
}

QByteArray manyEntries(int count)
{
    QByteArray csv;
    for (int i = 1; i <= count; ++i)
        csv += QByteArray::number(1900 + i) + ",note " + QByteArray::number(i) + "\n";
    return csv;
}
} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void dispatch();
    void parse_data();
    void parse();
    void consoleDialogs();
    void helpAndVersion();
    void badUsage_data();
    void badUsage();
    void badInput_data();
    void badInput();
    void writesWordDocument_data();
    void writesWordDocument();
    void writesPage_data();
    void writesPage();
    void inputOfEveryKind_data();
    void inputOfEveryKind();
    void storedList();
    void sortByDate();
    void cutTextIsNamedAndStrictWritesNothing();
    void outputTroubleKeepsWhatWasThere_data();
    void outputTroubleKeepsWhatWasThere();
    void runsThatUsedToFail_data();
    void runsThatUsedToFail();
};

void TestCli::dispatch()
{
    // The studio keeps the toolkit's own arguments; only ours start the command line.
    QVERIFY(!cli::isCommandLine({}));
    QVERIFY(!cli::isCommandLine({"-platform", "offscreen"}));
    QVERIFY(!cli::isCommandLine({"--platform=offscreen", "--style", "fusion"}));
    QVERIFY(cli::isCommandLine({"-platform", "offscreen", "--output=a.doc"}));
    QVERIFY(cli::isCommandLine({"--stored"}));
    QVERIFY(cli::isCommandLine({"-h"}));
    // Anything else is the command line's, so a slip is a usage error, not a window.
    QVERIFY(!cli::isCommandLine({"-style=fusion", "-reverse", "-qwindowtitle", "x"}));
    QVERIFY(cli::isCommandLine({"--bogus"}));
    // One file is the studio's to open; a second makes no sense to it.
    QVERIFY(!cli::isCommandLine({"history.docx"}));
    QVERIFY(!cli::isCommandLine({"-platform", "offscreen", "history.docx"}));
    QVERIFY(cli::isCommandLine({"rows.csv", "more.csv"}));
    QVERIFY(cli::isCommandLine({"-reverse=1"}));
    QVERIFY(cli::isCommandLine({"-platform"}));
}

void TestCli::parse_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("title");
    const QByteArrayList run{"--csv", "-", "--output", "a.pdf"};
    QTest::newRow("a title that looks like an option")
        << QByteArrayList{"--title", "-h"} + run << int(cli::Invocation::Action::Run) << "-h";
    QTest::newRow("help after a value") << QByteArrayList{"--title=-x", "-h"} + run
                                        << int(cli::Invocation::Action::Help) << QString();
    QTest::newRow("a title that is not UTF-8")
        << QByteArrayList{"--title", "Z\xFCrich"} + run << int(cli::Invocation::Action::BadInput)
        << QString();
}

void TestCli::parse()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, action);
    QFETCH(QString, title);
    const cli::Invocation invocation = cli::parseArguments(QList<QByteArray>(arguments));
    QCOMPARE(int(invocation.action), action);
    QCOMPARE(invocation.options.title.value_or(QString()), title);
}

void TestCli::consoleDialogs()
{
    std::FILE* stream = std::tmpfile();
    QVERIFY(stream);
    cli::ConsoleDialogs dialogs(stream);
    // Nobody can answer: a question takes the answer that changes nothing.
    QCOMPARE(dialogs.messageBox("Replace it?", app::MessageButtons::YesNo,
                                app::MessageIcon::Exclamation),
             app::MessageAnswer::No);
    QCOMPARE(dialogs.inputBox("Enter Notes: ", "Input Notes", "typed"), QString());
    app::ShowApplicationError(dialogs, "in Somewhere.Form1.Test ", 156, "It broke");
    QCOMPARE(dialogs.messageCount(), 3);

    std::rewind(stream);
    QByteArray written(4096, '\0');
    written.truncate(qsizetype(std::fread(written.data(), 1, size_t(written.size()), stream)));
    std::fclose(stream);
    const QStringList lines = QString::fromLocal8Bit(written).split(u'\n');
    // One line each; the error box's request for a screenshot is the window's.
    QCOMPARE(lines, (QStringList{"loomchart: Replace it?",
                                 "loomchart: cannot answer \"Enter Notes:\" without a window",
                                 "loomchart: It broke (in Somewhere.Form1.Test at line 156)", ""}));
    QVERIFY(!written.contains('\r'));
    QVERIFY(written.endsWith("\n") && !written.endsWith("\n\n"));
}

void TestCli::helpAndVersion()
{
    QTemporaryDir folder;
    const Run help = runProgram({"--output", "x.doc", "--help"}, folder.path());
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(u"Usage: loomchart --output FILE"));
    QVERIFY(help.errLines.isEmpty());
    const Run version = runProgram({"--version"}, folder.path());
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("loomchart 1.0.0\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{});
}

void TestCli::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no output") << QStringList{"--csv", "a.csv"}
                               << "loomchart: --output FILE is required";
    QTest::newRow("no source") << QStringList{"--output", "x.doc"}
                               << "loomchart: give either --csv FILE or --stored";
    QTest::newRow("both sources") << QStringList{"--output=x.doc", "--csv=a.csv", "--stored"}
                                  << "loomchart: give either --csv FILE or --stored";
    QTest::newRow("unknown option") << QStringList{"--output", "x.doc", "--stored", "--colour"}
                                    << "loomchart: unknown option --colour";
    QTest::newRow("value missing")
        << QStringList{"--stored", "--output"} << "loomchart: --output needs a value";
    QTest::newRow("given twice") << QStringList{"--stored", "--output", "x.doc",
                                                "--title",  "a",        "--title=b"}
                                 << "loomchart: --title is given twice";
    QTest::newRow("bad scale") << QStringList{"--stored", "--output", "x.doc", "--scale", "weekly"}
                               << "loomchart: unknown scale \"weekly\"; use yearly, monthly or "
                                  "daily";
    QTest::newRow("unknown kind")
        << QStringList{"--stored", "--output", "x.odt"}
        << "loomchart: cannot tell the output kind of \"x.odt\"; name it .doc, .docx, .pdf, "
           ".png, .svg or .pptx";
    QTest::newRow("bad slide size")
        << QStringList{"--stored", "--output", "x.pptx", "--slide", "16:10"}
        << "loomchart: unknown slide size \"16:10\"; use 16:9 or 4:3";
    QTest::newRow("bad spacing") << QStringList{"--stored", "--output=x.doc", "--spacing=wide"}
                                 << "loomchart: unknown spacing \"wide\"; use even or scale";
    QTest::newRow("stray argument") << QStringList{"--stored", "--output", "x.doc", "extra"}
                                    << "loomchart: unexpected argument \"extra\"";
    QTest::newRow("a misspelt option alone")
        << QStringList{"--bogus"} << "loomchart: unknown option --bogus";
    // One file alone is the studio's to open; a second is the command line's.
    QTest::newRow("two files") << QStringList{"rows.csv", "more.csv"}
                               << "loomchart: unexpected argument \"rows.csv\"";
}

void TestCli::badUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir folder;
    writeFile(folder.filePath("a.csv"), "1955,a\n");
    const Run run = runProgram(arguments, folder.path());
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.errLines, (QStringList{message, "Try 'loomchart --help' for more information."}));
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"a.csv"});
}

void TestCli::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input"); // on standard input
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("status"); // 1 unless given

    QTest::newRow("missing file") << QStringList{"--csv", "none.csv"} << QByteArray()
                                  << QStringList{"loomchart: cannot read none.csv: No such file "
                                                 "or directory"}
                                  << 0;
    QTest::newRow("every problem named by its line")
        << QStringList{"--csv", "-"}
        << QByteArray("Date,Notes\n1955,a\n19x5,b\n1960,  \n1961,\"a\"b\n1962,x||MySeparator234||"
                      "\n1963,c,d\n1964,\"open\n")
        << QStringList{"loomchart: standard input: Line 3: Year must be a numeric value.",
                       "loomchart: standard input: Line 4: The notes are blank.",
                       "loomchart: standard input: Line 5: Text follows the closing quote of a "
                       "field.",
                       "loomchart: standard input: Line 6: The notes cannot hold "
                       "\"||MySeparator123||\" or \"||MySeparator234||\", which the saved list "
                       "uses to tell entries apart.",
                       "loomchart: standard input: Line 7: More than two fields: a text that "
                       "holds a comma must be in double quotes.",
                       "loomchart: standard input: Line 8: A quoted field is not closed."}
        << 0;
    QTest::newRow("one entry more than a page holds")
        << QStringList{"--csv", "-"} << manyEntries(64)
        << QStringList{"loomchart: standard input: Line 64: More entries than fit: 63 at most."}
        << 0;
    QTest::newRow("daily takes any date but not a blank one")
        << QStringList{"--csv", "-", "--scale", "daily"} << QByteArray("5/3/2010,a\n ,b\n")
        << QStringList{"loomchart: standard input: Line 2: The date is blank."} << 0;
    QTest::newRow("the studio's header rules: columns in any order, a milestone not yes or no")
        << QStringList{"--csv", "-"}
        << QByteArray("Notes,Date,Milestone\n a,1955,y\nb,1956,perhaps\n")
        << QStringList{"loomchart: standard input: Line 3: The milestone column holds "
                       "\"perhaps\": \"yes\", \"y\", \"x\", \"true\" or \"1\" marks one, \"no\" or "
                       "nothing does not."}
        << 0;
    QTest::newRow("no entries") << QStringList{"--csv", "-"} << QByteArray("Date,Notes\r\n\r\n")
                                << QStringList{"loomchart: standard input holds no entries"} << 0;
    QTest::newRow("not UTF-8") << QStringList{"--csv", "-"} << QByteArray("1955,a\n1956,caf\xe9\n")
                               << QStringList{"loomchart: standard input: Line 2: The line is not "
                                              "UTF-8 text (nor UTF-16 with a byte order mark)."}
                               << 0;
    const QByteArray utf16("1955,a\n1956,b\n");
    QByteArray littleEndian;
    QByteArray bigEndian;
    for (const char c : utf16) {
        littleEndian += QByteArray(1, c) + '\0';
        bigEndian += QByteArray(1, '\0') + c;
    }
    const QString notText = "loomchart: standard input: Line 1: The line is not UTF-8 text (nor "
                            "UTF-16 with a byte order mark).";
    QTest::newRow("UTF-16LE without its mark")
        << QStringList{"--csv", "-"} << littleEndian << QStringList{notText} << 0;
    QTest::newRow("UTF-16BE without its mark")
        << QStringList{"--csv", "-"} << bigEndian << QStringList{notText} << 0;
    QTest::newRow("a NUL on the second line")
        << QStringList{"--csv", "-"} << QByteArray("1955,a\n1956,b\0\n", 15)
        << QStringList{"loomchart: standard input: Line 2: The line is not UTF-8 text (nor "
                       "UTF-16 with a byte order mark)."}
        << 0;
    QTest::newRow("output folder missing")
        << QStringList{"--csv", "-", "--output", "no/such/x.doc"} << QByteArray("1955,a\n")
        << QStringList{"loomchart: cannot write no/such/x.doc: No such file or directory"} << 3;
    QTest::newRow("output is the input")
        << QStringList{"--csv", "page.doc", "--output", "./page.doc"} << QByteArray()
        << QStringList{"loomchart: --output ./page.doc would replace the input file"} << 2;
    QTest::newRow("endless input") << QStringList{"--csv", "/dev/zero"} << QByteArray()
                                   << QStringList{"loomchart: /dev/zero is larger than 1048576 "
                                                  "bytes, far more than a page holds; reading "
                                                  "stopped there"}
                                   << 0;
    QTest::newRow("huge input") << QStringList{"--csv", "-"} << manyEntries(70000)
                                << QStringList{"loomchart: standard input is larger than 1048576 "
                                               "bytes, far more than a page holds; reading "
                                               "stopped there"}
                                << 0;
    QTest::newRow("the surplus is one line")
        << QStringList{"--csv", "-"} << manyEntries(50000)
        << QStringList{"loomchart: standard input: Line 64: More entries than fit: 63 at most. "
                       "This "
                       "one and the 49936 after it were left out."}
        << 0;
    QStringList screenful;
    for (int line = 1; line <= 19; ++line)
        screenful
            << QStringLiteral("loomchart: standard input: Line %1: The notes are blank.").arg(line);
    QTest::newRow("a screenful of problems")
        << QStringList{"--csv", "-"} << QByteArray("1955,\n").repeated(30)
        << screenful + QStringList{"loomchart: standard input: 11 more problems are not listed."}
        << 0;
    QTest::newRow("more text than the reader takes back")
        << QStringList{"--csv", "-"} << "1955,\"" + QByteArray(60000, '\n') + "x\"\n"
        << QStringList{"loomchart: the title and entries hold more text than a page takes (60005 "
                       "characters and 60000 line breaks; at most 1000000 characters, a line "
                       "break counting as 300)"}
        << 0;
}

void TestCli::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, messages);
    QFETCH(int, status);
    QTemporaryDir folder;
    // A file already there stays as it was.
    writeFile(folder.filePath("page.doc"), "earlier");
    if (!arguments.contains("--output"))
        arguments << "--output"
                  << "page.doc";
    const Run run = runProgram(arguments, folder.path(), input);
    QCOMPARE(run.errLines, messages);
    QCOMPARE(run.exitCode, status == 0 ? 1 : status);
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{"page.doc"});
    QFile earlier(folder.filePath("page.doc"));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

void TestCli::writesWordDocument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("stdin to docx, title and quoting")
        << QStringList{"--output", "page.docx", "--title", "Our \"years\"", "--csv", "-"}
        << QByteArray("\xEF\xBB\xBF"
                      "Date,Notes\r\n 1955 ,\"Moved, then \"\"settled\"\"\"\r\n1960,b\r\n")
        << QStringList{"Our \"years\"", " 1955 ", "1960", "Moved, then \"settled\"", "b"};
    QTest::newRow("utf-16 with a byte order mark; a title like an option")
        << QStringList{"--title", "-h", "--csv", "-", "--output", "page.docx"}
        << testsupport::utf16WithBom(QStringLiteral("1955,Z\u00FC"))
        << QStringList{"-h", "1955", QStringLiteral("Z\u00FC")};
    // The legend names each category once, after the callouts.
    QTest::newRow("header in its own order, categories, a span and a milestone")
        << QStringList{"--csv", "-", "--output", "page.docx"}
        << QByteArray("milestone,CATEGORY,Date,Notes\n,Works,1939 to 1945,War\n"
                      "yes,People,1946,Peace\n,Works,1950,Rebuilt\n")
        << QStringList{"1939 to 1945", "1946",    "1950",  "War",
                       "Peace",        "Rebuilt", "Works", "People"};
    QTest::newRow("file to doc, monthly, a page full")
        << QStringList{"--scale=monthly", "--csv", "in.tsv", "--output", "page.doc"} << QByteArray()
        << QStringList{};
}

void TestCli::writesWordDocument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, texts);
    QTemporaryDir folder;
    if (texts.isEmpty()) {
        // The most a page holds, as a spreadsheet pastes them.
        QByteArray tsv;
        for (int i = 1; i <= 63; ++i) {
            tsv += "Apr " + QByteArray::number(1900 + i) + "\tn" + QByteArray::number(i) + "\n";
            texts.insert(i - 1, QStringLiteral("Apr %1").arg(1900 + i));
            texts.append(QStringLiteral("n%1").arg(i));
        }
        writeFile(folder.filePath("in.tsv"), tsv);
    }
    // No display of any kind is needed.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(name);
    const Run run = runProgram(arguments, folder.path(), input, environment);
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(run.exitCode, 0);
    const QString output =
        folder.filePath(arguments.contains("page.doc") ? "page.doc" : "page.docx");
    QCOMPARE(pageTexts(output), texts);
}

void TestCli::writesPage_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("pdf") << "page.pdf";
    QTest::newRow("png") << "page.PNG";
    QTest::newRow("svg") << "page.svg";
    QTest::newRow("slide") << "page.pptx";
}

void TestCli::writesPage()
{
    QFETCH(QString, output);
    QTemporaryDir folder;
    const Run run = runProgram({"--title", "Grand <Title> & co", "--csv", "-", "--output", output},
                               folder.path(), "1955,Graduated\n1960,Moved\n");
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{output});
    QFile file(folder.filePath(output));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (output.endsWith(".pdf")) {
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {folder.filePath(output)});
        QVERIFY(info.waitForFinished());
        QStringList fields;
        for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(u'\n'))
            fields << line.simplified();
        QVERIFY(fields.contains(QStringLiteral("Title: Grand <Title> & co")));
        QVERIFY(fields.contains(QStringLiteral("Creator: Loomchart Page Studio")));
    } else if (output.endsWith(".PNG")) {
        const QImage page = QImage::fromData(bytes, "PNG");
        // A landscape page at 300 dots per inch.
        QVERIFY(page.width() > page.height());
        QCOMPARE(qRound(page.dotsPerMeterX() * 0.0254), 300);
    } else if (output.endsWith(".pptx")) {
        const timeline::xml::ReadResult read = docgen::readTimelineFrom(folder.filePath(output));
        QVERIFY2(read.timeline, qPrintable(read.error));
        QCOMPARE(read.timeline->title, QStringLiteral("Grand <Title> & co"));
        QCOMPARE(read.timeline->entries.size(), 2);
    } else {
        QVERIFY(bytes.contains("<svg"));
        QVERIFY(bytes.contains("Grand &lt;Title&gt; &amp; co"));
        QVERIFY(bytes.contains("Graduated"));
    }
}

void TestCli::storedList()
{
    QTemporaryDir folder;
    QTemporaryDir config;
    const QString storeFolder = QDir(config.path()).filePath(editor::kStoreApplication);
    {
        editor::QSettingsStore store(storeFolder);
        store.write(editor::kTitleKey, "Stored title");
        store.write(editor::kOptionKey, "2");
        store.write(editor::timelineKey(2),
                    editor::encodeEntryList({{"Apr 2000", "Launch"}, {"May 2001", "Moved"}}));
        store.write(editor::timelineKey(3), editor::encodeEntryList({{"1/2/2003", "  "}}));
    }
    const auto storeFiles = [&] {
        QStringList files;
        for (const QFileInfo& info : QDir(storeFolder).entryInfoList(QDir::Files))
            files << info.fileName() + QString::number(info.lastModified().toMSecsSinceEpoch()) +
                         QString::number(info.size());
        return files;
    };
    const QStringList before = storeFiles();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());

    // The scale the studio last showed, with its title.
    Run run = runProgram({"--stored", "--output", "a.doc"}, folder.path(), {}, environment);
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(pageTexts(folder.filePath("a.doc")),
             (QStringList{"Stored title", "Apr 2000", "May 2001", "Launch", "Moved"}));

    run = runProgram({"--stored", "--scale", "yearly", "--output", "b.doc"}, folder.path(), {},
                     environment);
    QCOMPARE(run.errLines, QStringList{"loomchart: the stored Yearly list holds no entries"});
    QCOMPARE(run.exitCode, 1);
    run = runProgram({"--stored", "--scale", "daily", "--output", "c.doc"}, folder.path(), {},
                     environment);
    QCOMPARE(run.errLines,
             QStringList{"loomchart: the stored Daily list, entry 1: The notes are blank."});
    QCOMPARE(run.exitCode, 1);

    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{"a.doc"});
    QCOMPARE(storeFiles(), before);

    // Another scale than the one last shown has a title of its own.
    {
        editor::QSettingsStore store(storeFolder);
        store.write(editor::titleKey(1), "Yearly title");
        store.write(editor::timelineKey(1), editor::encodeEntryList({{"1999", "Founded"}}));
    }
    run = runProgram({"--stored", "--scale", "yearly", "--output", "e.doc"}, folder.path(), {},
                     environment);
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(pageTexts(folder.filePath("e.doc")).first(), QStringLiteral("Yearly title"));

    // A title given on the command line is used without reading the stored one.
    QVERIFY(QFile::remove(QDir(storeFolder).filePath("Text1.ini")));
    QVERIFY(QDir(storeFolder).mkdir("Text1.ini"));
    run = runProgram({"--stored", "--title", "Given", "--output", "d.doc"}, folder.path(), {},
                     environment);
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(pageTexts(folder.filePath("d.doc")).first(), QStringLiteral("Given"));
}

void TestCli::sortByDate()
{
    // Month first, as the locale of the run writes a short date.
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "en_US.UTF-8");
    const Run run = runProgram(
        {"--scale", "daily", "--sort", "--spacing", "scale", "--csv", "-", "--output", "page.doc"},
        folder.path(), "Date,Notes\n5/3/2010,a\nspring,b\n4/30/2010,c\n", environment);
    QCOMPARE(run.errLines,
             (QStringList{"loomchart: standard input: Line 3: \"spring\" is not read as a Daily "
                          "date; it follows the sorted entries",
                          "warning: Spaced evenly: the date on line 3 could not be read."}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(pageTexts(folder.filePath("page.doc")),
             (QStringList{"4/30/2010", "5/3/2010", "spring", "c", "a", "b"}));
}

void TestCli::outputTroubleKeepsWhatWasThere_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("document on a full disk") << "disk/page.doc";
    QTest::newRow("pdf on a full disk") << "disk/page.pdf";
    QTest::newRow("svg on a full disk") << "disk/page.svg";
    QTest::newRow("slide on a full disk") << "disk/page.pptx";
    QTest::newRow("link to a device") << "device";
    QTest::newRow("link to a pipe") << "pipe";
    QTest::newRow("folder") << "folder.pdf";
}

void TestCli::outputTroubleKeepsWhatWasThere()
{
    QFETCH(QString, output);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("disk")));
    testsupport::FullDisk disk(folder.filePath(QStringLiteral("disk")));
    const QString path = folder.filePath(output);
    const QByteArray name = QFile::encodeName(path);
    const bool onDisk = output.startsWith(QLatin1String("disk/"));
    if (onDisk)
        writeFile(path, "earlier");
    else if (output == QLatin1String("folder.pdf"))
        QVERIFY(QDir().mkdir(path));
    else if (output == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(name.constData(), 0666), 0);
    else if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("only root makes a device node");
    struct stat before = {};
    QCOMPARE(::lstat(name.constData(), &before), 0);
    // A non-file is named through a link, as a planted one would be.
    const QString target = onDisk || output == QLatin1String("folder.pdf") ? output : "link.pdf";
    if (target != output)
        QVERIFY(QFile::link(path, folder.filePath(target)));
    if (onDisk)
        disk.fill();
    const Run run = runProgram({"--csv", "-", "--output", target}, folder.path(),
                               "1955,Graduated\n1960,Moved\n");
    QVERIFY(run.exitCode > 0);
    // Without a tmpfs the file-size limit stops the program's own temporary files first.
    if (disk.mounted() || !onDisk)
        QVERIFY2(
            run.errLines.join(u'\n').contains(QStringLiteral("cannot write"), Qt::CaseInsensitive),
            qPrintable(run.errLines.join(u'\n')));
    struct stat after = {};
    QCOMPARE(::lstat(name.constData(), &after), 0);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    QCOMPARE(after.st_ino, before.st_ino);
    if (onDisk) {
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(folder.filePath(QStringLiteral("disk"))).entryList(QDir::Files),
                 QStringList{QFileInfo(output).fileName()});
    }
}

void TestCli::cutTextIsNamedAndStrictWritesNothing()
{
    QTemporaryDir folder;
    QByteArray csv;
    for (int i = 0; i < 63; ++i)
        csv += QByteArray::number(1900 + i) + ',' + QByteArray("word ").repeated(120) + '\n';
    const QStringList page{"--csv", "-", "--paper", "a4", "--output", "page.doc"};
    const Run run = runProgram(page, folder.path(), csv);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.errLines.size(), 63);
    QVERIFY2(run.errLines.at(11).startsWith(
                 QStringLiteral("warning: line 12 (1911): notes cut after ")) &&
                 run.errLines.at(11).endsWith(QStringLiteral(" of 600 characters")),
             qPrintable(run.errLines.at(11)));
    QCOMPARE(office::openDocument(folder.filePath("page.doc")).page().widthPt, 841.9);

    QFile written(folder.filePath("page.doc"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray before = written.readAll();
    written.close();
    const Run strict =
        runProgram(page + QStringList{"--strict", "--layout", "classic"}, folder.path(), csv);
    QCOMPARE(strict.exitCode, 1);
    QCOMPARE(strict.errLines.last(),
             QStringLiteral("loomchart: some text would be cut; nothing was written (--strict)"));
    // The earlier page stays as it was.
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), before);
}

void TestCli::runsThatUsedToFail_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input"); // on standard input
    QTest::addColumn<QString>("setUp");    // "xcb": no display; "pipe": a key file is a pipe
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("messages"); // each line of the error stream, a pattern

    const QStringList csv{"--csv", "-", "--output"};
    QTest::newRow("a platform without its display")
        << csv + QStringList{"page.pdf"} << QByteArray("1955,a\n") << "xcb" << 0 << QStringList{};
    QTest::newRow("a name as long as the folder takes")
        << csv + QStringList{QString(251, u'n') + ".doc"} << QByteArray("1955,a\n") << QString()
        << 0 << QStringList{};
    QTest::newRow("a stored list that is a pipe")
        << QStringList{"--stored", "--output", "page.doc"} << QByteArray() << "pipe" << 1
        << QStringList{"loomchart: The setting \"Timeline1\" cannot be read: it is not a "
                       "regular file"};
    // Lines 6, 7 and 9 are read, 8 and 10 are not; sorted, each is named by its own line.
    QTest::newRow("lines after a sort")
        << QStringList{"--sort", "--spacing", "scale", "--csv", "-", "--output", "page.doc"}
        << QByteArray("Date,Notes\n1990,a\n1980,b\n1970,c\n1960,d\n-500,e\n99999,f\n19.5,g\n"
                      "-300,h\n1e3,") +
               QByteArray("word ").repeated(1200) + '\n'
        << QString() << 0
        << QStringList{"loomchart: standard input: Line 8: \"19.5\" is not read as a Yearly date; "
                       "it follows the sorted entries",
                       "loomchart: standard input: Line 10: \"1e3\" is not read as a Yearly "
                       "date; it follows the sorted entries",
                       "warning: Spaced evenly: the dates on lines 8, 10 could not be read\\.",
                       "warning: line 10 \\(1e3\\): notes cut after \\d+ of \\d+ characters"};
    QTest::newRow("an unbroken title shown whole")
        << QStringList{"--strict", "--title", QString(65, u'n')} + csv + QStringList{"page.doc"}
        << QByteArray("1955,a\n") << QString() << 0 << QStringList{};
    QTest::newRow("an unbroken note shows some of itself")
        << csv + QStringList{"page.doc"} << "1955," + QByteArray(50000, 'n') + '\n'
        << QString() << 0
        << QStringList{"warning: line 1 \\(1955\\): notes cut after [1-9]\\d* of 50000 characters"};
}

void TestCli::runsThatUsedToFail()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, setUp);
    QFETCH(int, status);
    QFETCH(QStringList, messages);
    QTemporaryDir folder;
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    if (setUp == u"xcb") {
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
    } else if (setUp == u"pipe") {
        const QString store = QDir(config.path()).filePath(editor::kStoreApplication);
        QVERIFY(QDir().mkpath(store));
        QCOMPARE(::mkfifo(QFile::encodeName(store + "/Timeline1.ini").constData(), 0666), 0);
    }
    const Run run = runProgram(arguments, folder.path(), input, environment);
    QCOMPARE(run.exitCode, status);
    QCOMPARE(run.errLines.size(), messages.size());
    for (qsizetype i = 0; i < messages.size(); ++i)
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(messages.at(i)))
                     .match(run.errLines.at(i))
                     .hasMatch(),
                 qPrintable(run.errLines.at(i)));
    // A run that succeeds wrote its file, and nothing beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), status == 0 ? 1 : 0);
}

void TestCli::inputOfEveryKind_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("word") << "made.docx";
    QTest::newRow("pdf") << "made.pdf";
    QTest::newRow("png") << "made.PNG";
    QTest::newRow("svg") << "made.svg";
    QTest::newRow("csv") << "rows.csv";
}

void TestCli::inputOfEveryKind()
{
    QFETCH(QString, input);
    QTemporaryDir folder;
    const QByteArray rows =
        "Mar 1990 \xe2\x80\x93 Jun 1991,A span of months\nJan 2001,\"Notes, too\"\n";
    const QStringList choices{"--title", "Riverside", "--scale", "monthly", "--layout", "classic"};
    QStringList again{"--input", input, "--output", "again.svg"};
    if (input.endsWith(".csv")) {
        writeFile(folder.filePath(input), rows);
        again << choices;
    } else {
        // The file keeps its own title, scale and choices; only the ones given replace them.
        const Run made =
            runProgram(choices + QStringList{"--csv", "-", "--output", input}, folder.path(), rows);
        QCOMPARE(made.exitCode, 0);
        again << "--theme"
              << "Slate";
    }
    const Run run = runProgram(again, folder.path());
    QCOMPARE(run.errLines, QStringList{});
    QCOMPARE(run.exitCode, 0);
    const timeline::xml::ReadResult read = docgen::readTimelineFrom(folder.filePath("again.svg"));
    QVERIFY2(read.timeline, qPrintable(read.error));
    QCOMPARE(read.timeline->title, QStringLiteral("Riverside"));
    QCOMPARE(read.timeline->scale, timeline::Scale::Monthly);
    QCOMPARE(read.timeline->entries,
             (QList<timeline::Entry>{
                 {QStringLiteral("Mar 1990 \u2013 Jun 1991"), QStringLiteral("A span of months")},
                 {QStringLiteral("Jan 2001"), QStringLiteral("Notes, too")}}));
    QCOMPARE(read.timeline->page.layout, timeline::Layout::Classic);
    QCOMPARE(read.timeline->page.theme,
             input.endsWith(".csv") ? QString() : QStringLiteral("Slate"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
