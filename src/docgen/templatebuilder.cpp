#include "templatebuilder.h"

#include "embeddedword.h"
#include "pagesnapshot.h"
#include "pagetext.h"
#include "pagetheme.h"
#include "wordautomation.h"

#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <memory>
#include <optional>

namespace docgen {
namespace {
constexpr int kNameDigits = 8;
constexpr int kClaimAttempts = 10000;

PageMetrics readMetrics(WordPageSetup& setup)
{
    return PageMetrics{setup.PageWidth(), setup.PageHeight(), setup.TopMargin(),
                       setup.BottomMargin()};
}

QString tooManyEntriesMessage()
{
    return QStringLiteral("A timeline page holds at most %1 entries; this list has more.\r\n"
                          "Please delete some entries and try again.")
        .arg(kMaxPageEntries);
}
// The handles and figures of one page being built.
struct PageRun
{
    std::shared_ptr<WordApplication> word;
    std::shared_ptr<WordDocument> document;
    std::shared_ptr<WordPageSetup> pageSetup;
    std::shared_ptr<WordShape> titleBox;
    std::shared_ptr<WordShape> bar;
    std::shared_ptr<WordShape> callout;
    std::shared_ptr<WordTable> table;
    std::optional<PageMetrics> metrics;
    std::optional<PagePlan> plan;
    QList<TimelineEntry> entries;
    QList<PageElement> callouts;
    int columns = 1;
    float columnWidthPt = 0;

