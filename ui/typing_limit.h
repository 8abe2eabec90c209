#pragma once
// Limits what the user can type into an edit without cutting a longer text
// that the program puts there (a restored setting): typing may not make the
// text longer than the limit, deleting is always allowed.

#include <QValidator>

class QLineEdit;

class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit *edit, int limit);
    State validate(QString &input, int &pos) const override;

private:
    QLineEdit *edit_;
    int limit_;
};
