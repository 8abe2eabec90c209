#include "ui/about_window.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

TfrmAbout *frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(289, 121);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setForegroundRole(QPalette::WindowText);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("Brenmoor Tarvenix v1.5"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(40, 0, 218, 13);
    Label1->setWordWrap(true);
    Label1->setFont(QFont(QStringLiteral("Verdana"), 8, QFont::Bold));

    btnOk = new QPushButton(QStringLiteral("Close"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(176, 88, 89, 25);
    connect(btnOk, &QPushButton::clicked, this, &TfrmAbout::btnOkClick);
}

void TfrmAbout::ShowOver(QWidget *mainWindow)
{
    if (!placed_ && mainWindow) {
        CentreOn(*mainWindow);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void TfrmAbout::btnOkClick()
{
    hide();
}

void TfrmAbout::CentreOn(const QWidget &mainWindow)
{
    const QRect outer = mainWindow.frameGeometry();
    // Before the first show the frame is not known yet; the main window's
    // frame is the best guess of it.
    const QSize own = size() + (outer.size() - mainWindow.size());
    // A window partly off the screen's top or left edge would lose its title bar.
    move(std::max(0, outer.left() + (outer.width() - own.width()) / 2),
         std::max(0, outer.top() + (outer.height() - own.height()) / 2));
}
