#pragma once

#include <QObject>
#include <QString>

// Stands in for the application state: the same property names, no engine behind them.
class FakeAppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled MEMBER isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(double volume MEMBER volume NOTIFY volumeChanged)
    Q_PROPERTY(bool hasPermission MEMBER hasPermission NOTIFY hasPermissionChanged)
    Q_PROPERTY(QString selectedPackID MEMBER selectedPackID NOTIFY selectedPackIDChanged)
    Q_PROPERTY(QString importError MEMBER importError NOTIFY importErrorChanged)
    Q_PROPERTY(bool isImporting MEMBER isImporting NOTIFY importProgressChanged)
    Q_PROPERTY(double importProgress MEMBER importProgress NOTIFY importProgressChanged)
    Q_PROPERTY(bool playKeyUp MEMBER playKeyUp NOTIFY playKeyUpChanged)
    Q_PROPERTY(bool stereo MEMBER stereo NOTIFY stereoChanged)
    Q_PROPERTY(bool pitchVariation MEMBER pitchVariation NOTIFY pitchVariationChanged)
    Q_PROPERTY(bool builtInSpeakers MEMBER builtInSpeakers NOTIFY builtInSpeakersChanged)
    Q_PROPERTY(bool launchAtLogin MEMBER launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QString muteShortcut MEMBER muteShortcut NOTIFY muteShortcutChanged)
    Q_PROPERTY(bool hasTrayHost MEMBER hasTrayHost NOTIFY hasTrayHostChanged)
    Q_PROPERTY(QString accessRequest MEMBER accessRequest NOTIFY accessRequestChanged)
    Q_PROPERTY(bool accessRuleInstalled MEMBER accessRuleInstalled NOTIFY keyboardAccessChanged)
    Q_PROPERTY(QString accessThrough MEMBER accessThrough NOTIFY keyboardAccessChanged)

public:
    using QObject::QObject;

    bool isEnabled = true;
    double volume = 0.6;
    bool hasPermission = true;
    QString selectedPackID = QStringLiteral("bundle:mx-brown-pbt");
    QString importError;
    bool isImporting = false;
    double importProgress = 0.0;
    bool playKeyUp = true;
    bool stereo = true;
    bool pitchVariation = true;
    bool builtInSpeakers = true;
    bool launchAtLogin = false;
    QString muteShortcut = QStringLiteral("bothShifts");
    bool hasTrayHost = true;
    QString accessRequest = QStringLiteral("notAsked");
    bool accessRuleInstalled = false;
    QString accessThrough = QStringLiteral("x11");

signals:
    void isEnabledChanged();
    void volumeChanged();
    void hasPermissionChanged();
    void selectedPackIDChanged();
    void importErrorChanged();
    void importProgressChanged();
    void playKeyUpChanged();
    void stereoChanged();
    void pitchVariationChanged();
    void builtInSpeakersChanged();
    void launchAtLoginChanged();
    void muteShortcutChanged();
    void hasTrayHostChanged();
    void accessRequestChanged();
    void keyboardAccessChanged();
};
