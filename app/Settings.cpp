#include "Settings.h"

#include "Log.h"
#include "PackInfo.h"

#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace plinkum {

QString Settings::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Plinkum/Plinkum.conf");
}

Settings::Settings(const QString &path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

void Settings::registerDefaults()
{
    m_defaults = {
        {QString::fromLatin1(enabledKey), true},
        {QString::fromLatin1(volumeKey), 0.6},
        {QString::fromLatin1(playKeyUpKey), true},
        {QString::fromLatin1(stereoKey), true},
        {QString::fromLatin1(pitchVariationKey), true},
        {QString::fromLatin1(selectedPackKey), QString::fromLatin1(defaultPackID)},
        {QString::fromLatin1(builtInSpeakersKey), true},
        {QString::fromLatin1(muteShortcutKey), QStringLiteral("bothShifts")},
    };
}

QVariant Settings::registeredDefault(const char *key) const
{
    return m_defaults.value(QString::fromLatin1(key));
}

bool Settings::boolValue(const char *key) const
{
    const QVariant stored = m_settings->value(QString::fromLatin1(key));
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    // The INI file holds text; anything but these four spellings is damage, not a choice.
    const QString text = stored.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return registeredDefault(key).toBool();
}

double Settings::doubleValue(const char *key, double min, double max) const
{
    bool ok = false;
    const double stored = m_settings->value(QString::fromLatin1(key)).toString().trimmed().toDouble(&ok);
    const double value = ok && std::isfinite(stored) ? stored : registeredDefault(key).toDouble();
    return std::clamp(value, min, max);
}

QString Settings::stringValue(const char *key) const
{
    const QVariant stored = m_settings->value(QString::fromLatin1(key));
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    return registeredDefault(key).toString();
}

bool Settings::setBool(const char *key, bool value)
{
    return store(key, value);
}

bool Settings::setDouble(const char *key, double value)
{
    return store(key, value);
}

bool Settings::setString(const char *key, const QString &value)
{
    return store(key, value);
}

bool Settings::store(const char *key, const QVariant &value)
{
    m_settings->setValue(QString::fromLatin1(key), value);
    m_settings->sync();
    // A FormatError only says the file was damaged when read; the write itself replaced it.
    const bool ok = m_settings->status() != QSettings::AccessError;
    if (!ok && !m_lastWriteFailed)
        log(("could not save settings to " + m_settings->fileName()).toStdString());
    m_lastWriteFailed = !ok;
    return ok;
}

QString Settings::path() const
{
    return m_settings->fileName();
}

} // namespace plinkum
