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
    // False when the value could not be stored.
    virtual bool WriteString(const std::string &section, const std::string &name,
                             const std::string &value) = 0;
};

// Opens the settings key for reading and writing (created when missing);
// nothing when it cannot be opened. Texts are UTF-8.
std::unique_ptr<SettingsStore> OpenUserSettings(const std::string &key);
