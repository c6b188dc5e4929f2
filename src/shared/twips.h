#pragma once
// Window geometry of the program is measured in twips (1/1440 inch): 15 twips make one
// pixel at 96 dots per inch. The layout code works in twips and converts at the edges.

#include <QtGlobal>

constexpr int TwipsPerPixel = 15;

// Twips to whole pixels, rounded to the nearest pixel (so a gap of 10 twips is one pixel,
// not none).
inline int twipsToPx(double twips)
{
    return qRound(twips / TwipsPerPixel);
}

inline double pxToTwips(double px)
{
    return px * TwipsPerPixel;
}
