#include "app/QtSettingsStore.h"

#include <QSettings>
#include <QString>
#include <QVariant>

namespace quorfw {

namespace {

constexpr const char* kOrganisation = "quor";
constexpr const char* kApplication = "quorFWupdate";

QString Key(std::string_view name)
{
    return QString::fromUtf8(kSettingsGroup.data(), static_cast<qsizetype>(kSettingsGroup.size())) +
           QLatin1Char('/') + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool Write(std::string_view name, const QVariant& value)
{
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(Key(name), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

int QtSettingsStore::ReadInt(std::string_view name, int defaultValue) const
{
    const QSettings settings(kOrganisation, kApplication);
    const QVariant value = settings.value(Key(name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

std::string QtSettingsStore::ReadString(std::string_view name, std::string_view defaultValue) const
{
    const QSettings settings(kOrganisation, kApplication);
    const QVariant value = settings.value(Key(name));
    if (!value.isValid())
        return std::string(defaultValue);
    return value.toString().toStdString();
}

bool QtSettingsStore::WriteInt(std::string_view name, int value)
{
    return Write(name, QVariant(value));
}

bool QtSettingsStore::WriteString(std::string_view name, std::string_view value)
{
    return Write(name, QVariant(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()))));
}

}  // namespace quorfw
