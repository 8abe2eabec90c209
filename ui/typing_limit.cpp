#include "ui/typing_limit.h"

#include <QLineEdit>

TypingLimit::TypingLimit(QLineEdit *edit, int limit) : QValidator(edit), edit_(edit), limit_(limit) {}

QValidator::State TypingLimit::validate(QString &input, int &) const
{
    if (input.size() <= limit_ || input.size() < edit_->text().size())
        return Acceptable;
    return Invalid;
}
