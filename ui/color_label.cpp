#include "ui/color_label.h"

ColorLabel::ColorLabel(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(true);
}

void ColorLabel::SetColor(const QColor &color)
{
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}
