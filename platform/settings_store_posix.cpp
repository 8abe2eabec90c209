#include "platform/settings_store.h"

#include "platform/ini_text.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

// The whole file is read when the key is opened; each value written replaces
// the file at once with the text changed in that value's line only.
class IniSettings : public SettingsStore {
public:
    IniSettings(QString path, QString text) : path_(std::move(path)), text_(std::move(text)) {}

    std::string ReadString(const std::string &section, const std::string &name,
                           const std::string &fallback) override
    {
        const auto value = ini_text::Value(text_, Q(section), Q(name));
        return value ? value->toStdString() : fallback;
    }

    bool WriteString(const std::string &section, const std::string &name, const std::string &value,
                     std::string &error) override
    {
        const QString text = ini_text::WithValue(text_, Q(section), Q(name), Q(value));
        QSaveFile file(path_);
        file.setDirectWriteFallback(false);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
            error = QStringLiteral("Cannot write the settings file %1: %2").arg(path_, file.errorString()).toStdString();
            return false;
        }
        text_ = text;
        return true;
    }

private:
    QString path_;
    QString text_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserSettings(const std::string &key, std::string &error)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/Tarvenix");
    if (!QDir().mkpath(dir)) {
        error = QStringLiteral("Cannot create the settings folder %1").arg(dir).toStdString();
        return nullptr;
    }
    const QString path = dir + QLatin1Char('/') + Q(key) + QStringLiteral(".ini");
    QFile file(path);
    if (!file.exists())
        return std::make_unique<IniSettings>(path, QString());
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read the settings file %1: %2").arg(path, file.errorString()).toStdString();
        return nullptr;
    }
    return std::make_unique<IniSettings>(path, QString::fromUtf8(file.readAll()));
}
