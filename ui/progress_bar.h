#pragma once
// A progress bar that shows an empty range (0 of 0) as an empty bar; the
// toolkit's own bar would show its busy animation there, as if work went on.

#include <QProgressBar>

class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent *event) override;
};