    void releaseShapes()
    {
        titleBox.reset();
        bar.reset();
        callout.reset();
        table.reset();
    }
};

// The insets a plan element gives a new shape, where it names them.
void setInsets(WordShape& shape, const PageElement& element)
{
    if (const std::optional<QSizeF> insets = element.insetPt)
        shape.setTextFrameMargins(float(insets->width()), float(insets->height()),
                                  float(insets->width()), float(insets->height()));
}

// The fill and outline colours a plan element gives a shape, where it names them.
void setColours(WordShape& shape, const ElementStyle& style)
{
    if (style.fill)
        shape.setFillForeColorRGB(word::colourValue(*style.fill));
    if (style.lineColour)
        shape.setLineForeColorRGB(word::colourValue(*style.lineColour));
    if (style.lineWidthPt)
        shape.setLineWeight(float(*style.lineWidthPt));
}

// The font and alignment a plan element gives the selected text, as far as it names them.
void dressText(WordSelection& selection, const ElementStyle& style)
{
    if (!style.fontName.isEmpty())
        selection.setFontName(style.fontName);
    selection.setFontSize(float(style.fontSizePt));
    if (style.textColour)
        selection.setFontColor(word::colourValue(*style.textColour));
    if (style.bold)
        selection.setFontBold(true);
    if (style.alignment)
        selection.setParagraphAlignment(word::alignmentValue(*style.alignment));
}

// Statements 110 to 202: the page, its title, bars, date tables and callouts, built in
// `run.document` of `run.word` from the plan; nothing here decides how the page looks.
void buildPage(app::Trap& trap, TemplateHost& host, const PageOptions& options, PageRun& run)
{
    // Plain references rather than a structured binding, which some compilers the fuzzers
    // use cannot capture in a lambda.
    std::shared_ptr<WordApplication>& word = run.word;
    std::shared_ptr<WordDocument>& document = run.document;
    std::shared_ptr<WordPageSetup>& pageSetup = run.pageSetup;
    std::shared_ptr<WordShape>& titleBox = run.titleBox;
    std::shared_ptr<WordShape>& bar = run.bar;
    std::shared_ptr<WordShape>& callout = run.callout;
    std::shared_ptr<WordTable>& table = run.table;
    std::optional<PageMetrics>& metrics = run.metrics;
    std::optional<PagePlan>& plan = run.plan;
    QList<TimelineEntry>& entries = run.entries;
    QList<PageElement>& callouts = run.callouts;
    int& columns = run.columns;
    float& columnWidthPt = run.columnWidthPt;
    const bool classic = options.layout == LayoutStyle::Classic;
    const PageTheme* const found = PageTheme::find(options.theme);
    const PageTheme& theme = found ? *found : PageTheme::original();

    for (int row = 1; row <= host.entryCount(); ++row)
        entries << host.entry(row);
    const auto pagePlan = [&]() -> const PagePlan& {
        if (!plan) {
            if (!metrics)
                metrics = readMetrics(live(pageSetup));
            plan = PageFit::plan(host.titleText(), entries, *metrics, options.layout,
                                 options.timeAxis, theme, options.spans);
        }
        return *plan;
    };
    // The classic callouts step by the width the table reports; the fitted ones stand
    // where the plan puts them.
    const auto calloutLayout = [&]() -> const QList<PageElement>& {
        if (!classic)
            return pagePlan().callouts;
        if (callouts.isEmpty()) {
            if (!metrics)
                metrics = readMetrics(live(pageSetup));
            callouts = LayoutCallouts(entries, *metrics, columnWidthPt);
            for (PageElement& element : callouts)
                theme.dress(element);
        }
        return callouts;
    };
    const auto titleElement = [&]() -> const PageElement& { return pagePlan().frame.at(0); };

    trap.step(110, [&] { document = live(word).DocumentsAdd(); });
    trap.step(112, [&] { pageSetup = live(document).PageSetup(); });
    trap.step(114, [&] {
        if (options.paperCode != 0)
            live(pageSetup).setPaperSize(options.paperCode);
        live(pageSetup).setOrientation(word::kOrientationLandscape);
    });

    // The title box.
    trap.step(116, [&] {
        const PageElement& box = titleElement();
        titleBox = live(document).AddTextbox(word::kTextOrientationHorizontal, box.leftPt,
                                             box.topPt, box.widthPt, box.heightPt);
        setInsets(live(titleBox), box);
    });
    trap.step(118, [&] {
        if (const std::optional<bool> visible = titleElement().style.lineVisible)
            live(titleBox).setLineVisible(*visible ? 1 : 0);
    });
    trap.step(120, [&] {
        if (const std::optional<int> wrap = titleElement().style.wrapType)
            live(titleBox).setWrapFormatType(*wrap);
    });
    trap.step(122, [&] { live(live(titleBox).textRange()).setText(titleElement().text); });
    trap.step(124, [&] { live(live(titleBox).textRange()).Select(); });
    trap.step(126, [&] { live(live(word).Selection()).Collapse(); });
    trap.step(128, [&] { live(live(word).Selection()).EndKey(word::kUnitLine, word::kExtend); });
    trap.step(130, [&] {
        live(live(word).Selection()).MoveLeft(word::kUnitCharacter, 1, word::kExtend);
    });
    trap.step(132,
              [&] { live(live(word).Selection()).setFontName(titleElement().style.fontName); });
    trap.step(134, [&] {
        live(live(word).Selection()).setFontSize(float(titleElement().style.fontSizePt));
    });
    trap.step(136, [&] {
        const PageElement& box = titleElement();
        live(live(word).Selection())
            .setParagraphAlignment(
                word::alignmentValue(box.style.alignment.value_or(TextAlignment::Left)));
        if (box.lineSpacingPt > 0)
            live(live(word).Selection()).setLineSpacingAtLeast(float(box.lineSpacingPt));
    });
    trap.step(138, [&] {
        const ElementStyle& style = titleElement().style;
        live(live(word).Selection()).setFontBold(style.bold);
        if (style.textColour)
            live(live(word).Selection()).setFontColor(word::colourValue(*style.textColour));
    });

    // The bar and its date table; a page too dense for one bar gets more, each built
    // the same way with the dates it holds.
    // Without a page set-up there is no plan, which statement 116 has reported; the
    // bar then holds every date, as the classic page does.
    const PagePlan* const fitted = [&]() -> const PagePlan* {
        try {
            return &pagePlan();
        } catch (...) {
            return nullptr;
        }
    }();
    const int barCount = fitted ? std::max(1, int(fitted->bars().size())) : 1;
    for (int b = 0; b < barCount; ++b) {
        const auto barElement = [&]() -> const PageElement& {
            return pagePlan().frame.at(1 + 2 * b);
        };
        const auto tableElement = [&]() -> const PageElement& {
            return pagePlan().frame.at(2 + 2 * b);
        };
        trap.step(140, [&] {
            const PageElement& element = barElement();
            bar = live(document).AddTextbox(word::kTextOrientationHorizontal, element.leftPt,
                                            element.topPt, element.widthPt, element.heightPt);
            setInsets(live(bar), element);
        });
        trap.step(142, [&] { setColours(live(bar), barElement().style); });
        trap.step(144, [&] { live(live(bar).textRange()).Select(); });
        trap.step(146, [&] { live(live(word).Selection()).Collapse(); });
        trap.step(148, [&] {
            // What the dates are typed in, and how they stand in their cells.
            dressText(live(live(word).Selection()), tableElement().style);
        });
        int barEntries = 0;
        if (trap.test(150, [&] {
                barEntries = fitted ? barElement().entryCount : host.entryCount();
                return barEntries > 0;
            }))
            trap.step(152, [&] { columns = barEntries; });
        else
            trap.step(154, [&] { columns = 1; });
        trap.step(156, [&] {
            // Held by value: a reference into the temporary handle would dangle.
            const std::shared_ptr<WordSelection> selection = live(word).Selection();
            const PageElement& dates = tableElement();
            table = live(document).AddTable(
                live(selection).Range(), 1, columns, word::kTableBehaviorDefault,
                dates.style.fixedColumnWidths ? word::kAutoFitFixed : word::kAutoFitContent);
            for (int column = 1; column <= int(dates.columnWidthsPt.size()); ++column)
                live(table).setColumnWidth(column, float(dates.columnWidthsPt.at(column - 1)));
            if (dates.textUpward) {
                live(table).setTextOrientation(word::kTextOrientationUpward);
                live(table).setRowHeight(float(dates.rowHeightPt));
            }
        });
        const auto outerBorder = [&] {
            return tableElement().style.removeTopAndBottomBorders ? word::kLineStyleNone
                                                                  : word::kLineStyleSingle;
        };
        trap.step(158, [&] { live(table).setBorderLineStyle(word::kBorderTop, outerBorder()); });
        trap.step(160, [&] { live(table).setBorderLineStyle(word::kBorderBottom, outerBorder()); });
        trap.step(162, [&] { columnWidthPt = live(table).columnPreferredWidth(1); });
        const int firstEntry = fitted ? barElement().firstEntry : 0;
        const int dateCount = trap.value(164, 0, [&] { return barEntries; });
        for (int i = firstEntry + 1; i <= firstEntry + dateCount; ++i) {
            trap.step(166, [&] {
                live(live(word).Selection()).TypeText(tableElement().cells.at(i - 1 - firstEntry));
            });
            trap.step(168, [&] { live(live(word).Selection()).MoveRight(word::kUnitCell); });
        }
    }

    // The marks of the fitted page: a span's band, a milestone's diamond, a legend key
    // with its category's name.
    const QList<PageElement> noMarks;
    const QList<PageElement>& marks = fitted ? fitted->marks : noMarks;
    const auto addMark = [&](const PageElement& mark) {
        const bool key = mark.kind == ElementKind::LegendKey;
        const std::shared_ptr<WordShape> shape =
            key ? live(document).AddTextbox(word::kTextOrientationHorizontal, mark.leftPt,
                                            mark.topPt, mark.widthPt, mark.heightPt)
                : live(document).AddShape(mark.shapeType, mark.leftPt, mark.topPt, mark.widthPt,
                                          mark.heightPt);
        setInsets(live(shape), mark);
        setColours(live(shape), mark.style);
        if (key) {
            live(live(shape).textRange()).setText(mark.text);
            live(live(shape).textRange()).Select();
            dressText(live(live(word).Selection()), mark.style);
        }
    };
    // The bands first, so the arrows that cross them stand over them.
    for (const PageElement& mark : marks) {
        if (mark.kind == ElementKind::SpanBand)
            trap.step(170, [&] { addMark(mark); });
    }

    // The callouts, alternately below and above the bar; x is the running left edge,
    // kept in single precision.
    float x = 0;
    const int calloutCount = trap.value(172, 0, [&] { return host.entryCount(); });
    for (int i = 1; i <= calloutCount; ++i) {
        // The first callout stands where the layout puts it; each later classic one at
        // x + W.
        const auto addCallout = [&](bool besideX) {
            const PageElement& element = calloutLayout().at(i - 1);
            const double leftPt =
                besideX && classic ? double(float(double(x) + columnWidthPt)) : element.leftPt;
            callout = live(document).AddShape(element.shapeType, leftPt, element.topPt,
                                              element.widthPt, element.heightPt);
            if (element.adjust) {
                for (int item = 1; item <= int(element.adjust->size()); ++item)
                    live(callout).setAdjustment(
                        item, float(element.adjust->at(size_t(item - 1)) / 100000.0));
            }
            setInsets(live(callout), element);
            setColours(live(callout), element.style);
        };
        // A failed AddShape must not leave the previous callout to receive this note.
        callout.reset();
        if (trap.test(174, [&] { return i == 1; })) {
            trap.step(176, [&] { addCallout(false); });
            trap.step(178, [&] {
                PageMetrics page;
                page.pageWidthPt = live(pageSetup).PageWidth();
                x = float(firstCalloutLeftPt(page, calloutCount));
            });
        } else {
            if (trap.test(180, [&] { return i % 2 == 0; }))
                trap.step(182, [&] { addCallout(true); });
            else
                trap.step(184, [&] { addCallout(true); });
            trap.step(186, [&] { x = float(double(x) + columnWidthPt); });
        }
        trap.step(188, [&] { live(callout).Select(); });
        trap.step(190,
                  [&] { live(live(callout).textRange()).setText(calloutLayout().at(i - 1).text); });
        trap.step(192, [&] { live(live(callout).textRange()).Select(); });
        trap.step(194, [&] { live(live(word).Selection()).Collapse(); });
        trap.step(196, [&] { live(live(word).Selection()).WholeStory(); });
        trap.step(
            198, [&] { dressText(live(live(word).Selection()), calloutLayout().at(i - 1).style); });
    }
    for (const PageElement& mark : marks) {
        if (mark.kind != ElementKind::SpanBand)
            trap.step(200, [&] { addMark(mark); });
    }
    pageSetup.reset();
    trap.step(202, [&] { live(titleBox).Select(); });
}
} // namespace

TemplateBuilder::TemplateBuilder(app::Dialogs& dialogs, const AutomationFactory& factory,
                                 app::Clipboard& clipboard, DigitSource digits)
    : mDialogs(dialogs), mFactory(factory), mClipboard(clipboard), mDigits(std::move(digits))
{
    if (!mDigits)
        mDigits = [] { return static_cast<int>(QRandomGenerator::system()->bounded(1, 10)); };
}

QString TemplateBuilder::claimDocumentPath(const QString& folder)
{
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        QString name = QStringLiteral("qarven");
        for (int k = 1; k <= kNameDigits; ++k) {
            const int digit = mDigits();
            if (digit < 1 || digit > 9)
                throw app::Failure(QStringLiteral("Invalid procedure call or argument"));
            name += QChar(u'0' + digit);
        }
        const QString path = app::inFolder(folder, name + QStringLiteral(".doc"));
        // An exclusive create fails on any existing entry, a link included, so nobody
        // can plant the file or point it elsewhere before we write it.
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            throw app::Failure(QStringLiteral("Cannot create a document in %1: %2")
                                   .arg(QDir::toNativeSeparators(folder), file.errorString()));
    }
    throw app::Failure(
        QStringLiteral("No free document name in %1").arg(QDir::toNativeSeparators(folder)));
}

