#pragma once
// What a user does with the "Windows logon" dialog, and what the program
// then logs on with; shared by the tests with and without a secret store.

#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "ui/db_lookup_list_box.h"
#include "ui/windows_logon_dialog.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace LogonSteps {

inline QString LogsOnWith(AppFixture &app, const QString &computer)
{
    const perf_data::Account account = app.module->windowsAccounts.For(computer);
    return QString::fromStdString(account.user + "|" + account.password);
}

// The dialog the last menu entry opened; it stays open until the test acts.
inline WindowsLogonDialog *OpenDialog(TfrmMain *window, QAction *entry, int computerRow = -1)
{
    if (computerRow < 0) {
        UserInput::ChooseMenuEntry(window->menuBar(), window->Computers1, entry);
    } else {
        UserInput::ClickEntry(window->llbxComputers, computerRow);
        QListView *list = window->llbxComputers;
        UserInput::ChooseContextEntry(list->viewport(), UserInput::EntryCentre(list, computerRow),
                                      window->pmComputers, entry);
    }
    WindowsLogonDialog *dialog = nullptr;
    const bool shown =
        QTest::qWaitFor([&] { return (dialog = window->findChild<WindowsLogonDialog *>()) && dialog->isVisible(); });
    return shown ? dialog : nullptr;
}

inline void Type(WindowsLogonDialog *dialog, const QString &user, const QString &password)
{
    for (auto [edit, text] : {std::pair(dialog->edUser, user), std::pair(dialog->edPassword, password)}) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
}

inline bool Closed(TfrmMain *window)
{
    return QTest::qWaitFor([window] { return !window->findChild<WindowsLogonDialog *>(); });
}

inline void Restart(AppFixture &app)
{
    app.module.reset();
    app.window.reset();
    app.Start();
}

} // namespace LogonSteps
