#pragma once
// The About window: names the product and its version. It is not modal and
// there is only ever one; closing it hides it.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    // "About programm": shows the window without waiting, or brings the open one to the front.
    // The first time it is centred on mainWindow; afterwards it opens where it was left.
    void ShowOver(QWidget *mainWindow);

    QLabel *Label1;
    QPushButton *btnOk;

public slots:
    void btnOkClick();

private:
    void CentreOn(const QWidget &mainWindow);

    bool placed_ = false;
};

extern TfrmAbout *frmAbout;
