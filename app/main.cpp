#include "app/data_module.h"
#include "app/error_box_dialog.h"
#include "core/handler_guard.h"
#include "ui/about_window.h"
#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Tarvenix"));
    InstallErrorBox();
    Guarded([&application] {
        // Destroyed in the reverse order: the data module's destroy event
        // still finds the main window.
        TfrmMain window;
        frmMain = &window;
        TdmMain dataModule(window);
        dmMain = &dataModule;
        TfrmAbout about(&window);
        frmAbout = &about;
        window.show();
        application.exec();
        frmAbout = nullptr;
        dmMain = nullptr;
    });
    frmMain = nullptr;
    return 0;
}
