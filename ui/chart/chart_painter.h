#pragma once
// Paints a laid-out chart: background, white back wall, bars, axes, legend.

class QColor;
class QPainter;
struct ChartLayout;

void PaintChart(QPainter &painter, const ChartLayout &layout, const QColor &background);
