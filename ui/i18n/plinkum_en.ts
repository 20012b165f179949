<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AboutTab</name>
    <message>
        <location filename="../qml/AboutTab.qml" line="35"/>
        <source>Version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="43"/>
        <source>Keystrokes are only used to play sounds. Nothing is recorded, stored, or sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="55"/>
        <source>Recorded key by key: %1. Derived from recordings of related switches: %2. The acknowledgements name who made each recording and its licence.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="67"/>
        <source>Website</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="68"/>
        <source>Contact support</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="69"/>
        <source>Acknowledgements</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccessMock</name>
    <message>
        <location filename="../qml/AccessMock.qml" line="27"/>
        <source>Password prompt  ›  Keyboard access for this seat</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccessStep</name>
    <message>
        <location filename="../qml/AccessStep.qml" line="36"/>
        <source>Let %1 hear your keys</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="44"/>
        <source>Linux keeps keyboards private, so %1 asks once for keyboard access. It only listens for key presses to play sounds — nothing is recorded, stored, or sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="58"/>
        <source>Allow Keyboard Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="69"/>
        <source>Waiting for permission…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="75"/>
        <source>Already allowed? Reopen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Chip</name>
    <message>
        <location filename="../SwitchPickerModel.cpp" line="8"/>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../SwitchPickerModel.cpp" line="9"/>
        <source>Custom</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Family</name>
    <message>
        <location filename="../qml/SoundsTab.qml" line="51"/>
        <location filename="../PackCatalog.cpp" line="87"/>
        <source>Custom</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Footer</name>
    <message>
        <location filename="../qml/Footer.qml" line="20"/>
        <source>Settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/Footer.qml" line="21"/>
        <source>Ctrl+,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/Footer.qml" line="26"/>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/Footer.qml" line="27"/>
        <source>Ctrl+Q</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GeneralTab</name>
    <message>
        <location filename="../qml/GeneralTab.qml" line="23"/>
        <source>Launch at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="26"/>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="27"/>
        <source>Spatial sound plays keys on the left from the left speaker. Slight pitch variation keeps fast typing from sounding robotic.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="28"/>
        <source>Play key release sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="29"/>
        <source>Stereo spatial sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="30"/>
        <source>Vary pitch slightly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="33"/>
        <source>Like a real keyboard, the sounds come from your computer even when headphones are connected. Turn this off to hear them in your headphones.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="34"/>
        <source>Always play through built-in speakers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="37"/>
        <source>Permissions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="46"/>
        <source>Keyboard access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="53"/>
        <source>Allowed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="57"/>
        <source>Allow Keyboard Access</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Header</name>
    <message>
        <location filename="../qml/Header.qml" line="51"/>
        <source>Paused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/Header.qml" line="62"/>
        <location filename="../qml/Header.qml" line="66"/>
        <source>Enable Sounds</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HeroPanel</name>
    <message>
        <location filename="../qml/HeroPanel.qml" line="54"/>
        <source>Mechanical switch sounds for the keyboard you already have.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="64"/>
        <source>%1 switches, %2 of them recorded key by key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="67"/>
        <source>Instant, low-latency playback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="68"/>
        <source>Private — nothing leaves your computer</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImportErrorAlert</name>
    <message>
        <location filename="../qml/ImportErrorAlert.qml" line="52"/>
        <source>Couldn&apos;t import sound pack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ImportErrorAlert.qml" line="68"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PermissionBanner</name>
    <message>
        <location filename="../qml/PermissionBanner.qml" line="33"/>
        <source>Keyboard access needed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PermissionBanner.qml" line="40"/>
        <source>Allow keyboard access so sounds can play while you type. Keystrokes are never recorded or sent anywhere.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PermissionBanner.qml" line="51"/>
        <source>Allow Keyboard Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PermissionBanner.qml" line="71"/>
        <source>Quit and Reopen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReadyStep</name>
    <message>
        <location filename="../qml/ReadyStep.qml" line="44"/>
        <source>You’re all set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="51"/>
        <source>%1 lives in your system tray. Click the keycap icon to switch sounds or change the volume.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="74"/>
        <source>Type here to try it…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="106"/>
        <source>Start typing</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <location filename="../qml/SettingsView.qml" line="14"/>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SettingsView.qml" line="15"/>
        <source>Sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SettingsView.qml" line="16"/>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../qml/SettingsWindow.qml" line="12"/>
        <source>%1 Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SoundsTab</name>
    <message>
        <location filename="../qml/SoundsTab.qml" line="52"/>
        <source>Import a folder with a pack.json, or any Mechvibes sound pack.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="63"/>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="84"/>
        <location filename="../qml/SoundsTab.qml" line="102"/>
        <source>Import Sound Pack…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="89"/>
        <source>Open Sound Packs Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VolumeRow</name>
    <message>
        <location filename="../qml/VolumeRow.qml" line="16"/>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
