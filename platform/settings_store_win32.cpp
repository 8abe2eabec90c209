#include "platform/settings_store.h"

#include <windows.h>

namespace {

std::wstring Wide(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// A key under HKEY_CURRENT_USER; each section is a subkey, each name a string value.
class RegistrySettings : public SettingsStore {
public:
    explicit RegistrySettings(HKEY key) : key_(key) {}
    ~RegistrySettings() override { RegCloseKey(key_); }

    std::string ReadString(const std::string &section, const std::string &name,
                           const std::string &fallback) override
    {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key_, Wide(section).c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            return fallback;
        std::string result = fallback;
        DWORD type = 0;
        DWORD bytes = 0;
        const std::wstring value = Wide(name);
        if (RegQueryValueExW(sub, value.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
            type == REG_SZ) {
            std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
            if (RegQueryValueExW(sub, value.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(text.data()),
                                 &bytes) == ERROR_SUCCESS)
                result = Narrow(text.c_str());
        }
        RegCloseKey(sub);
        return result;
    }

    bool WriteString(const std::string &section, const std::string &name, const std::string &value,
                     std::string &error) override
    {
        HKEY sub = nullptr;
        if (RegCreateKeyExW(key_, Wide(section).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &sub, nullptr) !=
            ERROR_SUCCESS) {
            error = "Failed to create key " + section;
            return false;
        }
        const std::wstring text = Wide(value);
        const auto bytes = DWORD((text.size() + 1) * sizeof(wchar_t));
        const bool ok = RegSetValueExW(sub, Wide(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE *>(text.c_str()), bytes) == ERROR_SUCCESS;
        RegCloseKey(sub);
        if (!ok)
            error = "Failed to set data for '" + name + "'";
        return ok;
    }

private:
    HKEY key_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserSettings(const std::string &key, std::string &error)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        error = "Failed to create key " + key;
        return nullptr;
    }
    return std::make_unique<RegistrySettings>(handle);
}
