#include "app/clipboard.h"
#include "app/failure.h"
#include "docgen/embeddedword.h"
#include "office/docreader.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace docgen;

namespace {

class FakeClipboard : public app::Clipboard
{
public:
    void setPicture(const QImage& picture) override
    {
        this->picture = picture;
        ++sets;
    }
    bool requestPicture(int, QImage& out) override
    {
        out = picture;
        return !picture.isNull();
    }
    QImage picture;
    int sets = 0;
};

struct Entry
{
    QString date;
    QString notes;
};

// The builder's calls, in its order, through the automation interfaces.
void buildAndSave(WordApplication& word, const QString& title, const QList<Entry>& entries,
                  const QString& path)
{
    auto document = word.DocumentsAdd();
    auto page = document->PageSetup();
    page->setOrientation(word::kOrientationLandscape);
    const double pw = page->PageWidth();
    const double mid = (page->PageHeight() - page->TopMargin() - page->BottomMargin()) / 2;
    auto titleBox = document->AddTextbox(1, pw / 2 - 301.05 / 2, 0, 301.05, 45.2);
    titleBox->setLineVisible(0);
    titleBox->setWrapFormatType(word::kWrapSquare);
    titleBox->textRange()->setText(title);
    titleBox->textRange()->Select();
    auto selection = word.Selection();
    selection->Collapse();
    selection->EndKey(word::kUnitLine, word::kExtend);
    selection->MoveLeft(word::kUnitCharacter, 1, word::kExtend);
    selection->setFontName(QStringLiteral("Arial"));
    selection->setFontSize(28);
    selection->setParagraphAlignment(word::kAlignCenter);
    selection->setFontBold(true);
    auto bar = document->AddTextbox(1, pw / 2 - 324, mid, 648, 18);
    bar->setFillForeColorRGB(0xCCFFCC);
    bar->textRange()->Select();
    selection->Collapse();
    selection->setFontSize(10);
    auto table = document->AddTable(selection->Range(), 1, int(entries.size()), 1, 0);
    table->setBorderLineStyle(word::kBorderTop, word::kLineStyleNone);
    table->setBorderLineStyle(word::kBorderBottom, word::kLineStyleNone);
    const float w = table->columnPreferredWidth(1);
    for (const Entry& entry : entries) {
        selection->TypeText(entry.date);
        selection->MoveRight(word::kUnitCell);
    }
    const int n = int(entries.size());
    float x = 0;
    for (int i = 1; i <= n; ++i) {
        std::shared_ptr<WordShape> callout;
        if (i == 1) {
            const double l1 = pw / 2 - 324 + (pw / (n + 1)) / n;
            callout = document->AddShape(55, l1, mid + 18, 72, 81);
            x = float(l1);
        } else {
            callout = document->AddShape(i % 2 == 0 ? 56 : 55, float(x + w),
                                         i % 2 == 0 ? mid - 81 : mid + 18, 72, 81);
            x = float(x + w);
        }
        callout->Select();
        callout->textRange()->setText(entries[i - 1].notes);
        callout->textRange()->Select();
        selection->Collapse();
        selection->WholeStory();
        selection->setFontSize(10);
    }
    titleBox->Select();
    document->SaveAs(path);
    word.setDisplayAlerts(false);
    document->Close();
    word.Quit();
}

void snapshot(WordApplication& word, const QString& path)
{
    word.DocumentsOpen(path);
    word.ActiveDocument()->Range()->CopyAsPicture();
    word.ActiveDocument()->Close(word::kDoNotSaveChanges);
    word.Quit();
}

QList<Entry> entries(int count)
{
    QList<Entry> list;
    for (int i = 0; i < count; ++i) {
        list.append({QString::number(1990 + 5 * i), QStringLiteral("Event %1").arg(i + 1)});
    }
    return list;
}

QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const app::Failure& failure) {
        return failure.description();
    }
    return QString();
}

} // namespace

