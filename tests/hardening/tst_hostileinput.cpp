// Hostile input through the real windows: very long texts, control characters,
// right-to-left text and emoji in the title, dates and notes; a temporary folder that
// cannot be used; a settings file that cannot be written.
#include "officetools.h"

#include "app/apptitle.h"
#include "docgen/embeddedword.h"
#include "docgen/wordautomation.h"
#include "editor/studio.h"
#include "office/docreader.h"
#include "office/error.h"
#include "preview/form2.h"
#include "support/letterpaper.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"
#include "timeline/entrylist.h"
#include "timeline/settingsstore.h"

#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testsupport::ScriptedDialogs;

namespace {
// What a document keeps of a typed text: a line break starts a new paragraph, a tab and
// a vertical tab are the file's tab and break; other characters that XML 1.0 cannot
// carry, unpaired surrogates among them, are not kept.
QString carried(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\v');
    QString kept;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++i);
        } else if (c.isSurrogate()) {
            continue; // half a pair
        } else if (u >= 0x20 ? (u != 0xFFFE && u != 0xFFFF)
                             : (u == u'\t' || u == u'\n' || u == u'\v')) {
            kept += c;
        }
    }
    return kept;
}

QString paragraphsText(const std::vector<office::Paragraph>& paragraphs)
{
    QStringList texts;
    for (const auto& paragraph : paragraphs)
        texts << paragraph.text();
    return texts.join(u'\n');
}

// The story's paragraphs outside tables, joined by line breaks, and each table cell's.
struct StoryTexts
{
    QString text;
    QStringList cells;
};

StoryTexts textsOf(const office::Story& story)
{
    StoryTexts result;
    std::vector<office::Paragraph> paragraphs;
    for (const office::Block& block : story) {
        if (const auto* paragraph = std::get_if<office::Paragraph>(&block)) {
            paragraphs.push_back(*paragraph);
        } else {
            for (const auto& row : std::get<office::Table>(block).rows)
                for (const auto& cell : row)
                    result.cells << paragraphsText(cell.paragraphs);
        }
    }
    result.text = paragraphsText(paragraphs);
    return result;
}

QString repeated(const QString& piece, int length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    return text;
}
} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void textsGoThroughEveryStage_data();
    void textsGoThroughEveryStage();
    void unusableTemporaryFolder_data();
    void unusableTemporaryFolder();
    void settingsFileThatCannotBeWritten();

private:
    void makeStudio();
    QStringList tempFiles() const
    {
        return QDir(mTemp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

    QTemporaryDir mTemp;
    QTemporaryDir mWork;
    std::unique_ptr<QTemporaryDir> mStoreDir;
    ScriptedDialogs mDialogs;
    testsupport::RecordingEnd mEnd;
    testsupport::MemoryClipboard mClipboard;
    docgen::AutomationFactory mFactory;
    std::unique_ptr<editor::QSettingsStore> mStore;
    std::unique_ptr<editor::Studio> mStudio;
};

void TestHostileInput::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    QVERIFY(mTemp.isValid() && mWork.isValid());
    qputenv("TEMP", mTemp.path().toUtf8());
    docgen::registerEmbeddedWord(mFactory, mClipboard);
}

void TestHostileInput::init()
{
    qputenv("TEMP", mTemp.path().toUtf8());
    mDialogs = ScriptedDialogs();
    mStoreDir = std::make_unique<QTemporaryDir>();
    mStore = std::make_unique<editor::QSettingsStore>(mStoreDir->path());
    makeStudio();
}

void TestHostileInput::cleanup()
{
    mStudio.reset();
    mStore.reset();
    for (const QString& name : tempFiles())
        QFile::remove(mTemp.filePath(name));
}

void TestHostileInput::makeStudio()
{
    mStudio.reset();
    mDialogs.calls.clear();
    mStudio = std::make_unique<editor::Studio>(
        editor::StudioServices{mDialogs, mEnd, *mStore, mFactory, mClipboard, mTemp.path()});
    QVERIFY(mStudio->start());
    QCOMPARE(mDialogs.messageTexts(), QStringList());
}

