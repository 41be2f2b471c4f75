#pragma once

#include <QRect>
#include <QSize>
#include <QStringList>

#include <optional>

namespace editor {

class SettingsStore;

// Where the main window's controls stand for a client area of a given size. At the
// designed size (8040 × 7110 twips) every control stands exactly where it was drawn;
// a taller window gives the extra height to the list, a wider one either widens the
// frames and the list or, from kPageBesideMinWidth extra pixels on, shows the page
// beside the controls. Buttons keep their size and order throughout. Children's
// rectangles are in their frame's coordinates, as Qt places them.
struct MainWindowGeometry
{
    QRect pushButton6, pushButton3, pushButton4;
    QRect frame1, text1;
    QRect frame3, option1, option2, option3;
    QRect frame2, listView1, pushButton1, pushButton2;
    QRect pageView; // null: the window is too narrow for the page beside the list
};

// Extra width, in pixels, below which the page is not shown: a narrower picture of a
// landscape page could not be read.
inline constexpr int kPageBesideMinWidth = 240;

QSize designedClientSize(double dpiX, double dpiY);
// `client` below the designed size lays out as the designed size.
MainWindowGeometry mainWindowGeometry(QSize client, double dpiX, double dpiY);

// The window's size between runs, in twips so that it survives a change of screen
// density: keys "Form1Width", "Form1Height" and "Form1Maximized" ("1" or "0").
struct WindowSize
{
    int widthTwips = 0;
    int heightTwips = 0;
    bool maximized = false;

    // Nothing when the keys are absent or are not sizes; never throws. A value that
    // cannot be read is set aside, with a sentence for the user in `notices`.
    static std::optional<WindowSize> load(SettingsStore& store, QStringList& notices);
    // Throws app::Failure when the store cannot be written.
    void save(SettingsStore& store) const;
    bool operator==(const WindowSize&) const = default;
};

} // namespace editor