BuildResult TemplateBuilder::PushButton6_Click(TemplateHost& host)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1CreateTemplate));
    BuildResult result;

    if (trap.test(100, [&] { return mBusy; }))
        return result;
    trap.step(102, [&] { mBusy = true; });

    const bool hasEntries = trap.test(104, [&] { return host.entryCount() >= 1; });
    const bool tooMany = hasEntries && host.entryCount() > kMaxPageEntries;
    std::optional<QString> tooMuchText;
    if (hasEntries && !tooMany) {
        QList<TimelineEntry> entries;
        for (int row = 1; row <= host.entryCount(); ++row)
            entries << host.entry(row);
        tooMuchText = tooMuchPageText(host.titleText(), entries);
    }
    if (tooMany) {
        mDialogs.messageBox(tooManyEntriesMessage(), app::MessageButtons::Ok,
                            app::MessageIcon::Exclamation);
    } else if (tooMuchText) {
        // The document could be written but not read back: refused before anything is made.
        mDialogs.messageBox(tooMuchText->left(1).toUpper() + tooMuchText->mid(1) +
                                QStringLiteral(".\r\nPlease shorten some entries and try again."),
                            app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    } else if (hasEntries) {
        PageRun run;
        QString documentPath;
        bool saved = false;
        std::shared_ptr<const office::Document> sheet;
        BitmapHandOff bitmap(mWorkFolder);

        trap.step(106, [&] { host.setMousePointer(app::MousePointer::Hourglass); });
        trap.step(108, [&] { run.word = mFactory.createObject(QLatin1String(kWordProgId)); });
        buildPage(trap, host, mOptions, run);
        std::shared_ptr<WordApplication>& word = run.word;
        std::shared_ptr<WordDocument>& document = run.document;
        std::optional<PagePlan>& plan = run.plan;

        // A fresh name, claimed before anything is written to it.
        trap.step(216, [&] {
            documentPath =
                claimDocumentPath(mWorkFolder.isEmpty() ? app::temporaryFolder() : mWorkFolder);
        });
        // The document carries the timeline it shows, so that it can be opened again.
        if (!mOptions.data.isEmpty())
            trap.step(218, [&] { live(document).CustomXMLPartsAdd(mOptions.data); });
        trap.step(220, [&] {
            if (documentPath.isEmpty())
                throw app::Failure(QStringLiteral("Bad file name or number"));
            live(document).SaveAs(documentPath);
            saved = true;
            sheet = embeddedModel(live(document));
        });
        trap.step(222, [&] { live(word).setDisplayAlerts(false); });
        trap.step(224, [&] { live(document).Close(); });
        trap.step(226, [&] { live(word).Quit(); });
        trap.step(228, [&] { document.reset(); });
        trap.step(230, [&] { word.reset(); });
        run.releaseShapes();

        // A claimed name whose save failed holds nothing; it must not pass for a document.
        if (!saved && !documentPath.isEmpty())
            app::RemoveFile(documentPath);
        if (trap.test(232, [&] { return saved && app::FileExists(documentPath); })) {
            trap.step(234, [&] {
                result.failures +=
                    PageSnapshot(mDialogs, mFactory, mClipboard, bitmap).SaveDocAsJPG(documentPath);
            });
        }
        trap.step(236, [&] { host.setMousePointer(app::MousePointer::Default); });

        bool handedOver = false;
        // Only the picture this run's snapshot wrote is this timeline's page.
        if (trap.test(238, [&] { return bitmap.written(); })) {
            bool pictureLoaded = false;
            trap.step(240, [&] {
                host.setPreviewPicture(bitmap.load());
                pictureLoaded = true;
            });
            // Without the new page the preview would show something that is not this
            // timeline, so the main window stays.
            if (pictureLoaded) {
                trap.step(242, [&] {
                    if (plan)
                        host.setFitReport(plan->report);
                    host.setPreviewWordFile(documentPath);
                    host.setPreviewSheet(sheet);
                });
                trap.step(244, [&] { host.showPreview(); });
                trap.step(246, [&] { host.hideMainWindow(); });
                handedOver = true;
            }
        }
        trap.step(248, [&] { app::RemoveFile(bitmap.path()); });
        if (plan)
            mLastPlan = *plan;
        if (handedOver) {
            mLastDocument = documentPath;
            result.document = documentPath;
        } else if (!documentPath.isEmpty()) {
            // Nobody owns a document the preview never received.
            app::RemoveFile(documentPath);
        }
    } else {
        trap.step(250, [&] {
            mDialogs.messageBox(QStringLiteral("Please add timeline."), app::MessageButtons::Ok,
                                app::MessageIcon::None);
        });
    }
    trap.step(252, [&] { mBusy = false; });
    result.failures += trap.failures();
    return result;
}

