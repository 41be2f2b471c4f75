#pragma once

#include "office/outputformat.h"
#include "office/pageexport.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>

class QActionGroup;
class QMenu;

#include <functional>

namespace app {
class Clipboard;
class Dialogs;
} // namespace app

namespace preview {

// Tells a right click on the page from a right-button drag: the menu opens only when the
// mouse stayed within the drag distance from the press to the release. Positions are
// global, because the page itself moves under the mouse while it is dragged.
class RightClick
{
public:
    explicit RightClick(int dragDistancePx) : mDragDistancePx(dragDistancePx) {}

    void press(Qt::MouseButton button, QPoint globalPos);
    void move(QPoint globalPos);
    // True when this release ends a right click that never went beyond the drag distance.
    bool release(Qt::MouseButton button, QPoint globalPos);

private:
    int mDragDistancePx;
    bool mTracking = false;
    bool mMoved = false;
    QPoint mPressedAt;
};

// The page menu's commands. Each reads the generated document afresh, so what leaves the
// studio is drawn by the same renderer as the preview, and each runs under its own error
// trap: a failure shows the error box, and nothing half-written is left behind.
class PageCommands
{
public:
    PageCommands(app::Dialogs& dialogs, app::Clipboard* clipboard)
        : mDialogs(dialogs), mClipboard(clipboard)
    {}

    // "Copy Page": the page at 300 dpi with its SVG beside it.
    void copyPage(const QString& wordFile);
    // "Save Page as PDF…", "…PNG…", "…SVG…": asks for a name (suggested from `title`; the
    // kind's extension is added when it is missing), asks before replacing a file, writes
    // atomically, then "Done." with where the file went. Returns whether it was written.
    bool savePage(office::PageFileKind kind, const QString& wordFile, const QString& title = {});
    // "Save Page as PowerPoint Slide…": the same questions, then `write` makes the slide
    // at the chosen name (throwing app::Failure or office::Error when it cannot).
    bool saveSlide(const std::function<void(const QString& path)>& write,
                   const QString& title = {});
    // "Print…": the print dialog for a printer set to the page's size and orientation,
    // then the page at its true size. Returns whether it was printed.
    bool printPage(const QString& wordFile);

    // The name a save writes to: the chosen name, with the kind's extension unless it has
    // it already (in any case).
    static QString targetName(const QString& chosen, office::PageFileKind kind);
    static QString targetName(const QString& chosen, const office::OutputFormatRow& how);

private:
    // The save's questions under the format's title and filter, then `write` and "Done.".
    bool saveAs(const office::OutputFormatRow& how, const char* label, const QString& title,
                const std::function<void(const QString& target)>& write);

    app::Dialogs& mDialogs;
    app::Clipboard* mClipboard;
};

// The page menu's choices: the paper by name, the classic layout, dates spaced to scale,
// the look by name, the slide's size by name.
struct PageMenuChoice
{
    QString paper;
    bool classic = false;
    bool toScale = false;
    QString theme;
    QString slideSize = {};
};

// A choice the menu offers by its name, shown as its label.
struct NamedChoice
{
    QString name;
    QString label;
};

// The page's choices as submenus of a menu, Layout, Spacing, Paper, Theme and, when sizes
// are given, Slide Size, each a group of exclusive choices; choosing one reports all as
// they then stand. The preview's page menu and the main window's Page menu are both made
// of it.
class PageChoiceMenus : public QObject
{
    Q_OBJECT
public:
    PageChoiceMenus(QMenu& menu, const QStringList& themeNames,
                    const QList<NamedChoice>& slideSizes,
                    std::function<void(const PageMenuChoice&)> changed);
    // Checks the choices as they stand, without reporting them.
    void setChoice(const PageMenuChoice& choice);

private:
    QActionGroup* mLayout = nullptr;
    QActionGroup* mSpacing = nullptr;
    QActionGroup* mPaper = nullptr;
    QActionGroup* mTheme = nullptr;
    QActionGroup* mSlideSize = nullptr;
};

// Marks the callouts whose text is cut on the page picture, in place: the picture shows
// `regionPt` of the page, the frames are in points on the page. The marks are the preview's
// own, never part of the document.
void markCutCallouts(QImage& picture, const QRectF& regionPt, const QList<QRectF>& framesPt);

// What the preview says about cut entries: empty when none is cut.
QString cutNotice(int cutEntries);

} // namespace preview
