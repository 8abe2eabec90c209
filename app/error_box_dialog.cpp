#include "app/error_box_dialog.h"

#include "core/error_box.h"

#include <QApplication>
#include <QMessageBox>

void InstallErrorBox()
{
    SetErrorSink([](const QString &text) {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
    });
}
