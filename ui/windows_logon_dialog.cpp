#include "ui/windows_logon_dialog.h"

#include "core/error_box.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QLabel *Wrapped(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QString IntroFor(const QString &computer)
{
    if (computer.isEmpty())
        return QStringLiteral("The account Tarvenix logs on to Windows computers with where you hold no Kerberos "
                              "ticket. A computer's own account, set from the computer list, is used in its place.");
    return QStringLiteral("The account Tarvenix logs on to %1 with where you hold no Kerberos ticket, in place of "
                          "the account for all Windows computers.")
        .arg(computer);
}

} // namespace

WindowsLogonDialog::WindowsLogonDialog(WindowsLogonKeeping &keeper, QString computer, QWidget *parent)
    : QDialog(parent), keeper_(keeper), computer_(std::move(computer))
{
    setObjectName(QStringLiteral("frmWindowsLogon"));
    setWindowTitle(QStringLiteral("Windows logon"));
    edUser = new QLineEdit(this);
    edUser->setPlaceholderText(QStringLiteral("DOMAIN\\user, user@REALM or user"));
    edUser->setMaxLength(256);
    edPassword = new QLineEdit(this);
    edPassword->setMaxLength(256);
    edPassword->setEchoMode(QLineEdit::Password);
    lbStatus = Wrapped(QString(), this);
    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QDialogButtonBox::Ok);
    btnKeepInFile = buttons->addButton(QStringLiteral("Keep in file"), QDialogButtonBox::ActionRole);
    btnRemove = buttons->addButton(QStringLiteral("Remove"), QDialogButtonBox::ResetRole);
    btnCancel = buttons->addButton(QDialogButtonBox::Cancel);
    btnKeepInFile->hide();
    btnOK->setDefault(true);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("&User:"), edUser);
    fields->addRow(QStringLiteral("&Password:"), edPassword);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Wrapped(IntroFor(computer_), this));
    layout->addLayout(fields);
    layout->addWidget(lbStatus);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(btnOK, &QPushButton::clicked, this, &WindowsLogonDialog::btnOKClick);
    connect(btnKeepInFile, &QPushButton::clicked, this, &WindowsLogonDialog::btnKeepInFileClick);
    connect(btnRemove, &QPushButton::clicked, this, &WindowsLogonDialog::btnRemoveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowKept();
}

WindowsLogonDialog *WindowsLogonDialog::Open(WindowsLogonKeeping &keeper, const QString &computer, QWidget *window)
{
    auto *dialog = new WindowsLogonDialog(keeper, computer, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

QString WindowsLogonDialog::UserProblem(const QString &user)
{
    const bool controls =
        std::any_of(user.begin(), user.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    const QStringList domainAndUser = user.split(QLatin1Char('\\'));
    const qsizetype at = user.lastIndexOf(QLatin1Char('@'));
    const bool wellFormed = domainAndUser.size() == 1
                                ? at != 0 && at != user.size() - 1
                                : domainAndUser.size() == 2 && !domainAndUser[0].isEmpty() && !domainAndUser[1].isEmpty();
    if (user.isEmpty() || controls || !wellFormed)
        return QStringLiteral("Type the user as DOMAIN\\user, user@REALM or user.");
    return {};
}

void WindowsLogonDialog::ShowKept()
{
    const WindowsLogonKeeping::Kept kept = keeper_.Of(computer_);
    if (kept.account) {
        edUser->setText(QString::fromStdString(kept.account->user));
        edPassword->setText(QString::fromStdString(kept.account->password));
    }
    btnRemove->setEnabled(Removable());
    QString status;
    if (kept.place == WindowsLogonKeeping::Place::SecretStore)
        status = QStringLiteral("Kept in the desktop's secret store.");
    else if (kept.place == WindowsLogonKeeping::Place::File)
        status = QStringLiteral("Kept in %1.").arg(QDir::toNativeSeparators(keeper_.FilePath()));
    else if (!kept.problem.isEmpty())
        status = QStringLiteral("The secret store gave no password for it at start (%1): type it again.")
                     .arg(kept.problem);
    else if (!computer_.isEmpty())
        status = QStringLiteral("None of its own: the account for all Windows computers is used.");
    lbStatus->setText(status);
}

std::optional<perf_data::Account> WindowsLogonDialog::Typed()
{
    const QString user = edUser->text().trimmed();
    if (const QString problem = UserProblem(user); !problem.isEmpty()) {
        lbStatus->setText(problem);
        edUser->setFocus();
        return std::nullopt;
    }
    return perf_data::Account{user.toStdString(), edPassword->text().toStdString()};
}

void WindowsLogonDialog::SetBusy(bool busy, const QString &status)
{
    for (QWidget *input : {static_cast<QWidget *>(edUser), static_cast<QWidget *>(edPassword),
                           static_cast<QWidget *>(btnOK), static_cast<QWidget *>(btnKeepInFile)})
        input->setEnabled(!busy);
    btnRemove->setEnabled(!busy && Removable());
    lbStatus->setText(status);
}

bool WindowsLogonDialog::Removable() const
{
    const WindowsLogonKeeping::Kept kept = keeper_.Of(computer_);
    return kept.account || !kept.problem.isEmpty();
}

void WindowsLogonDialog::btnOKClick()
{
    const auto account = Typed();
    if (!account)
        return;
    SetBusy(true, QStringLiteral("Handing the password to the secret store…"));
    keeper_.KeepInSecretStore(computer_, *account, this, [this](const QString &error) {
        if (error.isEmpty())
            return accept();
        SetBusy(false, QStringLiteral("%1 It can be kept in %2 instead, which only you can read.")
                           .arg(ErrorBoxText(error), QDir::toNativeSeparators(keeper_.FilePath())));
        btnKeepInFile->show();
        btnKeepInFile->setFocus();
    });
}

void WindowsLogonDialog::btnKeepInFileClick()
{
    if (const auto account = Typed())
        Finish(keeper_.KeepInFile(computer_, *account));
}

void WindowsLogonDialog::btnRemoveClick()
{
    SetBusy(true, QStringLiteral("Removing the account…"));
    keeper_.Remove(computer_, this, [this](const QString &error) { Finish(error); });
}

void WindowsLogonDialog::Finish(const QString &error)
{
    if (error.isEmpty())
        return accept();
    SetBusy(false, ErrorBoxText(error));
}
