#include "app/errortrap.h"
#include "app/failure.h"
#include "app/locationlabels.h"
#include "support/scripteddialogs.h"

#include <QTest>

#include <stdexcept>

using testsupport::ScriptedDialogs;

class TestErrorTrap : public QObject
{
    Q_OBJECT

private slots:
    void messageLayout_data();
    void messageLayout();
    void iconFollowsLabel();
    void resumesAfterEachFailingStatement();
    void failingTestRunsTheBlock();
    void valueFallsBackAfterFailure();
    void describesEveryKindOfException();
};

void TestErrorTrap::messageLayout_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("expected");
    const QString tail = QStringLiteral("Please email screenshot of this message to ") +
                         QLatin1String(app::kSupportAddress);
    QTest::newRow("word failure") << QStringLiteral("The table could not be created.") << 156
                                  << QStringLiteral("The table could not be created.\r\nin "
                                                    "Chronoweave2021/08/31.Form1.PushButton6_Click "
                                                    "at line 156\r\r") +
                                         tail;
    QTest::newRow("empty description starts with the break")
        << QString() << 100
        << QStringLiteral("\r\nin Chronoweave2021/08/31.Form1.PushButton6_Click at line 100\r\r") +
               tail;
}

void TestErrorTrap::messageLayout()
{
    QFETCH(QString, description);
    QFETCH(int, statement);
    QFETCH(QString, expected);
    QCOMPARE(app::applicationErrorText(description,
                                       QLatin1String(app::labels::kForm1CreateTemplate), statement),
             expected);
    // The label's own trailing blank is the only blank before "at line ".
    QVERIFY(!expected.contains(QStringLiteral("  at line")));
}

void TestErrorTrap::iconFollowsLabel()
{
    QCOMPARE(app::errorBoxIcon(QLatin1String(app::labels::kForm1QueryUnload)),
             app::MessageIcon::None);
    for (const char* label : {app::labels::kForm2QueryUnload, app::labels::kForm1Load,
                              app::labels::kForm2RedrawImage, app::labels::kForm2MouseUp})
        QCOMPARE(app::errorBoxIcon(QLatin1String(label)), app::MessageIcon::Exclamation);
}

void TestErrorTrap::resumesAfterEachFailingStatement()
{
    ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm1Clear));
    QStringList ran;
    trap.step(100, [&] {
        ran << "100a";
        throw app::Failure(QStringLiteral("first"));
        ran << "100b";
    });
    trap.step(102, [&] { ran << "102"; });
    trap.step(104, [&] { throw std::runtime_error("second"); });
    QCOMPARE(ran, QStringList({"100a", "102"}));
    QCOMPARE(trap.failures(), 2);
    const auto boxes = dialogs.messages();
    QCOMPARE(boxes.size(), 2);
    QVERIFY(boxes[0].text.startsWith(QStringLiteral("first\r\n")));
    QVERIFY(boxes[0].text.contains(QStringLiteral("PushButton3_Click at line 100\r\r")));
    QVERIFY(boxes[1].text.startsWith(QStringLiteral("second\r\n")));
    QVERIFY(boxes[1].text.contains(QStringLiteral("at line 104\r\r")));
    for (const auto& box : boxes) {
        QCOMPARE(box.caption, QStringLiteral("Application Error"));
        QCOMPARE(box.buttons, app::MessageButtons::Ok);
        QCOMPARE(box.icon, app::MessageIcon::Exclamation);
    }
}

void TestErrorTrap::failingTestRunsTheBlock()
{
    ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm1Load));
    const bool taken =
        trap.test(138, []() -> bool { throw app::Failure(QStringLiteral("Type mismatch")); });
    QVERIFY(taken);
    QVERIFY(!trap.test(140, [] { return false; }));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages()[0].text.contains(QStringLiteral("Form_Load at line 138")));
}

void TestErrorTrap::valueFallsBackAfterFailure()
{
    ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm2MouseUp));
    QCOMPARE(
        trap.value(100, 0, []() -> int { throw app::Failure(QStringLiteral("Division by zero")); }),
        0);
    QCOMPARE(trap.value(102, 0, [] { return 37; }), 37);
    QCOMPARE(trap.failures(), 1);
}

void TestErrorTrap::describesEveryKindOfException()
{
    ScriptedDialogs dialogs;
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm1QueryUnload));
    trap.step(100, [] { throw 42; });
    trap.step(102, [] { throw std::bad_alloc(); });
    const auto boxes = dialogs.messages();
    QCOMPARE(boxes.size(), 2);
    QVERIFY(boxes[0].text.startsWith(QStringLiteral("Unexpected error\r\n")));
    QVERIFY(boxes[1].text.startsWith(QStringLiteral("Out of memory\r\n")));
    QCOMPARE(boxes[0].icon, app::MessageIcon::None);
}

QTEST_GUILESS_MAIN(TestErrorTrap)
#include "tst_errortrap.moc"
