#include "ui/outer_geometry.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

OuterGeometry::OuterGeometry(QWidget *window, const QRect &outer, const QSize &outerMinimum)
    : QObject(window), window_(window), outer_(outer), outerMinimum_(outerMinimum)
{
    window_->setGeometry(outer_);
    window_->setMinimumSize(outerMinimum_);
    window_->installEventFilter(this);
}

void OuterGeometry::Fit(const QMargins &frame)
{
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    window_->setMinimumSize(outerMinimum_ - frameSize);
    window_->resize(outer_.size() - frameSize);
    window_->move(outer_.topLeft()); // a top-level's position is its frame's
}

// The window handle exists from the first show; the frame arrives with one of
// its first exposes. Once fitted, the user's own resizing is left alone.
bool OuterGeometry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_ && event->type() == QEvent::Show && window_->windowHandle()) {
        window_->removeEventFilter(this);
        window_->windowHandle()->installEventFilter(this);
    } else if (watched != window_ && event->type() == QEvent::Expose) {
        const QMargins frame = window_->windowHandle()->frameMargins();
        if (!frame.isNull()) {
            watched->removeEventFilter(this);
            Fit(frame);
        }
    }
    return false;
}
