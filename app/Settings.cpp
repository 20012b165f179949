#include "app/Settings.h"

#include "common/Log.h"
#include "packs/PackInfo.h"

#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace plinkum {

namespace {

enum class Kind { Boolean, Fraction, Text, Choice };

struct Row {
    const char *name;
    Kind kind;
    QVariant defaultValue;
    QStringList choices = {};
};

const Row &row(Settings::Key key)
{
    static const Row rows[Settings::keyCount]{
        {"enabled", Kind::Boolean, true},
        {"volume", Kind::Fraction, 0.6},
        {"playKeyUp", Kind::Boolean, true},
        {"stereo", Kind::Boolean, true},
        {"pitchVariation", Kind::Boolean, true},
        {"selectedPack", Kind::Text, QString::fromLatin1(defaultPackID)},
        {"builtInSpeakers", Kind::Boolean, true},
        {"muteShortcut", Kind::Choice, QStringLiteral("bothShifts"),
         {QStringLiteral("bothShifts"), QStringLiteral("scrollLockTwice"), QStringLiteral("off")}},
        {"onboardingOpen", Kind::Boolean, false},
        {"mouseClicks", Kind::Boolean, false},
        {"mousePack", Kind::Text, QString()},
        {"mouseVolume", Kind::Fraction, 0.8},
    };
    return rows[int(key)];
}

} // namespace

QString Settings::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Plinkum/Plinkum.conf");
}

Settings::Settings(const QString &path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

const char *Settings::name(Key key)
{
    return row(key).name;
}

QVariant Settings::defaultValue(Key key)
{
    return row(key).defaultValue;
}

QVariant Settings::validated(Key key, const QVariant &value)
{
    const Row &setting = row(key);
    // The INI file holds text, so every kind but text also accepts its spelling as text.
    const bool isText = value.typeId() == QMetaType::QString;
    switch (setting.kind) {
    case Kind::Boolean: {
        if (value.typeId() == QMetaType::Bool)
            return value;
        // Anything but these four spellings is damage, not a choice.
        const QString text = value.toString().trimmed().toLower();
        if (text == u"true" || text == u"1")
            return true;
        if (text == u"false" || text == u"0")
            return false;
        return {};
    }
    case Kind::Fraction: {
        bool ok = false;
        const double number = isText ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return {};
        return std::clamp(number, 0.0, 1.0);
    }
    case Kind::Text:
        // A stored value with a comma reads back as a list: damage too.
        return isText ? value : QVariant();
    case Kind::Choice:
        return isText && setting.choices.contains(value.toString()) ? value : QVariant();
    }
    return {};
}

QVariant Settings::value(Key key) const
{
    const QVariant stored = validated(key, m_settings->value(QString::fromLatin1(name(key))));
    return stored.isValid() ? stored : defaultValue(key);
}

bool Settings::store(Key key, const QVariant &value)
{
    m_settings->setValue(QString::fromLatin1(name(key)), value);
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
