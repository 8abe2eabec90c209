#include "ui/progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

void ProgressBar::paintEvent(QPaintEvent *event)
{
    if (minimum() != maximum()) {
        QProgressBar::paintEvent(event);
        return;
    }
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.minimum = 0;
    option.maximum = 1;
    option.progress = 0;
    QStylePainter(this).drawControl(QStyle::CE_ProgressBar, option);
}
