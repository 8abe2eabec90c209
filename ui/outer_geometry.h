#pragma once
// Keeps a top-level window's outer rectangle, frame included, at the designed
// figures. Qt sizes the client area, and the window manager's frame is known
// only once the window is on screen; without a frame the two are the same.

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

class OuterGeometry : public QObject {
    Q_OBJECT
public:
    OuterGeometry(QWidget *window, const QRect &outer, const QSize &outerMinimum);

    // Gives the frame its share of the outer size.
    void Fit(const QMargins &frame);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    QRect outer_;
    QSize outerMinimum_;
};
