#pragma once
// The modal questions the program asks. Tests put answers of their own in
// place of the real dialogs.

#include <QString>
#include <optional>

class QWidget;

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // The one-line input dialog; nothing when cancelled.
    virtual std::optional<QString> InputQuery(const QString &caption, const QString &prompt, const QString &initial,
                                              int maxLength) = 0;
    // The warning box with "&Yes" (default) and "&No" (Escape); true for Yes.
    virtual bool WarningYesNo(const QString &caption, const QString &text) = 0;
};

class DialogPrompts : public UserPrompts {
public:
    explicit DialogPrompts(QWidget *owner) : owner_(owner) {}
    std::optional<QString> InputQuery(const QString &caption, const QString &prompt, const QString &initial,
                                      int maxLength) override;
    bool WarningYesNo(const QString &caption, const QString &text) override;

private:
    QWidget *owner_;
};
