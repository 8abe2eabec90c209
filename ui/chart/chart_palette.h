#pragma once
// The chart's palette: every point takes the colour of its position in its
// series, cycling through these sixteen. None of them is white, black or
// grey, so no bar vanishes against the back wall, the frame or the shadow.

#include <QColor>

inline constexpr int kPaletteSize = 16;

QColor PaletteColor(int pointIndex);
