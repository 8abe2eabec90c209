#pragma once
// The "Windows logon" dialog: the account Tarvenix logs on to Windows
// computers with, for all of them or for one. It offers the credentials file
// once no secret store has taken the password, and never waits on the store:
// it shows what it is doing and goes on when the store answers.

#include "ui/windows_logon_keeping.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class WindowsLogonDialog : public QDialog {
    Q_OBJECT
public:
    // computer: the computer whose own account is set; empty: the account
    // for all Windows computers.
    WindowsLogonDialog(WindowsLogonKeeping &keeper, QString computer, QWidget *parent);

    // Opens a dialog over the window, modal to it, that goes when closed.
    static WindowsLogonDialog *Open(WindowsLogonKeeping &keeper, const QString &computer, QWidget *window);

    // Why the text is no user name of the three forms, empty when it is one.
    static QString UserProblem(const QString &user);

    QLineEdit *edUser, *edPassword;
    QLabel *lbStatus;
    QPushButton *btnOK, *btnKeepInFile, *btnRemove, *btnCancel;

private:
    void btnOKClick();
    void btnKeepInFileClick();
    void btnRemoveClick();
    std::optional<perf_data::Account> Typed();
    // While the store is asked, only Cancel takes input.
    void SetBusy(bool busy, const QString &status);
    // An account is kept, or the store was asked for one in vain.
    bool Removable() const;
    void ShowKept();
    void Finish(const QString &error);

    WindowsLogonKeeping &keeper_;
    QString computer_;
};
