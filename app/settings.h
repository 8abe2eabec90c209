#pragma once
// The two settings of the program, "Timer" and "Timeout", as texts in
// section "Brenmoor Tarvenix" of the user's settings key "software".

#include <QString>
#include <memory>

class SettingsStore;

class UserSettings {
public:
    // Raises Exception, with the reason, when the settings key cannot be
    // opened or read.
    UserSettings();
    ~UserSettings();

    QString Read(const QString &name, const QString &fallback) const;
    // Raises Exception when the value cannot be stored.
    void Write(const QString &name, const QString &value);

private:
    std::unique_ptr<SettingsStore> store_;
};
