#pragma once

#include <cmath>

// The one conversion between the lengths the program uses: points (1/72 in) on the page,
// twips (1/20 pt, 1/1440 in) on screen and in WordprocessingML, and EMU (12 700 per point)
// in DrawingML, whose text states sizes and spacing in hundredths of a point. Below the engine and
// the application, so both convert alike.
namespace units {

inline constexpr double kPointsPerInch = 72.0;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr double kTwipsPerPt = 20.0;
inline constexpr double kEmuPerPt = 12700.0;

// Files store whole twips and EMU: rounded half away from zero.
inline long long ptToTwips(double pt)
{
    return std::llround(pt * kTwipsPerPt);
}
inline constexpr double twipsToPt(double twips)
{
    return twips / kTwipsPerPt;
}
inline long long ptToEmu(double pt)
{
    return std::llround(pt * kEmuPerPt);
}
inline constexpr double emuToPt(double emu)
{
    return emu / kEmuPerPt;
}
inline long long ptToCentipoints(double pt)
{
    return std::llround(pt * 100);
}

} // namespace units
