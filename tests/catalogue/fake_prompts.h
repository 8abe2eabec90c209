#pragma once
// Answers the program's dialogs in tests, and can run something while a
// dialog is "open", as the event loop of a real one would.

#include "ui/user_prompts.h"

#include <QStringList>
#include <functional>

class FakePrompts : public UserPrompts {
public:
    std::optional<QString> input;          // nothing: the user cancels
    bool answerYes = true;
    std::function<void()> whileOpen;       // run inside the warning box
    QStringList asked;

    std::optional<QString> InputQuery(const QString &caption, const QString &prompt, const QString &initial,
                                      int maxLength) override
    {
        asked << caption + QLatin1Char('|') + prompt + QLatin1Char('|') + initial + QLatin1Char('|') +
                     QString::number(maxLength);
        return input;
    }
    bool WarningYesNo(const QString &caption, const QString &text) override
    {
        asked << caption + QLatin1Char('|') + text;
        if (whileOpen)
            whileOpen();
        return answerYes;
    }
};
