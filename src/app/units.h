#pragma once

#include "units/lengths.h"

#include <cmath>

namespace app {

// Lengths on screen are twips (1/1440 inch). At 96 logical dots per inch a pixel is 15.
inline constexpr int kTwipsPerInch = units::kTwipsPerInch;

inline int twipsToPixels(double twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline double pixelsToTwips(double pixels, double logicalDpi)
{
    return pixels * kTwipsPerInch / logicalDpi;
}

} // namespace app
