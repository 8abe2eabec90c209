#include "app/settings.h"

#include "core/exception.h"
#include "platform/settings_store.h"

namespace {
const std::string kKey = "software";
const std::string kSection = "Brenmoor Tarvenix";
} // namespace

UserSettings::UserSettings()
{
    std::string error;
    store_ = OpenUserSettings(kKey, error);
    if (!store_)
        throw Exception(QString::fromStdString(error));
}

UserSettings::~UserSettings() = default;

QString UserSettings::Read(const QString &name, const QString &fallback) const
{
    return QString::fromStdString(store_->ReadString(kSection, name.toStdString(), fallback.toStdString()));
}

void UserSettings::Write(const QString &name, const QString &value)
{
    std::string error;
    if (!store_->WriteString(kSection, name.toStdString(), value.toStdString(), error))
        throw Exception(QString::fromStdString(error));
}
