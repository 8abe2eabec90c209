#pragma once
// An edit that tells when it loses the focus (the filter runs then, not
// while the user types).

#include <QLineEdit>

class ExitLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void Exit();

protected:
    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        emit Exit();
    }
};