void TestHostileInput::textsGoThroughEveryStage_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<bool>("checkWithOfficeSuite");

    const QString controls = QStringLiteral("a\x01"
                                            "b\x0b"
                                            "c\td\ne\x1f"
                                            "f\rg");
    QTest::newRow("control characters")
        << (QStringLiteral("Title ") + controls) << (QStringLiteral("1999 ") + controls)
        << (QStringLiteral("Notes ") + controls) << true;
    QTest::newRow("right to left")
        << QStringLiteral("\u05e6\u05d9\u05e8 \u05d6\u05de\u05df \u0645\u062e\u0637\u0637")
        << QStringLiteral("\u05ea\u05e9\u05e4\u05f4\u05d0")
        << QStringLiteral("\u0648\u0644\u062f \u0641\u064a \u0627\u0644\u0642\u062f\u0633 "
                          "\u202eembedded override\u202c")
        << false;
    QTest::newRow("emoji") << QStringLiteral("My \U0001F600 timeline \U0001F468\u200D\U0001F469")
                           << QStringLiteral("\U0001F4C5 2001")
                           << QStringLiteral("Moved \U0001F3E0\U0001F1FA\U0001F1F8 \U0001F600")
                           << false;
    QTest::newRow("unpaired surrogates")
        << (QStringLiteral("Half ") + QChar(0xD83D) + QStringLiteral(" pair"))
        << (QStringLiteral("2001 ") + QChar(0xDE00)) << (QStringLiteral("Notes ") + QChar(0xD800))
        << true;
    const int big = 100'000;
    QTest::newRow("100000-character title")
        << repeated(QStringLiteral("Long title "), big) << QStringLiteral("2000")
        << QStringLiteral("Short notes") << false;
    QTest::newRow("100000-character date")
        << QStringLiteral("Title") << repeated(QStringLiteral("1999 "), big)
        << QStringLiteral("Short notes") << false;
    QTest::newRow("100000-character notes")
        << QStringLiteral("Title") << QStringLiteral("2000")
        << repeated(QStringLiteral("words and more words "), big) << false;
}

void TestHostileInput::textsGoThroughEveryStage()
{
    QFETCH(QString, title);
    QFETCH(QString, date);
    QFETCH(QString, notes);
    QFETCH(bool, checkWithOfficeSuite);

    editor::Form1& form1 = mStudio->mainWindow();
    form1.selectScale(3); // the daily scale takes any date text
    QCOMPARE(mDialogs.messageTexts(), QStringList());

    // Typed into the title box: stored on the change.
    auto* text1 = form1.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(text1);
    text1->setText(title);
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    QCOMPARE(form1.titleText(), title);
    QCOMPARE(mStore->read(QStringLiteral("Text1"), QString()), title);

    // Added through "Add Timeline", next to a sample entry already in the list.
    mDialogs.inputAnswers << QStringLiteral("2020") << QStringLiteral("Plain entry") << date
                          << notes;
    form1.PushButton1_Click();
    form1.PushButton1_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    QCOMPARE(form1.entryCount(), 2);
    QCOMPARE(form1.entryDate(1), date);
    QCOMPARE(form1.entryNotes(1), notes);

    // Stored, then read back by a fresh start on the same store.
    form1.SaveScaleEntries();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    {
        editor::QSettingsStore reread(mStoreDir->path());
        QCOMPARE(reread.read(QStringLiteral("Text1"), QString()), title);
        const auto stored = editor::decodeEntryList(reread.read(editor::timelineKey(3), QString()));
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[1].date, date);
        QCOMPARE(stored[1].notes, notes);
    }
    makeStudio();
    editor::Form1& restarted = mStudio->mainWindow();
    QCOMPARE(restarted.selectedScale(), 3);
    QCOMPARE(restarted.titleText(), title);
    QCOMPARE(restarted.entryCount(), 2);
    QCOMPARE(restarted.entryDate(1), date);
    QCOMPARE(restarted.entryNotes(1), notes);
    QCOMPARE(mStore->read(QStringLiteral("Text1"), QString()), title);

    // Generated and handed to the preview.
    restarted.PushButton6_Click();
    QVERIFY2(mDialogs.messageTexts().isEmpty(), qPrintable(mDialogs.messageTexts().join(u'|')));
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2 && form2->isVisible());
    const QString document = form2->wordFile();
    QVERIFY(QFile::exists(document));

    // Reopened: the same texts, as far as the file format carries them.
    office::Document reopened;
    try {
        reopened = office::openDocument(document);
    } catch (const office::Error& error) {
        QFAIL(
            qPrintable(QStringLiteral("the saved document does not open: ") + error.description()));
    }
    QCOMPARE(reopened.shapes().size(), size_t(2 + 2));
    QCOMPARE(textsOf(reopened.shapes()[0].story).text, carried(title));
    QCOMPARE(textsOf(reopened.shapes()[1].story).cells,
             QStringList({QStringLiteral("2020"), carried(date)}));
    QCOMPARE(textsOf(reopened.shapes()[3].story).text, carried(notes));

    if (checkWithOfficeSuite) {
        if (!officetools::available())
            QSKIP("the office suite is not installed");
        QString errorText;
        const QString pdf = officetools::convertToPdf(document, mWork.path(), &errorText);
        QVERIFY2(!pdf.isEmpty(), qPrintable(errorText));
        QStringList words;
        for (const auto& word : officetools::wordsOf(pdf))
            words << word.text;
        QVERIFY2(words.contains(QStringLiteral("Notes")), qPrintable(words.join(u' ')));
    }

    form2->PushButton8_Click();
    QVERIFY(restarted.isVisible());
    QVERIFY(tempFiles().isEmpty());
}

