#include "tests/support/AppTestSupport.h"
#include "tests/support/PeerHome.h"

#include "ui/OnboardingWindowController.h"
#include "packs/PackLevel.h"
#include "ui/PackCatalog.h"
#include "packs/PackLibrary.h"
#include "ui/PackOrigin.h"
#include "ui/PanelPlacement.h"
#include "ui/SettingsWindowController.h"
#include "ui/StyleKit.h"
#include "ui/SwitchPickerModel.h"
#include "tests/support/TestPacks.h"
#include "ui/TrayPanel.h"
#include "ui/UserInterface.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace plinkum;

namespace {

QStringList qmlWarnings;
QtMessageHandler defaultHandler = nullptr;

// Faults in the views surface as warnings that name their QML file, or as our own log lines.
void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    defaultHandler(type, context, message);
    if (type != QtDebugMsg && type != QtInfoMsg && (message.contains("qrc:/") || message.contains("QML") || message.contains("Plinkum:")))
        qmlWarnings.append(message);
}

// The first item in a view's visual tree with this objectName, depth first.
QQuickItem *findNamed(QQuickItem *item, const QString &name)
{
    if (item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems())
        if (QQuickItem *found = findNamed(child, name))
            return found;
    return nullptr;
}

// A left click on the item, at its centre unless told where.
void click(QQuickWindow *window, QQuickItem *item, QPointF at = {-1, -1})
{
    if (at.x() < 0)
        at = QPointF(item->width() / 2, item->height() / 2);
    QTest::mouseClick(window, Qt::LeftButton, {}, item->mapToScene(at).toPoint());
}

PackInfo pack(const QString &folder, const QString &name, std::optional<QString> type, bool builtIn = true)
{
    PackInfo info;
    info.id = PackInfo::idFor(folder, builtIn);
    info.name = name;
    info.type = std::move(type);
    info.isBuiltIn = builtIn;
    return info;
}

void fillCatalog(PackCatalog &catalog, QList<PackInfo> custom)
{
    const QList<PackInfo> builtIn{
        pack("mx-red", "Cherry MX Red", "Linear"), pack("mx-black", "Cherry MX Black", "Linear"),
        pack("yellow", "Gateron Yellow", "Linear"), pack("nk-cream", "NovelKeys Cream", "Linear"),
        pack("alpaca", "Alpaca", "Linear"), pack("tealios", "Tealios V2", "Linear"),
        pack("red-ink", "Gateron Red Ink", "Linear"), pack("black-ink", "Gateron Black Ink", "Linear"),
        pack("mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile"), pack("mx-brown-abs", "Cherry MX Brown · ABS", "Tactile"),
        pack("holy-panda", "Holy Panda", "Tactile"), pack("topre", "Topre · 45 g", "Tactile"),
        pack("mx-blue", "Cherry MX Blue", "Clicky"), pack("box-navy", "Kailh Box Navy", "Clicky"),
        pack("alps-blue", "Alps SKCM Blue", "Vintage"), pack("buckling-spring", "Buckling Spring · Model M", "Vintage"),
        pack("odd", "Odd One", std::nullopt)};
    QList<PackCatalog::Group> groups;
    for (const PackInfo &info : builtIn) {
        if (groups.isEmpty() || groups.last().title != info.type.value_or("Other"))
            groups.append({info.type.value_or("Other"), {}});
        groups.last().packs.append(info);
    }
    catalog.setPacks(builtIn, groups, std::move(custom));
}

} // namespace

class TestUiScreens : public QObject {
    Q_OBJECT

public slots:
    void opened(const QUrl &url) { m_opened.append(url); }

private slots:
    void initTestCase()
    {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        m_screenshots.setPath(QStringLiteral(PLINKUM_BINARY_DIR "/screenshots"));
        QVERIFY(m_screenshots.mkpath("."));
    }

