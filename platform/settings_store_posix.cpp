#include "platform/settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

class IniSettings : public SettingsStore {
public:
    explicit IniSettings(const QString &file) : settings_(file, QSettings::IniFormat) {}

    std::string ReadString(const std::string &section, const std::string &name,
                           const std::string &fallback) override
    {
        const QVariant value = settings_.value(Key(section, name));
        return value.isValid() ? value.toString().toStdString() : fallback;
    }

    bool WriteString(const std::string &section, const std::string &name, const std::string &value) override
    {
        settings_.setValue(Key(section, name), QString::fromStdString(value));
        settings_.sync();
        return settings_.status() == QSettings::NoError;
    }

private:
    static QString Key(const std::string &section, const std::string &name)
    {
        return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
    }

    QSettings settings_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserSettings(const std::string &key)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/Tarvenix");
    if (!QDir().mkpath(dir))
        return nullptr;
    return std::make_unique<IniSettings>(dir + QLatin1Char('/') + QString::fromStdString(key) +
                                         QStringLiteral(".ini"));
}