void TestHostileInput::unusableTemporaryFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << QStringLiteral("no/such/folder");
    QTest::newRow("under a regular file") << QStringLiteral("plain-file/temp");
}

void TestHostileInput::unusableTemporaryFolder()
{
    QFETCH(QString, folder);
    QFile plain(mWork.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("TEMP", mWork.filePath(folder).toUtf8());

    editor::Form1& form1 = mStudio->mainWindow();
    form1.PushButton4_Click();
    form1.PushButton6_Click();
    const auto boxes = mDialogs.messages();
    QVERIFY(!boxes.isEmpty());
    for (const auto& box : boxes)
        QCOMPARE(box.caption, QStringLiteral("Application Error"));
    QVERIFY2(boxes.first().text.contains(QStringLiteral("PushButton6_Click at line 216\r")),
             qPrintable(boxes.first().text));
    QVERIFY(!mStudio->previewWindow() || !mStudio->previewWindow()->isVisible());
    QVERIFY(form1.isVisible());
    QVERIFY(!mStudio->builder().busy());
    QCOMPARE(form1.mousePointer(), app::MousePointer::Default);
    QCOMPARE(form1.entryCount(), 8);
    QVERIFY(!QFileInfo::exists(mWork.filePath(folder)));

    // The main window is still usable once the folder is back.
    qputenv("TEMP", mTemp.path().toUtf8());
    mDialogs.calls.clear();
    form1.PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    QVERIFY(mStudio->previewWindow() && mStudio->previewWindow()->isVisible());
    mStudio->previewWindow()->PushButton8_Click();
    QVERIFY(tempFiles().isEmpty());
}

void TestHostileInput::settingsFileThatCannotBeWritten()
{
    editor::Form1& form1 = mStudio->mainWindow();
    form1.selectScale(3);
    mDialogs.inputAnswers << QStringLiteral("1 May") << QStringLiteral("Kept notes");
    form1.PushButton1_Click();
    form1.SaveScaleEntries();
    auto* text1 = form1.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(text1);
    text1->setText(QStringLiteral("Kept title"));
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    const QString storedList = mStore->read(editor::timelineKey(3), QString());
    QVERIFY(!storedList.isEmpty());

    // The title's file becomes a folder: no write can replace it.
    const QString titleFile = mStore->filePath(QStringLiteral("Text1"));
    QVERIFY(QFile::remove(titleFile));
    QVERIFY(QDir().mkpath(titleFile));

    text1->setFocus();
    QTest::keyClicks(text1, QStringLiteral("X"));
    QCOMPARE(text1->text(), QStringLiteral("Kept titleX"));
    const auto boxes = mDialogs.messages();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].text.contains(QStringLiteral("Text1")) &&
                 boxes[0].text.contains(QStringLiteral("cannot be saved")),
             qPrintable(boxes[0].text));

    // Nothing else was touched; the list is still stored and shown.
    editor::QSettingsStore reread(mStoreDir->path());
    QCOMPARE(reread.read(editor::timelineKey(3), QString()), storedList);
    QCOMPARE(form1.entryCount(), 1);
    QCOMPARE(form1.entryNotes(0), QStringLiteral("Kept notes"));

    // Once the file can be written again, the next keystroke stores the whole title.
    QVERIFY(QDir(titleFile).removeRecursively());
    mDialogs.calls.clear();
    QTest::keyClicks(text1, QStringLiteral("Y"));
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    editor::QSettingsStore again(mStoreDir->path());
    QCOMPARE(again.read(QStringLiteral("Text1"), QString()), QStringLiteral("Kept titleXY"));
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
