#include "office/error.h"
#include "office/textlayout.h"

#include <QTest>

// A tool that reads documents without a GUI application must get a clear failure, not a
// crash, when something needs fonts.
class TestOfficeWithoutGui : public QObject
{
    Q_OBJECT

private slots:
    void layoutFailsClearly()
    {
        office::Paragraph paragraph;
        paragraph.runs.push_back(office::Run{QStringLiteral("John's Timeline"), {}});
        try {
            office::ParagraphLayout layout(paragraph, 286.65);
            QFAIL("laid out without fonts");
        } catch (const office::Error& error) {
            QVERIFY(error.description().contains(QStringLiteral("GUI application")));
        }
    }
};

QTEST_GUILESS_MAIN(TestOfficeWithoutGui)
#include "tst_officewithoutgui.moc"
