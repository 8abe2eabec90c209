#pragma once
// The danger status outside the main window: a system tray icon in the
// status colour with the status caption as its tooltip, a desktop notice
// naming the process and the computer whenever the status rises, and the
// main window brought to the front by a click on the icon or the notice.

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class DangerTray : public QObject {
    Q_OBJECT
public:
    // Shown with the status; none where the desktop has no system tray.
    static std::unique_ptr<DangerTray> WhereAvailable(QWidget &window, const QString &caption, const QColor &colour);

    explicit DangerTray(QWidget &window);

    void ShowStatus(const QString &caption, const QColor &colour);
    // The status rose to the level (1 yellow, 2 red) on meeting the process.
    void NoticeRise(int level, const QString &process, const QString &computer);

    const QSystemTrayIcon &Icon() const { return icon_; }

signals:
    // A notice was handed to the desktop.
    void Noticed(const QString &title, const QString &text);

private:
    void BringWindowToFront();

    QWidget &window_;
    QSystemTrayIcon icon_;
};
