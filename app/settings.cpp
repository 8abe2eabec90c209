#include "app/settings.h"

#include "core/exception.h"
#include "platform/settings_store.h"

namespace {
const std::string kKey = "software";
const std::string kSection = "Brenmoor Tarvenix";
} // namespace

UserSettings::UserSettings() : store_(OpenUserSettings(kKey))
{
    if (!store_)
        throw Exception(QStringLiteral("Failed to create key %1").arg(QString::fromStdString(kKey)));
}

UserSettings::~UserSettings() = default;

QString UserSettings::Read(const QString &name, const QString &fallback) const
{
    return QString::fromStdString(store_->ReadString(kSection, name.toStdString(), fallback.toStdString()));
}

void UserSettings::Write(const QString &name, const QString &value)
{
    if (!store_->WriteString(kSection, name.toStdString(), value.toStdString()))
        throw Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
}
