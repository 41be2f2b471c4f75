// The preview window on a 1600 x 1200 screen at twice the scale, which leaves 800 x 600
// logical pixels: less than the designed window's height.
#include "preview/form2.h"

#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestPreviewScreen : public QObject
{
    Q_OBJECT

private slots:
    void opensWithinTheScreen();
};

void TestPreviewScreen::opensWithinTheScreen()
{
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    QTemporaryDir folder;
    preview::Form2 form(
        preview::Form2Services{dialogs, end, folder.path(), {}, {}, nullptr, {}, {}, {}, {}});
    const QRect available = form.screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(800, 600));
    QCOMPARE(form.size(), QSize(656, 626)); // designed, until it is shown

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(available.contains(form.frameGeometry()));
    for (const char* name : {"PushButton1", "PushButton2", "PushButton8", "PushButton6"}) {
        auto* button = form.findChild<QWidget*>(QLatin1String(name));
        QVERIFY2(button, name);
        const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
        QVERIFY2(available.contains(onScreen), name);
        QVERIFY2(form.rect().contains(QRect(button->mapTo(&form, QPoint(0, 0)), button->size())),
                 name);
    }
    // Only the page area gave up room.
    QCOMPARE(form.width(), 656);
    QCOMPARE(form.findChild<QWidget*>(QStringLiteral("PushButton6"))->size(), QSize(320, 27));
    auto* page = form.findChild<QWidget*>(QStringLiteral("Picture2"));
    QCOMPARE(page->width(), 622);
    QCOMPARE(page->height(), 495 - (626 - form.height()));
    QVERIFY(dialogs.calls.isEmpty());
}

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "Scaled", "x": 0, "y": 0, "width": 1600,
                       "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestPreviewScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_previewscreen.moc"