namespace {
// A sketch has nobody to tell about a failure; the trap only counts it.
class QuietDialogs : public app::Dialogs
{
protected:
    QString doInputBox(const QString&, const QString&, const QString&) override { return {}; }
    app::MessageAnswer doMessageBox(const QString&, app::MessageButtons buttons, app::MessageIcon,
                                    const QString&, const QString&) override
    {
        return buttons == app::MessageButtons::YesNo ? app::MessageAnswer::No
                                                     : app::MessageAnswer::Ok;
    }
    QString doSaveFileName(const QString&, const QString&, const QStringList&, int&) override
    {
        return {};
    }
};

} // namespace

PageSketch TemplateBuilder::sketch(const QString& title, const QList<TimelineEntry>& entries,
                                   const PageOptions& options) const
{
    PageSketch result;
    if (entries.isEmpty() || entries.size() > kMaxPageEntries)
        return result;
    QuietDialogs quiet;
    app::Trap trap(quiet, QLatin1String(app::labels::kForm1CreateTemplate));
    ListHost host(title, entries);
    PageRun run;
    // Always the embedded engine: the sketch needs the model it builds, and no other
    // engine is started for every keystroke.
    run.word = createEmbeddedWord(mClipboard);
    buildPage(trap, host, options, run);
    run.releaseShapes();
    if (trap.failures() == 0 && run.document) {
        result.document = embeddedModel(*run.document);
        if (run.plan)
            result.plan = *run.plan;
    }
    return result;
}

} // namespace docgen
