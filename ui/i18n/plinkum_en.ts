<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AboutTab</name>
    <message>
        <location filename="../qml/AboutTab.qml" line="39"/>
        <source>Version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="47"/>
        <source>Keystrokes are only used to play sounds. Nothing is recorded, stored, or sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="58"/>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="66"/>
        <source>Where the sounds come from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="67"/>
        <source>Switch names say which switch a sound was recorded from or modelled on; they are the trademarks of their owners, who have neither made nor endorsed these sounds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AboutTab.qml" line="59"/>
        <source>Acknowledgements</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccessStatus</name>
    <message>
        <location filename="../qml/AccessStatus.qml" line="31"/>
        <source>Keyboard access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStatus.qml" line="45"/>
        <source>Allowed: Plinkum hears your keys.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStatus.qml" line="46"/>
        <source>Allowed. Plinkum starts listening in a moment…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStatus.qml" line="47"/>
        <source>Asking: enter your password in the prompt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStatus.qml" line="48"/>
        <source>Not given. You can ask again, or use the input group (Learn more).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStatus.qml" line="50"/>
        <source>Not asked yet.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccessStep</name>
    <message>
        <location filename="../qml/AccessStep.qml" line="38"/>
        <source>Let %1 hear your keys</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="46"/>
        <source>To play a sound for each key, %1 needs to read your keyboard, which Linux keeps private. Allowing it asks for your password once and lets the person at this computer read keyboards. %1 only listens for key presses — nothing is recorded, stored, or sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="64"/>
        <source>Ask Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="73"/>
        <source>Not now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="79"/>
        <source>Learn more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/AccessStep.qml" line="64"/>
        <source>Allow Keyboard Access</source>
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
        <location filename="../qml/SoundsTab.qml" line="52"/>
        <location filename="../PackCatalog.cpp" line="94"/>
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
        <location filename="../qml/GeneralTab.qml" line="26"/>
        <source>Launch at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="29"/>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="30"/>
        <source>Spatial sound plays keys on the left from the left speaker. Slight pitch variation keeps fast typing from sounding robotic.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="31"/>
        <source>Play key release sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="32"/>
        <source>Stereo spatial sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="33"/>
        <source>Vary pitch slightly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="37"/>
        <source>Mouse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="38"/>
        <source>Clicks sound with their release, at their own volume. “Same as keyboard” plays the keyboard sound’s own clicks, or its key sound when it has none.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="39"/>
        <source>Play mouse clicks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="41"/>
        <location filename="../qml/GeneralTab.qml" line="52"/>
        <source>Click sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="56"/>
        <location filename="../qml/GeneralTab.qml" line="69"/>
        <source>Click volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="82"/>
        <source>Like a real keyboard, the sounds come from your computer even when headphones are connected. Turn this off to hear them in your headphones.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="83"/>
        <source>Always play through built-in speakers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="86"/>
        <source>Shortcut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="87"/>
        <source>Switches the sounds on and off from any application, as the switch in the panel does. The keys of the shortcut type nothing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="89"/>
        <location filename="../qml/GeneralTab.qml" line="100"/>
        <source>Sounds on and off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="93"/>
        <source>Both Shift keys together</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="94"/>
        <source>Scroll Lock pressed twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="95"/>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="105"/>
        <source>Permissions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="120"/>
        <source>Keyboard access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="132"/>
        <source>Through the X11 session; nothing to install or remove.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="133"/>
        <source>Through Plinkum’s keyboard access rule.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="134"/>
        <source>Through your membership of the input group.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="135"/>
        <source>The system lets you read keyboards.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="138"/>
        <source>Asking: enter your password in the prompt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="140"/>
        <source>Not given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="141"/>
        <source>Not allowed yet: keys can’t be heard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="149"/>
        <source>Allowed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="154"/>
        <source>Remove Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="161"/>
        <source>Allow Keyboard Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/GeneralTab.qml" line="180"/>
        <source>How keyboard access works, and the input group…</source>
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
        <location filename="../qml/Header.qml" line="63"/>
        <location filename="../qml/Header.qml" line="67"/>
        <source>Enable Sounds</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HeroPanel</name>
    <message>
        <location filename="../qml/HeroPanel.qml" line="55"/>
        <source>Mechanical switch sounds for the keyboard you already have.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="65"/>
        <source>%1 switches, %2 of them recorded key by key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="68"/>
        <source>Instant, low-latency playback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/HeroPanel.qml" line="69"/>
        <source>Private — nothing leaves your computer</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImportErrorAlert</name>
    <message>
        <location filename="../qml/ImportErrorAlert.qml" line="55"/>
        <source>Couldn&apos;t import sound pack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ImportErrorAlert.qml" line="55"/>
        <source>Imported, with warnings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ImportErrorAlert.qml" line="78"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MouseRow</name>
    <message>
        <location filename="../qml/MouseRow.qml" line="19"/>
        <source>Mouse clicks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/MouseRow.qml" line="28"/>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/MouseRow.qml" line="29"/>
        <source>Same as keyboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/MouseRow.qml" line="41"/>
        <source>Play mouse clicks</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PackOrigin</name>
    <message>
        <location filename="../PackOrigin.cpp" line="38"/>
        <source>Recorded by %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../PackOrigin.cpp" line="40"/>
        <source>Modelled by %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../PackOrigin.cpp" line="42"/>
        <source>Derived from %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PackRow</name>
    <message>
        <location filename="../qml/PackRow.qml" line="48"/>
        <source>Mouse clicks</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PeerImportDialog</name>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="58"/>
        <source>Import from Other Apps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="65"/>
        <source>Sound packs found in the folders of Mechvibes, MechvibesDX and keyboardsounds. The ones you choose are copied; the originals stay as they are.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="76"/>
        <source>Looking for packs…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="85"/>
        <source>No packs from other apps were found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="144"/>
        <source>Imported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="145"/>
        <source>Can’t be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="163"/>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="171"/>
        <source>Import 1 Pack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="172"/>
        <source>Import %1 Packs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/PeerImportDialog.qml" line="172"/>
        <source>Import</source>
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
        <location filename="../qml/PermissionBanner.qml" line="72"/>
        <source>Learn more</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReadyStep</name>
    <message>
        <location filename="../qml/ReadyStep.qml" line="46"/>
        <source>You’re all set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="46"/>
        <source>Ready when you are</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="56"/>
        <source>%1 lives in your system tray. Click the keycap icon to switch sounds or change the volume.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="57"/>
        <source>Without a system tray, the %1 window is its home: switch sounds and change the volume there. Close it when you like; start %1 again from the app menu to bring it back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="59"/>
        <source>For a keycap icon in the top bar, turn on the AppIndicator extension (“AppIndicator and KStatusNotifierItem Support”) in Extensions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="71"/>
        <source>Keys can’t be heard yet. Allow keyboard access from the panel whenever you like.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="84"/>
        <source>A sound pack from another app was found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="85"/>
        <source>%1 sound packs from other apps were found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="92"/>
        <source>Import…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="121"/>
        <source>Type here to try it…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/ReadyStep.qml" line="157"/>
        <source>Start typing</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <location filename="../qml/SettingsView.qml" line="16"/>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SettingsView.qml" line="17"/>
        <source>Sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SettingsView.qml" line="18"/>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../qml/SettingsWindow.qml" line="13"/>
        <source>%1 Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SoundsTab</name>
    <message>
        <location filename="../qml/SoundsTab.qml" line="53"/>
        <source>Import a folder with a pack.json, or any Mechvibes sound pack.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="67"/>
        <source>Level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="70"/>
        <source>Louder or softer than the other packs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="74"/>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="100"/>
        <location filename="../qml/SoundsTab.qml" line="141"/>
        <source>Import Sound Pack…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="106"/>
        <location filename="../qml/SoundsTab.qml" line="148"/>
        <source>Import from Zip…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="121"/>
        <source>Import from Other Apps…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="127"/>
        <source>Open Sound Packs Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../qml/SoundsTab.qml" line="149"/>
        <source>Zip archives (*.zip)</source>
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
<context>
    <name>plinkum::PackOrigin</name>
    <message>
        <location filename="../PackOrigin.cpp" line="26"/>
        <source>Recorded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../PackOrigin.cpp" line="28"/>
        <source>Modelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../PackOrigin.cpp" line="30"/>
        <source>Derived</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
