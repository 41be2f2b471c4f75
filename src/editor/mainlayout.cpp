#include "mainlayout.h"

#include "timeline/settingsstore.h"

#include "app/units.h"

#include <algorithm>

namespace editor {
namespace {
constexpr int kClientWidthTwips = 8040;
constexpr int kClientHeightTwips = 7110;
constexpr int kLargestTwips = 1440 * 100; // a window 100 inches across is not a size

struct Twips
{
    int left, top, width, height;
};

// The drawn layout: left, top, width, height of each control in its container.
constexpr Twips kPushButton6{120, 120, 7800, 405};
constexpr Twips kPushButton3{120, 630, 3840, 405};
constexpr Twips kPushButton4{4080, 630, 3840, 405};
constexpr Twips kFrame1{120, 1110, 7800, 795};
constexpr Twips kText1{240, 300, 7335, 345};
constexpr Twips kFrame3{120, 1980, 7800, 735};
constexpr Twips kOption1{240, 300, 1215, 255};
constexpr Twips kOption2{1440, 300, 1215, 255};
constexpr Twips kOption3{2760, 300, 1215, 255};
constexpr Twips kFrame2{120, 2790, 7800, 4215};
constexpr Twips kListView1{240, 300, 7320, 3225};
constexpr Twips kPushButton1{240, 3630, 3600, 405};
constexpr Twips kPushButton2{3960, 3630, 3600, 405};

const char* const kWidthKey = "Form1Width";
const char* const kHeightKey = "Form1Height";
const char* const kMaximizedKey = "Form1Maximized";
} // namespace

QSize designedClientSize(double dpiX, double dpiY)
{
    return {app::twipsToPixels(kClientWidthTwips, dpiX),
            app::twipsToPixels(kClientHeightTwips, dpiY)};
}

MainWindowGeometry mainWindowGeometry(QSize client, double dpiX, double dpiY)
{
    const auto px = [&](const Twips& t) {
        return QRect(app::twipsToPixels(t.left, dpiX), app::twipsToPixels(t.top, dpiY),
                     app::twipsToPixels(t.width, dpiX), app::twipsToPixels(t.height, dpiY));
    };
    MainWindowGeometry g{px(kPushButton6), px(kPushButton3), px(kPushButton4), px(kFrame1),
                         px(kText1),       px(kFrame3),      px(kOption1),     px(kOption2),
                         px(kOption3),     px(kFrame2),      px(kListView1),   px(kPushButton1),
                         px(kPushButton2), QRect()};
    const QSize designed = designedClientSize(dpiX, dpiY);
    const int extraHeight = std::max(0, client.height() - designed.height());
    const int extraWidth = std::max(0, client.width() - designed.width());

    // The list takes the height; its buttons stay under it.
    g.frame2.setHeight(g.frame2.height() + extraHeight);
    g.listView1.setHeight(g.listView1.height() + extraHeight);
    g.pushButton1.translate(0, extraHeight);
    g.pushButton2.translate(0, extraHeight);

    if (extraWidth >= kPageBesideMinWidth) {
        // The controls keep their column; the page takes the rest, with the same margin
        // the column keeps from the window's edges.
        const int margin = g.pushButton6.left();
        const int left = g.frame1.right() + 1 + margin;
        g.pageView = QRect(left, margin, client.width() - left - margin,
                           std::max(designed.height(), client.height()) - 2 * margin);
    } else {
        for (QRect* wider : {&g.frame1, &g.text1, &g.frame3, &g.frame2, &g.listView1})
            wider->setWidth(wider->width() + extraWidth);
    }
    return g;
}

std::optional<WindowSize> WindowSize::load(SettingsStore& store)
{
    try {
        bool widthRead = false;
        bool heightRead = false;
        WindowSize size;
        size.widthTwips = store.read(QLatin1String(kWidthKey), {}).toInt(&widthRead);
        size.heightTwips = store.read(QLatin1String(kHeightKey), {}).toInt(&heightRead);
        size.maximized = store.read(QLatin1String(kMaximizedKey), {}) == QLatin1String("1");
        if (!widthRead || !heightRead || size.widthTwips <= 0 || size.heightTwips <= 0 ||
            size.widthTwips > kLargestTwips || size.heightTwips > kLargestTwips)
            return std::nullopt;
        return size;
    } catch (...) {
        // The window opens at its drawn size; the size is a convenience, never a stop.
        return std::nullopt;
    }
}

void WindowSize::save(SettingsStore& store) const
{
    store.write(QLatin1String(kWidthKey), QString::number(widthTwips));
    store.write(QLatin1String(kHeightKey), QString::number(heightTwips));
    store.write(QLatin1String(kMaximizedKey),
                maximized ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace editor
