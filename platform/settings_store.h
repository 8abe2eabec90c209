#pragma once
// The current user's settings, read and written as named string values in
// sections of one settings key (on Windows, a key under HKEY_CURRENT_USER;
// elsewhere an INI file in the user's configuration directory).

#include <memory>
#include <string>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string ReadString(const std::string &section, const std::string &name,
                                   const std::string &fallback) = 0;
    // False, with the reason in error, when the value could not be stored.
    // Nothing else the key holds is changed.
    virtual bool WriteString(const std::string &section, const std::string &name, const std::string &value,
                             std::string &error) = 0;
};

// Opens the settings key for reading and writing (created when missing) and
// reads what it holds; nothing, with the reason in error, when it cannot be
// opened or read. Texts are UTF-8.
std::unique_ptr<SettingsStore> OpenUserSettings(const std::string &key, std::string &error);