class TestEmbeddedWord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A new document's page follows the region; these cases expect A4.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("LC_ALL", "de_DE.UTF-8");
    }

    void buildsTheTimelineFile()
    {
        FakeClipboard clipboard;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("qarven12345678.doc"));
        buildAndSave(*createEmbeddedWord(clipboard), QStringLiteral("Project Timeline"), entries(3),
                     path);
        const office::Document saved = office::openDocument(path);
        QCOMPARE(saved.shapes().size(), size_t(5));
        QVERIFY(saved.page().landscape);
        const double mid = (saved.page().heightPt - 144) / 2;
        QVERIFY(std::abs(saved.shapes()[1].topPt - mid) < 1e-3);
        QCOMPARE(saved.shapes()[1].fill, std::optional<QRgb>(qRgb(204, 255, 204)));
        const auto& table = std::get<office::Table>(saved.shapes()[1].story.front());
        QCOMPARE(table.rows[0][2].paragraphs.front().text(), QStringLiteral("2000"));
        QCOMPARE(saved.shapes()[3].kind, office::ShapeKind::DownArrowCallout);
        QCOMPARE(std::get<office::Paragraph>(saved.shapes()[3].story.front()).text(),
                 QStringLiteral("Event 2"));
    }

    void copyAsPicture_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("one entry") << 1;
        QTest::newRow("three entries") << 3;
        QTest::newRow("eight entries") << 8;
    }
    void copyAsPicture()
    {
        QFETCH(int, count);
        FakeClipboard clipboard;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("page.doc"));
        buildAndSave(*createEmbeddedWord(clipboard), QStringLiteral("T"), entries(count), path);
        snapshot(*createEmbeddedWord(clipboard), path);
        QCOMPARE(clipboard.sets, 1);
        const QImage& picture = clipboard.picture;
        QCOMPARE(picture.devicePixelRatio(), 2.0);
        // The region: bar width plus 18 pt each side, from the page top (the title's
        // 18 pt margin is cut by the page) to 18 pt below the lower callouts.
        const office::Document saved = office::openDocument(path);
        const double mid = (saved.page().heightPt - 144) / 2;
        const double regionW = 648 + 36;
        const double regionH = mid + 18 + 81 + 18;
        const double scale = std::min(600 / regionW, 460 / regionH);
        const QSize logical(qRound(regionW * scale), qRound(regionH * scale));
        QCOMPARE(picture.size(), logical * 2);
        QVERIFY(logical.width() <= 600 && logical.height() <= 460);
        // The bar shows at its place in the picture: left end 18 pt in, at mid + 9.
        const double px = 2 * scale;
        const QRgb bar = picture.pixel(int(22 * px), int((mid + 9) * px)) & 0xFFFFFF;
        QCOMPARE(bar, QRgb(0xCCFFCC));
    }

    void memberHookSeesEveryCall()
    {
        FakeClipboard clipboard;
        QStringList members;
        EmbeddedWordOptions options;
        options.beforeMember = [&](const char* member) { members << QString::fromLatin1(member); };
        QTemporaryDir folder;
        buildAndSave(*createEmbeddedWord(clipboard, options), QStringLiteral("T"), entries(3),
                     folder.filePath(QStringLiteral("a.doc")));
        // 22 calls up to the title's formatting, 11 for the bar and its table, 2 per
        // date, 9 per callout, 5 to finish: 71 for three entries.
        QCOMPARE(members.count(QStringLiteral("Selection.TypeText")), 3);
        QCOMPARE(members.count(QStringLiteral("Selection.MoveRight")), 3);
        QCOMPARE(members.count(QStringLiteral("Document.Shapes.AddShape")), 3);
        QCOMPARE(members.count(QStringLiteral("Selection.EndKey")), 1);
        QCOMPARE(members.first(), QStringLiteral("Application.Documents.Add"));
        QCOMPARE(members.last(), QStringLiteral("Application.Quit"));
        QCOMPARE(members.size(), 71);
    }

    void hookFailureSurfacesFromThatMember_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QString>("member");
        QTest::newRow("first") << 1 << "Application.Documents.Add";
        QTest::newRow("page width") << 4 << "PageSetup.PageWidth";
        QTest::newRow("end key") << 17 << "Selection.EndKey";
        QTest::newRow("table") << 30 << "Document.Tables.Add";
        QTest::newRow("last") << 71 << "Application.Quit";
    }
    void hookFailureSurfacesFromThatMember()
    {
        QFETCH(int, failAt);
        FakeClipboard clipboard;
        int calls = 0;
        QString failedMember;
        EmbeddedWordOptions options;
        options.beforeMember = [&](const char* member) {
            if (++calls == failAt) {
                failedMember = QString::fromLatin1(member);
                throw std::runtime_error("injected failure");
            }
        };
        QTemporaryDir folder;
        const QString failure = failureOf([&] {
            buildAndSave(*createEmbeddedWord(clipboard, options), QStringLiteral("T"), entries(3),
                         folder.filePath(QStringLiteral("a.doc")));
        });
        QCOMPARE(failure, QStringLiteral("injected failure"));
        QCOMPARE(calls, failAt); // nothing ran after the failing member
        QVERIFY(!failedMember.isEmpty());
        QFETCH(QString, member);
        QCOMPARE(failedMember, member);
    }

    void closedAndQuitObjectsFail_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("shape of a closed document") << 0;
        QTest::newRow("table of a closed document") << 1;
        QTest::newRow("page set-up of a closed document") << 2;
        QTest::newRow("selection with no document") << 3;
        QTest::newRow("documents after quit") << 4;
        QTest::newRow("save a closed document") << 5;
        QTest::newRow("64 columns") << 6;
        QTest::newRow("open a missing file") << 7;
        QTest::newRow("range of another document") << 8;
    }
    void closedAndQuitObjectsFail()
    {
        QFETCH(int, which);
        FakeClipboard clipboard;
        auto word = createEmbeddedWord(clipboard);
        auto document = word->DocumentsAdd();
        auto shape = document->AddTextbox(1, 0, 0, 648, 18);
        shape->textRange()->Select();
        auto table = document->AddTable(word->Selection()->Range(), 1, 2, 1, 0);
        auto page = document->PageSetup();
        auto selection = word->Selection();
        QTemporaryDir folder;
        const QList<std::function<void()>> actions = {
            [&] {
                document->Close();
                shape->setLineVisible(0);
            },
            [&] {
                document->Close();
                table->columnPreferredWidth(1);
            },
            [&] {
                document->Close();
                page->PageWidth();
            },
            [&] {
                document->Close();
                selection->TypeText(QStringLiteral("x"));
            },
            [&] {
                word->Quit();
                word->DocumentsAdd();
            },
            [&] {
                document->Close();
                document->SaveAs(folder.filePath(QStringLiteral("x.doc")));
            },
            [&] {
                auto other = word->DocumentsAdd();
                other->AddTextbox(1, 0, 0, 648, 18)->textRange()->Select();
                other->AddTable(word->Selection()->Range(), 1, 64, 1, 0);
            },
            [&] { word->DocumentsOpen(folder.filePath(QStringLiteral("missing.doc"))); },
            [&] {
                auto range = word->Selection()->Range();
                word->DocumentsAdd()->AddTable(range, 1, 1, 1, 0);
            },
        };
        const QString failure = failureOf(actions[which]);
        QVERIFY2(!failure.isEmpty(), "the member did not fail");
        if (which == 6) {
            QVERIFY(failure.contains(QStringLiteral("63")));
        }
    }

    void activeDocumentIsLastOpen()
    {
        FakeClipboard clipboard;
        auto word = createEmbeddedWord(clipboard);
        auto first = word->DocumentsAdd();
        auto second = word->DocumentsAdd();
        second->AddTextbox(1, 0, 0, 100, 20);
        word->ActiveDocument()->AddTextbox(1, 0, 0, 100, 20);
        second->Close();
        // The first document is active again and has no shapes: the picture shows the
        // page's text area.
        word->ActiveDocument()->Range()->CopyAsPicture();
        const QSizeF area(595.3 - 144, 841.9 - 144);
        const double scale = std::min(600 / area.width(), 460 / area.height());
        QCOMPARE(clipboard.picture.size(),
                 QSize(qRound(area.width() * scale), qRound(area.height() * scale)) * 2);
    }

    void factoryRegistration()
    {
        FakeClipboard clipboard;
        AutomationFactory factory;
        registerEmbeddedWord(factory, clipboard);
        auto word = factory.createObject(QString::fromLatin1(kWordProgId));
        QVERIFY(word);
        QVERIFY(word->DocumentsAdd());
    }
};

QTEST_MAIN(TestEmbeddedWord)
#include "tst_embeddedword.moc"
