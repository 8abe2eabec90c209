#include "ui/danger_tray.h"

#include <QPainter>
#include <QWidget>

namespace {

QIcon StatusIcon(const QColor &colour)
{
    QIcon icon;
    for (int size : {16, 22, 32, 64}) {
        QPixmap disc(size, size);
        disc.fill(Qt::transparent);
        QPainter painter(&disc);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(40, 40, 40), size / 16.0));
        painter.setBrush(colour);
        const qreal margin = size / 8.0;
        painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
        icon.addPixmap(disc);
    }
    return icon;
}

} // namespace

std::unique_ptr<DangerTray> DangerTray::WhereAvailable(QWidget &window, const QString &caption,
                                                       const QColor &colour)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return nullptr;
    auto tray = std::make_unique<DangerTray>(window);
    tray->ShowStatus(caption, colour);
    tray->icon_.show();
    return tray;
}

DangerTray::DangerTray(QWidget &window) : window_(window)
{
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            BringWindowToFront();
    });
    connect(&icon_, &QSystemTrayIcon::messageClicked, this, &DangerTray::BringWindowToFront);
}

void DangerTray::ShowStatus(const QString &caption, const QColor &colour)
{
    icon_.setIcon(StatusIcon(colour));
    icon_.setToolTip(caption);
}

void DangerTray::NoticeRise(int level, const QString &process, const QString &computer)
{
    const bool red = level >= 2;
    const QString title = red ? QStringLiteral("Danger status red") : QStringLiteral("Danger status yellow");
    const QString text = (red ? QStringLiteral("Dangerous process \"%1\" on %2")
                              : QStringLiteral("Unknown process \"%1\" on %2"))
                             .arg(process, computer);
    icon_.showMessage(title, text, red ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning);
    emit Noticed(title, text);
}

void DangerTray::BringWindowToFront()
{
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}
