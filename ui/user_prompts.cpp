#include "ui/user_prompts.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

std::optional<QString> DialogPrompts::InputQuery(const QString &caption, const QString &prompt,
                                                 const QString &initial, int maxLength)
{
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (auto *edit = dialog.findChild<QLineEdit *>())
        edit->setMaxLength(maxLength);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool DialogPrompts::WarningYesNo(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
