#include "ui/exit_line_edit.h"

#include <QApplication>

void ExitLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // By now the focus widget is the one that took the focus.
    const QWidget *next = QApplication::focusWidget();
    if (next && next != this && next->window() == window())
        emit Exit();
}
