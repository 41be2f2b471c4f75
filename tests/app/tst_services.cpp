#include "app/appearance.h"
#include "app/apptitle.h"
#include "app/dialogs.h"
#include "app/fileutil.h"
#include "app/mousepointer.h"
#include "app/singleinstance.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class TestServices : public QObject
{
    Q_OBJECT

private slots:
    void applicationTitle_data();
    void applicationTitle();
    void emptyCaptionMeansApplicationTitle();
    void pipeFilter_data();
    void pipeFilter();
    void fileExistsAndRemove();
    void removeFileForcesReadOnlyFile();
    void temporaryFolderFollowsTemp();
    void pictureDensityRoundTrip();
    void skinOnlyWhenFilePresent();
    void formColorsKeepPictureBoxes();
    void handCursorFile();
    void hoverNeverReplacesHourglass();
    void aStudioThatDoesNotAnswerIsTakenOver();
};

void TestServices::applicationTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("product") << "Loomchart Page Studio"
                             << "Loomchart Page";
    QTest::newRow("two words") << "Loomchart Studio"
                               << "Loomchart";
    QTest::newRow("no blank") << "Loomchart"
                              << "Loomchart";
    QTest::newRow("long name cut until 40")
        << "Aaaaaaaaaa Bbbbbbbbbb Cccccccccc Dddddddddd Eeeeeeeeee Ffff"
        << "Aaaaaaaaaa Bbbbbbbbbb Cccccccccc";
}

void TestServices::applicationTitle()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(app::deriveApplicationTitle(name), title);
}

void TestServices::emptyCaptionMeansApplicationTitle()
{
    app::SetApplicationTitle();
    testsupport::ScriptedDialogs dialogs;
    dialogs.messageBox(QStringLiteral("Done."), app::MessageButtons::Ok, app::MessageIcon::None);
    dialogs.inputBox(QStringLiteral("Enter Notes: "), QStringLiteral("Input Notes"));
    QCOMPARE(dialogs.calls[0].caption, QStringLiteral("Loomchart Page"));
    QCOMPARE(dialogs.calls[1].caption, QStringLiteral("Input Notes"));
}

void TestServices::pipeFilter_data()
{
    QTest::addColumn<QString>("pipe");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one entry") << "Word Files (*.doc)|*.doc"
                               << "Word Files (*.doc)";
    QTest::newRow("two entries") << "Word Files (*.doc)|*.doc|All|*.*"
                                 << "Word Files (*.doc);;All (*.*)";
}

void TestServices::pipeFilter()
{
    QFETCH(QString, pipe);
    QFETCH(QString, qt);
    QCOMPARE(app::qtFilterFromPipeFilter(pipe), qt);
}

void TestServices::fileExistsAndRemove()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.doc"));
    QVERIFY(!app::FileExists(QString()));
    QVERIFY(!app::FileExists(path));
    QVERIFY(!app::FileExists(dir.filePath(QStringLiteral("missing/a.doc"))));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(app::FileExists(path));
    app::RemoveFile(path);
    QVERIFY(!app::FileExists(path));
    app::RemoveFile(path); // a missing file is no failure
    app::RemoveFile(QString());
}

void TestServices::removeFileForcesReadOnlyFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.doc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    app::RemoveFile(path);
    QVERIFY(!QFile::exists(path));
}

void TestServices::temporaryFolderFollowsTemp()
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("TEMP");
    qputenv("TEMP", dir.path().toUtf8() + "/");
    QCOMPARE(app::temporaryFolder(), dir.path());
    qunsetenv("TEMP");
    QVERIFY(!app::temporaryFolder().isEmpty());
    if (!saved.isNull())
        qputenv("TEMP", saved);
}

void TestServices::pictureDensityRoundTrip()
{
    QTemporaryDir dir;
    QImage page(1200, 600, QImage::Format_RGB32);
    page.fill(Qt::white);
    app::markPictureDensity(page, 2.0);
    const QString path = dir.filePath(QStringLiteral("temp.bmp"));
    QVERIFY(page.save(path, "BMP"));
    const QImage loaded = app::loadPictureFile(path);
    QCOMPARE(loaded.size(), QSize(1200, 600));
    QCOMPARE(loaded.devicePixelRatio(), 2.0);
    QVERIFY(app::loadPictureFile(dir.filePath(QStringLiteral("none.bmp"))).isNull());
}

void TestServices::skinOnlyWhenFilePresent()
{
    QTemporaryDir dir;
    QWidget window;
    auto* frame = new QGroupBox(&window);
    auto* option = new QRadioButton(frame);
    auto* text = new QLineEdit(&window);
    for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(frame),
                       static_cast<QWidget*>(option)})
        app::setBackColor(w, app::designedWhite());
    QVERIFY(!app::ApplySkin(&window, dir.path()));
    QCOMPARE(frame->palette().color(QPalette::Window), app::designedWhite());

    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x")));
    QFile skin(dir.filePath(QStringLiteral("x/o.cjs")));
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { font-weight: bold; }");
    skin.close();
    QVERIFY(app::ApplySkin(&window, dir.path()));
    QCOMPARE(window.palette().color(QPalette::Window), app::buttonFaceColor());
    QCOMPARE(option->palette().color(QPalette::Window), app::buttonFaceColor());
    QCOMPARE(frame->palette().color(QPalette::Window), app::buttonFaceColor());
    QVERIFY(!text->autoFillBackground());
    QVERIFY(window.styleSheet().contains(QStringLiteral("QPushButton")));
}

void TestServices::formColorsKeepPictureBoxes()
{
    QWidget window;
    auto* label = new QLabel(&window);
    auto* picture = new QWidget(&window);
    app::markAsPictureBox(picture);
    app::setBackColor(picture, app::designedWhite());
    app::ApplyFormColors(&window);
    QCOMPARE(label->palette().color(QPalette::Window), app::buttonFaceColor());
    QCOMPARE(picture->palette().color(QPalette::Window), app::designedWhite());
}

void TestServices::handCursorFile()
{
    const QString shipped = QStringLiteral(LOOM_HAND_CURSOR);
    const auto cursor = app::loadCursorFile(shipped);
    QVERIFY(cursor.has_value());
    QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
    QCOMPARE(cursor->hotSpot(), QPoint(11, 1));
    QVERIFY(!app::loadCursorFile(QStringLiteral("/nonexistent/HAND-M.CUR")).has_value());
}

void TestServices::hoverNeverReplacesHourglass()
{
    using app::MousePointer;
    QCOMPARE(app::hoverPointer(MousePointer::Hourglass, true), MousePointer::Hourglass);
    QCOMPARE(app::hoverPointer(MousePointer::Hourglass, false), MousePointer::Hourglass);
    QCOMPARE(app::hoverPointer(MousePointer::Default, true), MousePointer::Custom);
    QCOMPARE(app::hoverPointer(MousePointer::Custom, false), MousePointer::Default);
}

void TestServices::aStudioThatDoesNotAnswerIsTakenOver()
{
    QTemporaryDir folder;
    app::SingleInstance first(folder.path());
    QCOMPARE(first.claim(), app::SingleInstance::Claim::First);
    QVERIFY(first.holds());
    // Nothing runs the first one's events while the second waits: it hangs, as it were.
    app::SingleInstance second(folder.path());
    QCOMPARE(second.claim(200), app::SingleInstance::Claim::TakenOver);
    QVERIFY(second.holds());
    QVERIFY(!first.holds());
}

QTEST_MAIN(TestServices)
#include "tst_services.moc"
