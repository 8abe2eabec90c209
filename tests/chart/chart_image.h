#pragma once
// Looking at a rendered chart the way a user would: colours at places, runs
// of one colour along a row or a column.

#include "ui/chart/chart_widget.h"

#include <QImage>
#include <QRect>

inline QImage Render(ChartWidget &chart)
{
    QImage image(chart.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    chart.render(&image);
    return image;
}

inline QRgb At(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & RGB_MASK;
}

// The first and last column of the run of `color` in row y that contains x.
struct Run {
    int first = -1;
    int last = -1;
    int Length() const { return last - first + 1; }
};

inline Run RunInRow(const QImage &image, int x, int y)
{
    const QRgb color = At(image, x, y);
    Run run{x, x};
    while (run.first > 0 && At(image, run.first - 1, y) == color)
        --run.first;
    while (run.last + 1 < image.width() && At(image, run.last + 1, y) == color)
        ++run.last;
    return run;
}

inline Run RunInColumn(const QImage &image, int x, int y)
{
    const QRgb color = At(image, x, y);
    Run run{y, y};
    while (run.first > 0 && At(image, x, run.first - 1) == color)
        --run.first;
    while (run.last + 1 < image.height() && At(image, x, run.last + 1) == color)
        ++run.last;
    return run;
}

// True when every pixel of the rectangle is white.
inline bool IsBlank(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (At(image, x, y) != 0xFFFFFF) return false;
    return true;
}

// The smallest rectangle that holds every pixel of `color` inside `within`;
// empty when there is none.
inline QRect BoundsOf(const QImage &image, const QRect &within, const QColor &color)
{
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (At(image, x, y) == (color.rgb() & RGB_MASK)) bounds |= QRect(x, y, 1, 1);
    return bounds;
}
