#pragma once

#include <cmath>

namespace app {

// Lengths on screen are twips (1/1440 inch). At 96 logical dots per inch a pixel is 15.
inline constexpr int kTwipsPerInch = 1440;
// On the page a point is 20 twips (the file's "dxa").
inline constexpr int kTwipsPerPoint = 20;

inline constexpr double pointsToTwips(double points)
{
    return points * kTwipsPerPoint;
}

inline constexpr double twipsToPoints(double twips)
{
    return twips / kTwipsPerPoint;
}

inline int twipsToPixels(double twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline double pixelsToTwips(double pixels, double logicalDpi)
{
    return pixels * kTwipsPerInch / logicalDpi;
}

} // namespace app