    void init()
    {
        m_catalog = std::make_unique<PackCatalog>();
        fillCatalog(*m_catalog, {});
        m_catalog->setFolder(QUrl::fromLocalFile(QDir::tempPath() + "/Plinkum/Packs"));
        m_opened.clear();
        build(true);
        qmlWarnings.clear();
        defaultHandler = qInstallMessageHandler(collectWarnings);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        m_ui.reset();
        m_state.reset();
        m_folders.reset();
        const QStringList warnings = qmlWarnings;
        qmlWarnings.clear();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void panelShowsEveryState_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QString>("filter");
        QTest::newRow("enabled") << true << true << "All";
        QTest::newRow("disabled") << false << true << "All";
        QTest::newRow("banner") << true << false << "All";
        QTest::newRow("filter-tactile") << true << true << "Tactile";
    }
    void panelShowsEveryState()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, permission);
        QFETCH(QString, filter);
        build(permission);
        m_state->setIsEnabled(enabled);
        m_ui->panel().showWindow();
        QQuickWindow *window = m_ui->panel().window();
        QVERIFY(window);

        QQuickItem *picker = findItem(window, "switchPicker");
        QVERIFY(picker);
        picker->setProperty("filter", filter);
        QCOMPARE(findItem(window, "switchGrid")->property("count").toInt(), filter == "All" ? 17 : 4);

        QQuickItem *banner = findItem(window, "permissionBanner");
        QVERIFY(banner);
        QCOMPARE(banner->isVisible(), !permission);
        QQuickItem *content = findItem(window, "panelContent");
        QVERIFY(content);
        QCOMPARE(content->isEnabled(), enabled);
        shoot(window, "panel-" + QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(content->opacity(), enabled ? 1.0 : 0.45);
    }

    // Panel clicks reach the engine: the switch mutes, a tile loads and previews, the slider previews on release.
    void panelDrivesTheEngine()
    {
        m_catalog->track(*m_state->library());
        QTRY_VERIFY_WITH_TIMEOUT(!m_state->isLoadingPack(), 10000);
        m_ui->panel().showWindow();
        QQuickWindow *window = m_ui->panel().window();
        settle(window);
        const SoundEngine &engine = m_state->engine();
        click(window, findItem(window, "enableSwitch"));
        QVERIFY(!m_state->isEnabled() && !engine.config().enabled);
        click(window, findItem(window, "enableSwitch"));

        // Built-in packs: MX Brown PBT (selected), then Alpaca in the second column.
        QQuickItem *grid = findItem(window, "switchGrid");
        QCOMPARE(grid->property("count").toInt(), 2);
        click(window, grid, QPointF(grid->width() * 0.75, 20));
        QCOMPARE(m_state->selectedPackID(), "bundle:alpaca");
        QTRY_COMPARE_WITH_TIMEOUT(engine.nextVoice(), std::size_t(1), 10000);
        QCOMPARE(engine.pack()->info().id, "bundle:alpaca");

        QQuickItem *slider = findItem(window, "volumeSlider");
        const QPoint start = slider->mapToScene(QPointF(slider->width() * 0.6, slider->height() / 2)).toPoint();
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(window, start + QPoint(step * 6, 0), 5);
        QVERIFY(m_state->volume() > 0.6);
        QCOMPARE(engine.nextVoice(), std::size_t(1));
        QTest::mouseRelease(window, Qt::LeftButton, {}, start + QPoint(60, 0));
        QCOMPARE(engine.nextVoice(), std::size_t(2));
        QCOMPARE(engine.config().volume, float(m_state->volume()));
    }

    // Opened from the panel's button; Ctrl+, brings the closed window back on the tab it was left on.
    void settingsShowsEveryTabAndKeepsItsWindow()
    {
        m_ui->panel().showWindow();
        QQuickWindow *panel = m_ui->panel().window();
        settle(panel);
        click(panel, findItem(panel, "settingsButton"));
        QQuickWindow *window = m_ui->settings().window();
        QVERIFY(window);

        PackInfo thock = pack("thock", "Thock · Lubed", std::nullopt, false);
        thock.trimDb = -3.5;
        PackInfo clicks = pack("clicks", "G305 Clicks", std::nullopt, false);
        clicks.keyboard = false;
        clicks.mouse = true;
        m_catalog->setPacks(m_catalog->builtIn(), m_catalog->groups(), {pack("Blue Box", "Blue Box", std::nullopt, false), thock, clicks});
        for (const QString tab : {"general", "sounds", "about"}) {
            window->setProperty("tab", tab);
            shoot(window, "settings-" + tab);
        }
        openSettings("sounds", true);
        shoot(window, "settings-sounds-custom");
        window->setProperty("tab", "about");
        window->close();
        QVERIFY(!window->isVisible());
        m_ui->panel().showWindow();
        QTest::keyClick(panel, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(m_ui->settings().window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->property("tab").toString(), "about");
    }

    // The 21 built-in packs as built: own swatch colour, origin line, names whole in the grid.
    void builtInPacksShowNameColourAndOrigin()
    {
        QTemporaryDir user;
        PackLibrary library(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR), user.path());
        m_catalog->track(library);
        QCOMPARE(m_catalog->recordedNames().size() + m_catalog->derivedNames().size(), 21);
        QVERIFY(m_catalog->recordedNames().contains("Holy Panda") && m_catalog->derivedNames().contains("Gateron Yellow"));
        for (const QVariant &entry : m_catalog->property("builtIn").toList()) {
            const QVariantMap pack = entry.toMap();
            QVERIFY2(pack["color"].value<QColor>() != StyleKit::accent(), qPrintable(pack["id"].toString()));
            const QString line = pack["originLine"].toString();
            QVERIFY2(line.startsWith("Recorded") || line.startsWith("Derived"), qPrintable(pack["id"].toString() + ": " + line));
            QVERIFY2(!line.contains("http"), qPrintable(line));
        }

        fillCustom({pack("long", "A Pack With A Rather Long Name That Goes On And On", std::nullopt, false)});
        m_ui->panel().showWindow();
        QQuickWindow *panel = m_ui->panel().window();
        settle(panel);
        QQuickItem *grid = findItem(panel, "switchGrid");
        QCOMPARE(grid->property("count").toInt(), 22);
        // The built-in names fit their two lines; a longer one of the user's shows whole on hover.
        QList<QQuickItem *> items{grid};
        int titles = 0;
        for (qsizetype i = 0; i < items.size(); ++i) {
            items += items[i]->childItems();
            if (items[i]->objectName() != "tileTitle")
                continue;
            ++titles;
            const bool custom = items[i]->property("text").toString().startsWith("A Pack");
            QVERIFY2(items[i]->property("truncated").toBool() == custom, qPrintable(items[i]->property("text").toString()));
        }
        QCOMPARE(titles, 22);
        QQuickItem *chips = findItem(panel, "chipRow");
        for (QQuickItem *chip : chips->childItems())
            QVERIFY2(chip->width() == 0 || chip->x() + chip->width() <= chips->width(), qPrintable(chip->property("text").toString()));
        shoot(panel, "panel-grid-names");
        grid->setProperty("contentY", grid->property("contentHeight").toReal() - grid->height());
        shoot(panel, "panel-grid-names-end");

        m_ui->context().showSettings();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "about");
        shoot(window, "settings-about");
    }

    void packOriginLine_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("credit");
        QTest::addColumn<QString>("line");
        QTest::newRow("recorded, credit says so") << "recorded"
            << "Recorded key by key for Mechvibes (https://example.org/mv), MIT licence; shipped as is"
            << "Recorded key by key for Mechvibes, MIT licence";
        QTest::newRow("recorded, a name") << "recorded" << "Jane Doe (jane@example.org)" << "Recorded by Jane Doe";
        QTest::newRow("recorded, no credit") << "recorded" << "" << "Recorded";
        QTest::newRow("derived") << "derived" << "the Cherry MX Brown recordings (Mechvibes, MIT)."
                                 << "Derived from the Cherry MX Brown recordings";
        QTest::newRow("modelled") << "modelled" << "" << "Modelled";
        QTest::newRow("says nothing") << "" << "" << "";
        QTest::newRow("unknown source, credit") << "sampled" << "Someone (x (y))" << "Someone";
    }
    void packOriginLine()
    {
        QFETCH(QString, source);
        QFETCH(QString, credit);
        QTEST(PackOrigin::line(source, credit), "line");
    }

    // The shortcut and click sound choices show the state and store the choice; the panel says
    // what clicks play; a pack of clicks only is offered for clicks, never as the keyboard's.
    void generalChoicesShowAndStoreTheState()
    {
        m_state->setMuteShortcut("scrollLockTwice");
        TestPacks::writeFolder(m_folders->user + "/Clicks",
                               {{"pack.json", R"({"name": "Desk Mouse", "mouse": {"left": ["click.wav"]}})"}, {"click.wav", TestPacks::wav}});
        QTRY_COMPARE_WITH_TIMEOUT(m_state->mousePackChoices().size(), 2, 10000); // and "Same as keyboard"
        m_catalog->track(*m_state->library());
        QVERIFY(m_catalog->custom().isEmpty());
        m_state->setMouseClicks(true);
        QQuickWindow *window = openSettings("general");
        QQuickItem *choice = findItem(window, "muteShortcutChoice");
        QQuickItem *mouse = findItem(window, "mousePackChoice");
        QVERIFY(choice && mouse);
        QCOMPARE(choice->property("currentValue").toString(), "scrollLockTwice");
        QCOMPARE(mouse->property("currentValue").toString(), "folder:Clicks");
        shoot(window, "settings-general-mouse");
        choice->setProperty("currentIndex", 2);
        QVERIFY(QMetaObject::invokeMethod(choice, "activated", Q_ARG(int, 2)));
        QCOMPARE(m_state->muteShortcut(), "off");
        mouse->setProperty("currentIndex", 0);
        QVERIFY(QMetaObject::invokeMethod(mouse, "activated", Q_ARG(int, 0)));
        QCOMPARE(m_state->mousePackID(), "sameAsKeyboard");

        m_ui->panel().showWindow();
        QQuickWindow *panel = m_ui->panel().window();
        QCOMPARE(findItem(panel, "mouseState")->property("text").toString(), "Same as keyboard");
        shoot(panel, "panel-mouse");
        click(panel, findItem(panel, "mouseSwitch"));
        QVERIFY(!m_state->mouseClicks());
    }

    // Every About link opens a file installed with Plinkum; none sends the user off the machine.
    void aboutLinksOpenOnlyWhatShips()
    {
        const QStringList schemes{"file", "http", "https", "mailto"};
        for (const QString &scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "opened");
        const auto unset = qScopeGuard([&schemes] {
            for (const QString &scheme : schemes)
                QDesktopServices::unsetUrlHandler(scheme);
        });
        QQuickWindow *window = openSettings("about");
        QQuickItem *links = findItem(window, "aboutLinks");
        QVERIFY(links && !links->childItems().isEmpty());
        for (QQuickItem *link : links->childItems())
            click(window, link);
        QCOMPARE(m_opened.size(), links->childItems().size());
        for (const QUrl &url : m_opened)
            QVERIFY2(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()), qPrintable(url.toString()));
    }

    // Sounds tab: a cancelled chooser imports nothing, an import shows progress, an error shows in an alert Esc clears.
    void importFromTheSoundsTab()
    {
        QQuickWindow *window = openSettings("sounds", true);
        click(window, findItem(window, "importButton"), QPointF(10, 10));
        QObject *chooser = findItem(window, "soundsTab")->findChild<QObject *>("importDialog");
        QVERIFY(chooser);
        QTRY_VERIFY(chooser->property("visible").toBool());
        QVERIFY(QMetaObject::invokeMethod(chooser, "reject"));
        QTRY_VERIFY(!chooser->property("visible").toBool());
        QVERIFY(!m_state->isImporting() && m_state->importError().isEmpty());

        const QString source = m_folders->root.filePath("source/Blue Box");
        TestPacks::writeFolder(source, TestPacks::validPack("Blue Box"));
        QSignalSpy finished(m_state.get(), &AppState::importFinished);
        // Progress arrives from the event loop: until it runs, the view shows the start.
        QVERIFY(m_state->importPack(QUrl::fromLocalFile(source)));
        QQuickItem *progress = findItem(window, "importProgress");
        QVERIFY(progress && progress->isVisible());
        QCOMPARE(progress->property("value").toDouble(), 0.0);
        QVERIFY(!findItem(window, "importButton")->isEnabled());
        QVERIFY(window->grabWindow().save(m_screenshots.filePath("settings-importing.png")));
        QVERIFY(finished.wait(10000));
        QVERIFY(!progress->isVisible() && findItem(window, "importButton")->isEnabled());
        // The import measured the pack's level; the row's trim box stores the user's trim beside it.
        fillCustom(m_state->library()->custom());
        QMetaObject::invokeMethod(findItem(window, "soundsTab"), "scrollToEnd");
        settle(window);
        QQuickItem *trim = findItem(window, "trimBox");
        click(window, trim, QPointF(trim->width() - 8, trim->height() / 2));
        const PackLevel level = PackLevel::read(m_state->library()->custom().first().url.toLocalFile());
        QVERIFY(level.gainDb && level.trimDb == 0.5);

        m_state->setImportError("The folder must contain a pack.json or a Mechvibes config.json.");
        shoot(window, "settings-import-error");
        QObject *alert = window->findChild<QObject *>("importErrorAlert");
        QVERIFY(alert && alert->property("opened").toBool());
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!alert->property("visible").toBool());
        QCOMPARE(m_state->importError(), QString());
        QVERIFY(window->isVisible()); // Esc went to the alert alone
    }

    // Packs of other programs: the first-run window mentions them, the Sounds tab's dialog lists them
    // and imports the ticked ones, and the import's warnings are shown.
    void importFromOtherApps()
    {
        const QString home = m_folders->root.filePath("home");
        QVERIFY(PeerHome::write(home));
        QVERIFY(TestPacks::writeFolder(m_folders->user + "/My Topre", {{"config.json", PeerHome::topre}, {"click.wav", TestPacks::wav}}));
        const PeerHome::Pointing pointing(home);

        m_ui->onboarding().show();
        QQuickWindow *first = m_ui->onboarding().window();
        QTRY_VERIFY(findItem(first, "peerPacksMention")->isVisible());
        shoot(first, "onboarding-ready-peer-packs");
        first->close();

        QQuickWindow *window = openSettings("sounds", true);
        click(window, findItem(window, "peerImportOpenButton"));
        QObject *dialog = findItem(window, "soundsTab")->findChild<QObject *>("peerImportDialog");
        QTRY_VERIFY(dialog->property("opened").toBool() && !m_state->isFindingPeerPacks());
        const QVariantList found = m_state->peerPacks();
        const auto importable = std::count_if(found.begin(), found.end(), [](const QVariant &pack) {
            return !pack.toMap()["imported"].toBool() && pack.toMap()["problem"].toString().isEmpty();
        });
        QVERIFY(found.size() >= 6 && importable >= 2);
        QTRY_COMPARE(findItem(window, "peerPackList")->property("count").toInt(), found.size());
        QQuickItem *importButton = findItem(window, "peerImportButton");
        QCOMPARE(importButton->property("text").toString(), QStringLiteral("Import %1 Packs").arg(importable));
        shoot(window, "settings-import-from-apps");

        const QString selected = m_state->selectedPackID();
        QSignalSpy finished(m_state.get(), &AppState::importFinished);
        click(window, importButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), true);
        QTRY_VERIFY(!dialog->property("visible").toBool());
        const QStringList packs = TestPacks::contents(m_folders->user).filter(QRegularExpression("^[^/]*$"));
        QCOMPARE(packs.size(), importable + 1);
        QVERIFY(packs.contains("Topre") && packs.contains("cherry-blue"));
        QCOMPARE(m_state->selectedPackID(), selected);
        QTRY_VERIFY(window->findChild<QObject *>("importErrorAlert")->property("opened").toBool());
        QVERIFY(findItem(window, "importDetails")->property("text").toString().contains("Topre: config.json: "));
        shoot(window, "settings-import-warnings");
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(m_state->importWarnings().isEmpty());
    }

    // Pack names and errors are plain text: an <img> in a pack name never makes a view fetch anything.
    void dataIsShownAsPlainText_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("pack name in the settings list") << "settings";
        QTest::newRow("import error") << "error";
        QTest::newRow("selected pack in the panel") << "panel";
    }
    void dataIsShownAsPlainText()
    {
        QFETCH(QString, where);
        const QString hostile = R"(<img src="http://127.0.0.1:9/x.png">Evil <b>pack</b>)";
        fillCatalog(*m_catalog, {pack("evil", hostile, std::nullopt, false)});
        m_state->setSelectedPackID("folder:evil");
        QQuickWindow *window = nullptr;
        if (where == "panel") {
            m_ui->panel().showWindow();
            window = m_ui->panel().window();
        } else {
            window = openSettings("sounds", true);
            if (where == "error")
                m_state->setImportError("Could not copy “" + hostile + "”.");
        }
        settle(window);
        int shown = 0;
        QList<QQuickItem *> items{window->contentItem()};
        for (qsizetype i = 0; i < items.size(); ++i)
            items += items[i]->childItems();
        for (QQuickItem *item : items) {
            if (!item->inherits("QQuickText") || !item->property("text").toString().contains(hostile))
                continue;
            ++shown;
            QCOMPARE(item->property("textFormat").toInt(), 0); // Text.PlainText
        }
        QVERIFY(shown > 0);
        QCOMPARE(m_state->importError().isEmpty(), where != "error");
    }

    // The view's remove reaches the library and the catalog, for a pack of click sounds only too
    // (built-in refusals: tst_appstate, tst_packlibrary).
    void removeReachesUserPacks()
    {
        TestPacks::writeFolder(m_folders->user + "/mine", TestPacks::validPack("Mine"));
        TestPacks::writeFolder(m_folders->user + "/clicks",
                               {{"pack.json", R"({"name": "Clicks", "mouse": {"left": ["click.wav"]}})"}, {"click.wav", TestPacks::wav}});
        m_state->library()->reloadCustom();
        m_catalog->track(*m_state->library());
        m_ui->context().removePack("folder:mine");
        m_ui->context().removePack("folder:clicks");
        QVERIFY(m_state->library()->custom().isEmpty() && m_catalog->property("custom").toList().isEmpty());
    }

    // Stored as open until the user closes it (Start typing, Return), not when the application ends.
    void onboardingAdvancesWhenAccessArrives_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("stored");
        QTest::newRow("start typing") << "button" << false;
        QTest::newRow("return in the field") << "return" << false;
        QTest::newRow("application ends") << "destroy" << true;
    }
    void onboardingAdvancesWhenAccessArrives()
    {
        QFETCH(QString, ending);
        build(false);
        m_ui->onboarding().show();
        QQuickWindow *window = m_ui->onboarding().window();
        QVERIFY(window);
        QCOMPARE(storedOnboardingOpen(), true);
        QCOMPARE(window->property("step").toString(), "access");
        QVERIFY(!(window->flags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        shoot(window, "onboarding-access");
        QSignalSpy closed(&m_ui->onboarding(), &OnboardingWindowController::closedByUser);
        // The request runs the grant helper through (a stand-in for) pkexec; access follows.
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_COMPARE(window->property("step").toString(), "ready");
        QTest::qWait(700); // the spring settles in about 0.6 s
        shoot(window, "onboarding-ready");

        QQuickItem *field = findItem(window, "tryItField");
        QVERIFY(field && field->hasActiveFocus());
        QTest::keyClick(window, Qt::Key_H);
        QTest::keyClick(window, Qt::Key_I);
        QCOMPARE(field->property("text").toString(), "hi");
        if (ending == "button") {
            click(window, findItem(window, "startButton"), QPointF(20, 20));
        } else if (ending == "return") {
            QTest::keyClick(window, Qt::Key_Return);
            QCOMPARE(field->property("text").toString(), "hi");
        } else {
            m_ui.reset();
        }
        QVERIFY(!m_ui || !window->isVisible());
        QTEST(storedOnboardingOpen(), "stored");
        QCOMPARE(closed.count(), ending == "destroy" ? 0 : 1); // the application shows the panel then
    }

    // The ready step says where Plinkum lives: tray, app menu, or on GNOME the tray extension.
    void onboardingReadySaysWherePlinkumLives_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QString>("says");
        QTest::newRow("tray") << true << QByteArray("KDE") << "system tray";
        QTest::newRow("no tray") << false << QByteArray("XFCE") << "app menu";
        QTest::newRow("no tray on GNOME") << false << QByteArray("ubuntu:GNOME") << "AppIndicator";
    }
    void onboardingReadySaysWherePlinkumLives()
    {
        QFETCH(bool, tray);
        QFETCH(QByteArray, desktop);
        const QByteArray before = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        const auto restore = qScopeGuard([&before] { qputenv("XDG_CURRENT_DESKTOP", before); });
        m_state->setHasTrayHost(tray);
        m_ui->onboarding().show();
        QQuickWindow *window = m_ui->onboarding().window();
        QCOMPARE(window->property("step").toString(), "ready");
        QFETCH(QString, says);
        const QString text = findItem(window, "homeText")->property("text").toString();
        QVERIFY2(text.contains(says), qPrintable(text));
        QCOMPARE(text.contains("AppIndicator"), says == "AppIndicator");
        QVERIFY(!findItem(window, "noAccessText")->isVisible());
        shoot(window, "onboarding-ready-" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
    }

    // At its smallest, settings scroll to the keyboard access row; Esc and Ctrl+W close.
    void settingsAtItsMinimumScrollsAndCloses_data()
    {
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QKeySequence>("closeKey");
        QTest::newRow("heard") << true << QKeySequence(Qt::Key_Escape);
        QTest::newRow("not heard") << false << QKeySequence(Qt::CTRL | Qt::Key_W);
    }
    void settingsAtItsMinimumScrollsAndCloses()
    {
        QFETCH(bool, permission);
        build(permission);
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        QVERIFY(window->minimumWidth() < 520 && window->minimumHeight() < 505);
        window->resize(window->minimumWidth(), window->minimumHeight());
        openSettings("general", true);
        QQuickItem *row = findItem(window, "keyboardAccessRow");
        const QRectF shown = row->mapRectToScene(QRectF(0, 0, row->width(), row->height()));
        QVERIFY2(shown.top() >= 0 && shown.bottom() <= window->height(), qPrintable(QString::number(shown.bottom())));
        // No rule is installed here: nothing to remove.
        QVERIFY(!findItem(window, "removeAccessButton")->isVisible());
        QCOMPARE(findItem(window, "allowAccessButton")->isVisible(), !permission);
        if (permission)
            shoot(window, "settings-minimum-permissions");
        QFETCH(QKeySequence, closeKey);
        QTest::keySequence(window, closeKey);
        QTRY_VERIFY(!window->isVisible());
    }

    // "Custom" is a chip only while there are user packs, which show there alone; a gone chip's filter holds.
    void switchPickerFilters()
    {
        SwitchPickerModel picker;
        picker.setCatalog(m_catalog.get());
        QCOMPARE(picker.chips(), QStringList({"All", "Linear", "Tactile", "Clicky", "Vintage", "Other"}));
        QCOMPARE(picker.visiblePacks().size(), 17);

        QSignalSpy chipsChanged(&picker, &SwitchPickerModel::chipsChanged);
        fillCatalog(*m_catalog, {pack("mine", "Mine", "Linear", false)});
        QCOMPARE(chipsChanged.count(), 1);
        QCOMPARE(picker.chips().last(), "Custom");
        QCOMPARE(picker.visiblePacks().last().id, "folder:mine");

        QSignalSpy visibleChanged(&picker, &SwitchPickerModel::visiblePacksChanged);
        picker.setFilter("Linear");
        QCOMPARE(visibleChanged.count(), 1);
        QCOMPARE(picker.visiblePacks().size(), 8);
        QVERIFY(!TestPacks::ids(picker.visiblePacks()).contains("folder:mine"));
        picker.setFilter("Other");
        QVERIFY(picker.visiblePacks().isEmpty());
        picker.setFilter("Custom");
        QCOMPARE(TestPacks::ids(picker.visiblePacks()), QStringList({"folder:mine"}));

        fillCatalog(*m_catalog, {});
        QVERIFY(!picker.chips().contains("Custom"));
        QCOMPARE(picker.filter(), "Custom");
        QVERIFY(picker.visiblePacks().isEmpty() && picker.property("visiblePacks").toList().isEmpty());
    }

    void panelOpensBesideTrayOrPointerAndStaysOnScreen_data()
    {
        QTest::addColumn<QRect>("tray");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("top bar: centred under the icon") << QRect(1000, 0, 24, 24) << QPoint() << QPoint(842, 30);
        QTest::newRow("bottom bar: above the icon") << QRect(1000, 1056, 24, 24) << QPoint() << QPoint(842, 650);
        QTest::newRow("icon in the corner: kept on screen") << QRect(1896, 0, 24, 24) << QPoint() << QPoint(1580, 30);
        QTest::newRow("no icon place: at the pointer") << QRect() << QPoint(100, 10) << QPoint(0, 17);
    }
    void panelOpensBesideTrayOrPointerAndStaysOnScreen()
    {
        QFETCH(QRect, tray);
        QFETCH(QPoint, pointer);
        QTEST(PanelPlacement::topLeft(tray, pointer, QRect(0, 0, 1920, 1080), QSize(340, 400)), "expected");
    }

private:
    // A state on fresh folders, with or without keyboard access; pkexec is a script that grants it.
    void build(bool access)
    {
        m_ui.reset();
        m_state.reset();
        m_folders = std::make_unique<AppTestSupport::Folders>();
        const QString granted = m_folders->root.filePath("granted");
        if (access)
            TestPacks::writeText(granted, "");
        AppState::Services services = m_folders->services([granted] { return QFile::exists(granted); });
        services.pkexec = m_folders->root.filePath("pkexec");
        TestPacks::writeText(services.pkexec, "#!/bin/sh\ntouch '" + granted.toUtf8() + "'\n");
        QFile::setPermissions(services.pkexec, QFile::ReadOwner | QFile::ExeOwner);
        m_state = std::make_unique<AppState>(std::move(services));
        m_ui = std::make_unique<UserInterface>(m_state.get(), m_catalog.get());
    }

    bool storedOnboardingOpen() const
    {
        return QSettings(m_folders->settings, QSettings::IniFormat).value("onboardingOpen").toBool();
    }

    void fillCustom(QList<PackInfo> custom)
    {
        m_catalog->setPacks(m_catalog->builtIn(), m_catalog->groups(), std::move(custom));
    }

    // The settings window on `tab`, scrolled to its end when told.
    QQuickWindow *openSettings(const QString &tab, bool toEnd = false)
    {
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", tab);
        settle(window);
        if (toEnd) {
            QMetaObject::invokeMethod(findItem(window, tab + "Tab"), "scrollToEnd");
            settle(window);
        }
        return window;
    }

    QQuickItem *findItem(QQuickWindow *window, const QString &name) const
    {
        QQuickItem *item = findNamed(window->contentItem(), name);
        if (!item)
            qWarning("no item named %s", qPrintable(name));
        return item;
    }

    void shoot(QQuickWindow *window, const QString &name)
    {
        settle(window, 250);
        const QImage image = window->grabWindow();
        QVERIFY(!image.isNull() && image.save(m_screenshots.filePath(name + ".png")));
    }

    void settle(QQuickWindow *window, int ms = 100)
    {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(ms);
    }

    QDir m_screenshots;
    std::unique_ptr<AppTestSupport::Folders> m_folders;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<PackCatalog> m_catalog;
    std::unique_ptr<UserInterface> m_ui;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestUiScreens)
#include "tst_uiscreens.moc"
