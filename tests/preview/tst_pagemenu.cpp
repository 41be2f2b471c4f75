#include "preview/form2.h"
#include "preview/picturebox.h"

#include "app/apptitle.h"
#include "app/failure.h"
#include "office/docwriter.h"
#include "office/timelinepage.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using preview::Form2;
using Kind = testsupport::ScriptedDialogs::Kind;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct Harness
{
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    testsupport::MemoryClipboard clipboard;
    QTemporaryDir dir;
    QString title; // the timeline's, as the main window has it
    std::unique_ptr<Form2> form;

    // With `saveSlide` the menu offers the slide too.
    explicit Harness(std::function<void(const QString&)> saveSlide = {})
    {
        form = std::make_unique<Form2>(preview::Form2Services{dialogs,
                                                              end,
                                                              dir.path(),
                                                              {},
                                                              {},
                                                              &clipboard,
                                                              {},
                                                              {},
                                                              [this] { return title; },
                                                              std::move(saveSlide)});
        // The generated document of a Letter landscape page.
        const QString wordFile = dir.filePath(QStringLiteral("qarven12345678.doc"));
        office::saveDocument(officetest::buildTimeline(QStringLiteral("Project Timeline"),
                                                       officetest::threeEntries(),
                                                       officetest::letterPage()),
                             wordFile);
        form->setWordFile(wordFile);
    }

    preview::PictureBox* page() const
    {
        return form->findChild<preview::PictureBox*>(QStringLiteral("Picture1"));
    }
    // A picture of this size as the page: the document is set aside while the page is
    // prepared, or the sheet drawn from it would be the page.
    void deliver(QSize pixels)
    {
        const QString wordFile = form->wordFile();
        form->setWordFile(QString());
        QImage picture(pixels, QImage::Format_RGB32);
        picture.fill(Qt::white);
        form->setPicture1(picture);
        form->Form_Activate();
        form->setWordFile(wordFile);
    }
    QStringList files(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace

class TestPageMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { app::SetApplicationTitle(); }

    // A right click opens the menu once the release handler has run; a right drag drags.
    void rightClickOpensMenuAfterRelease()
    {
        Harness h;
        h.form->show();
        // 10513 twips wide: bar step 10, maximum 118. A left drag leaves the page at -550;
        // a release that does not move it sets the bar to 54 and the page to -540.
        h.deliver(QSize(701, 300));
        QWidget* page = h.page();
        QTest::mousePress(page, Qt::LeftButton, {}, QPoint(300, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(263, 100), page->mapToGlobal(QPointF(263, 100)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &move);
        QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(263, 100));
        QCOMPARE(h.form->viewport().picture1().left, -550.0f);
        QVERIFY(!h.form->pageMenu()->isVisible());

        float leftWhenShown = 0;
        connect(h.form->pageMenu(), &QMenu::aboutToShow,
                [&] { leftWhenShown = h.form->viewport().picture1().left; });
        QTest::mousePress(page, Qt::RightButton, {}, QPoint(200, 100));
        QTest::mouseRelease(page, Qt::RightButton, {}, QPoint(201, 101));
        QVERIFY(h.form->pageMenu()->isVisible());
        QCOMPARE(leftWhenShown, -540.0f);
        QVERIFY(h.dialogs.calls.isEmpty());

        QStringList entries;
        for (const QAction* action : h.form->pageMenu()->actions())
            if (!action->isSeparator())
                entries << action->text() + u'|' + action->shortcut().toString();
        QCOMPARE(entries, (QStringList{u"Copy Page|Ctrl+C"_qs, u"Save Page as PDF\u2026|"_qs,
                                       u"Save Page as PNG\u2026|"_qs, u"Save Page as SVG\u2026|"_qs,
                                       u"Print\u2026|Ctrl+P"_qs}));
    }

    void rightDragDragsWithoutMenu()
    {
        Harness h;
        h.form->show();
        h.deliver(QSize(800, 300));
        QWidget* page = h.page();
        QTest::mousePress(page, Qt::RightButton, {}, QPoint(300, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(250, 100), page->mapToGlobal(QPointF(250, 100)),
                         Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(page, &move);
        QTest::mouseRelease(page, Qt::RightButton, {}, QPoint(300, 100));
        QCOMPARE(page->x(), -50);
        QVERIFY(!h.form->pageMenu()->isVisible());

        // On the window beside the page the platform's request opens it.
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(h.form->findChild<QPushButton*>(QStringLiteral("PushButton8")),
                                &request);
        QVERIFY(h.form->pageMenu()->isVisible());
    }

    void savePage_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("pdf, extension added") << "mnuSavePagePdf"
                                              << "page"
                                              << "page.pdf"
                                              << "PDF Files (*.pdf)" << QByteArray("%PDF");
        QTest::newRow("png, extension kept in its case")
            << "mnuSavePagePng"
            << "page.PNG"
            << "page.PNG"
            << "PNG Images (*.png)" << QByteArray("\x89PNG");
        QTest::newRow("svg, other extension kept") << "mnuSavePageSvg"
                                                   << "page.v2"
                                                   << "page.v2.svg"
                                                   << "SVG Images (*.svg)" << QByteArray("<?xml");
        QTest::newRow("slide, extension added")
            << "mnuSavePageSlide"
            << "page"
            << "page.pptx"
            << "PowerPoint Presentations (*.pptx)" << QByteArray("PK\x03\x04");
    }

    void savePage()
    {
        QFETCH(QString, action);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, filter);
        QFETCH(QByteArray, magic);
        // The slide's maker is the editor's; here it writes the package's first bytes.
        Harness h(action == u"mnuSavePageSlide" ? [](const QString& path) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write("PK\x03\x04 slide") < 0)
                throw app::Failure(file.errorString());
        } : std::function<void(const QString&)>());
        QTemporaryDir out;
        h.dialogs.saveAnswers << out.filePath(typed);
        h.form->findChild<QAction*>(action)->trigger();
        QCOMPARE(h.dialogs.calls.first().extra, filter);
        QCOMPARE(h.files(out.path()), QStringList{written});
        QVERIFY(readAll(out.filePath(written)).startsWith(magic));
        QCOMPARE(h.dialogs.messageTexts(), QStringList{u"Done."_qs});

        // Again: the question names the file; No keeps it, Yes replaces it.
        QFile::resize(out.filePath(written), 3);
        h.dialogs.calls.clear();
        h.dialogs.saveAnswers << out.filePath(typed) << out.filePath(typed);
        h.dialogs.messageAnswers << app::MessageAnswer::No << app::MessageAnswer::Yes;
        h.form->findChild<QAction*>(action)->trigger();
        QCOMPARE(readAll(out.filePath(written)).size(), 3);
        h.form->findChild<QAction*>(action)->trigger();
        QVERIFY(readAll(out.filePath(written)).startsWith(magic));
        const QString question =
            u"Are you sure you wish to overwrite "_qs + out.filePath(written) + u" ?"_qs;
        QCOMPARE(h.dialogs.messageTexts(), (QStringList{question, question, u"Done."_qs}));
        QCOMPARE(h.files(out.path()), QStringList{written});
    }

    // Every save of the window: the name comes from the title, the dialog opens where the
    // last save went (Documents at first), and the file goes where the confirmation says.
    void saveDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("type"); // the file type chosen in the dialog
        QTest::addColumn<QString>("suggested");
        QTest::addColumn<QString>("written");
        QTest::newRow("word, bare name gets .docx")
            << "PushButton6"
            << "Riverside Library: Renovation?"
            << "results" << 0 << "Riverside Library Renovation.docx"
            << "results.docx";
        QTest::newRow("word, the original type gives .doc")
            << "PushButton6"
            << "History\tof the\nLibrary"
            << "results" << 1 << "History of the Library.docx"
            << "results.doc";
        QTest::newRow("pdf, a title of signs only suggests no name") << "mnuSavePagePdf"
                                                                     << " <?> "
                                                                     << "page" << 0 << ""
                                                                     << "page.pdf";
        QTest::newRow("png, dots at the ends go, a device name is kept out")
            << "mnuSavePagePng"
            << " .con. "
            << "page" << 0 << "con_.png"
            << "page.png";
        QTest::newRow("pdf, a long title is cut")
            << "mnuSavePagePdf" << QString(200, u'x') << "page" << 0
            << QString(120, u'x') + u".pdf"_qs << "page.pdf";
        QTest::newRow("svg, a folder sign in the title") << "mnuSavePageSvg"
                                                         << "Plan/2026"
                                                         << "plan.SVG" << 0 << "Plan 2026.svg"
                                                         << "plan.SVG";
    }

    void saveDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, title);
        QFETCH(QString, typed);
        QFETCH(int, type);
        QFETCH(QString, suggested);
        QFETCH(QString, written);
        Harness h;
        h.title = title;
        QTemporaryDir out;
        const auto save = [&] {
            if (action.startsWith(u"PushButton"))
                h.form->findChild<QPushButton*>(action)->click();
            else
                h.form->findChild<QAction*>(action)->trigger();
        };
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const auto startPath = [&](const QString& folder) {
            return suggested.isEmpty() ? folder : QDir(folder).filePath(suggested);
        };
        h.dialogs.saveAnswers << out.filePath(typed);
        h.dialogs.saveFilterAnswers << type;
        save();
        QCOMPARE(h.dialogs.calls.first().startPath, startPath(documents));
        QCOMPARE(h.files(out.path()), QStringList{written});
        const QList<testsupport::ScriptedDialogs::Call> boxes = h.dialogs.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, u"Done."_qs);
        QCOMPARE(boxes.first().detail,
                 u"Saved to "_qs + QDir::toNativeSeparators(out.filePath(written)));

        // The next save opens in that folder; a name typed alone goes there too.
        h.dialogs.calls.clear();
        h.dialogs.saveAnswers << u"again"_qs;
        save();
        QCOMPARE(h.dialogs.calls.first().startPath, startPath(out.path()));
        QCOMPARE(h.files(out.path()).size(), 2);
    }

    // The desktop's own dialog shows the folder, the name and the types it is given, and
    // the type chosen there gives the extension.
    void realSaveDialog()
    {
        QTemporaryDir out;
        app::QtDialogs dialogs;
        dialogs.setSaveFolder(out.path());
        const QStringList types{u"Word Document (*.docx)"_qs, u"Word Files (*.doc)"_qs};
        QString shownFolder;
        QString shownName;
        QStringList shownTypes;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs);
            shownFolder = dialog->directory().absolutePath();
            shownName = name ? name->text() : QString();
            shownTypes = dialog->nameFilters();
            dialog->selectNameFilter(types.at(1));
            if (name)
                name->setText(u"results"_qs);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start(20);
        const QString chosen =
            dialogs.saveFileName(app::SaveDialog{u"Save File"_qs, types, u"History"_qs, {}});
        QCOMPARE(shownFolder, QDir(out.path()).absolutePath());
        QCOMPARE(shownName, u"History.docx"_qs);
        QCOMPARE(shownTypes, types);
        QCOMPARE(chosen, QDir(out.path()).absoluteFilePath(u"results.doc"_qs));
    }

    void failureReachesTheErrorBoxAndWritesNothing()
    {
        Harness h;
        QTemporaryDir out;
        QFile::remove(h.form->wordFile());
        h.dialogs.saveAnswers << out.filePath(u"page.pdf"_qs);
        h.form->mnuSavePagePdf_Click();
        h.form->mnuCopyPage_Click();
        const QStringList texts = h.dialogs.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].contains(
            QLatin1String("in Chronoweave2021/08/31.Form2.mnuSavePagePdf_Click at line 110")));
        QVERIFY(texts[1].contains(
            QLatin1String("in Chronoweave2021/08/31.Form2.mnuCopyPage_Click at line 100")));
        QVERIFY(h.files(out.path()).isEmpty());
        QVERIFY(h.clipboard.picture.isNull());
    }

    void shortcutsCopyAndPrint()
    {
        Harness h;
        h.form->show();
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        QTest::keyClick(h.form.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(h.clipboard.picture.size(), QSize(3300, 2550));
        QVERIFY(h.clipboard.svg.contains("<svg"));

        // Cancelled, then printed to the file the scripted dialog picks.
        const QString printed = h.dir.filePath(u"printed.pdf"_qs);
        h.dialogs.printAnswers << QString() << printed;
        QTest::keyClick(h.form.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!QFile::exists(printed));
        QTest::keyClick(h.form.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(h.dialogs.count(Kind::Print), 2);
        QVERIFY(h.dialogs.messages().isEmpty());
        const QByteArray pdf = readAll(printed);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.contains("/MediaBox [0 0 792.000000 612.000000]"));
    }
};

QTEST_MAIN(TestPageMenu)
#include "tst_pagemenu.moc"
