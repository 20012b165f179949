#pragma once

#include <QString>

#include <optional>

namespace plinkum {

// Opening Plinkum at login through an XDG autostart entry, by default
// $XDG_CONFIG_HOME/autostart/plinkum.desktop. Registering writes the entry; unregistering
// removes it. An entry that is hidden or disabled, or that starts another program (left by a
// Plinkum since moved or removed), counts as not registered, so registering writes it afresh.
class LoginItem {
public:
    static QString defaultPath();

    explicit LoginItem(QString entryPath = defaultPath(), QString executable = {});

    bool isRegistered() const;

    // Returns the reason when the entry could not be written or removed.
    std::optional<QString> setRegistered(bool registered);

    QString path() const { return m_path; }

private:
    std::optional<QString> write() const;
    bool launches(const QString &program) const;

    QString m_path;
    QString m_executable;
};

} // namespace plinkum
