#pragma once
// A label with a background colour of its own and an integer tag, as the
// danger status uses them.

#include <QLabel>

class ColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit ColorLabel(QWidget *parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor &color);
    int Tag = 0;

private:
    QColor color_;
};
