#include "ui/chart/chart_palette.h"

#include <array>

namespace
{

// Strong hues first, so small charts get the most distinct colours.
constexpr std::array<QRgb, kPaletteSize> kPalette = {
    0xFF0000, // red
    0x008000, // green
    0xFFC000, // amber
    0x0000FF, // blue
    0xFF00FF, // magenta
    0x00C0C0, // cyan
    0x800000, // maroon
    0x80FF00, // lime
    0x000080, // navy
    0x808000, // olive
    0x800080, // purple
    0x008080, // teal
    0xFF8000, // orange
    0x8080FF, // periwinkle
    0x804000, // brown
    0x8000FF, // violet
};

} // namespace

QColor PaletteColor(int pointIndex)
{
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(pointIndex % kPaletteSize)]);
}
