#pragma once
// An edit that tells when the user leaves it for another control of its
// window (the filter runs then, not while the user types). Its own context
// menu, another application or a dialog taking the focus is not leaving it.

#include <QLineEdit>

class ExitLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void Exit();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};
