#include "FakeAppState.h"
#include "QuickItems.h"

#include "OnboardingWindowController.h"
#include "PackCatalog.h"
#include "PackLibrary.h"
#include "PackOrigin.h"
#include "PanelPlacement.h"
#include "SettingsWindowController.h"
#include "StyleKit.h"
#include "SwitchPickerModel.h"
#include "TestPacks.h"
#include "TrayPanel.h"
#include "UserInterface.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
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
        pack("mx-red", "Cherry MX Red", "Linear"),
        pack("mx-black", "Cherry MX Black", "Linear"),
        pack("yellow", "Gateron Yellow", "Linear"),
        pack("nk-cream", "NovelKeys Cream", "Linear"),
        pack("alpaca", "Alpaca", "Linear"),
        pack("tealios", "Tealios V2", "Linear"),
        pack("red-ink", "Gateron Red Ink", "Linear"),
        pack("black-ink", "Gateron Black Ink", "Linear"),
        pack("mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile"),
        pack("mx-brown-abs", "Cherry MX Brown · ABS", "Tactile"),
        pack("holy-panda", "Holy Panda", "Tactile"),
        pack("topre", "Topre · 45 g", "Tactile"),
        pack("mx-blue", "Cherry MX Blue", "Clicky"),
        pack("box-navy", "Kailh Box Navy", "Clicky"),
        pack("alps-blue", "Alps SKCM Blue", "Vintage"),
        pack("buckling-spring", "Buckling Spring · Model M", "Vintage"),
        pack("odd", "Odd One", std::nullopt),
    };
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
        m_state = std::make_unique<FakeAppState>();
        m_catalog = std::make_unique<PackCatalog>();
        fillCatalog(*m_catalog, {});
        m_catalog->setFolder(QUrl::fromLocalFile(QDir::tempPath() + "/Plinkum/Packs"));
        m_onboardingOpen.clear();
        m_deleted.clear();
        m_imported.clear();
        m_accessRequests = 0;
        m_opened.clear();

        UiContext::Actions actions;
        // Like the library, removal replaces the user pack list before the caller is done with the pack.
        actions.deletePack = [this](const PackInfo &info) {
            fillCatalog(*m_catalog, {});
            m_deleted.append(info.id);
        };
        actions.importPack = [this](const QUrl &folder) { m_imported.append(folder); };
        actions.openInputMonitoringSettings = [this] { ++m_accessRequests; };
        m_ui = std::make_unique<UserInterface>(m_state.get(), m_catalog.get(), std::move(actions),
                                               [this](bool open) { m_onboardingOpen.append(open); });
        qmlWarnings.clear();
        defaultHandler = qInstallMessageHandler(collectWarnings);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        m_ui.reset();
        const QStringList warnings = qmlWarnings;
        qmlWarnings.clear();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void panelShowsEveryState_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("file");
        QTest::newRow("enabled") << true << true << "All" << "panel-enabled";
        QTest::newRow("disabled") << false << true << "All" << "panel-disabled";
        QTest::newRow("banner") << true << false << "All" << "panel-banner";
        QTest::newRow("family filter") << true << true << "Tactile" << "panel-filter-tactile";
    }

    void panelShowsEveryState()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, permission);
        QFETCH(QString, filter);
        QFETCH(QString, file);
        m_state->isEnabled = enabled;
        m_state->hasPermission = permission;
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
        shoot(window, file);
        QCOMPARE(content->opacity(), enabled ? 1.0 : 0.45);
    }

    void settingsShowsEveryTabAndKeepsItsWindow()
    {
        m_ui->context().showSettings();
        QQuickWindow *window = m_ui->settings().window();
        QVERIFY(window);

        m_catalog->setPacks(m_catalog->builtIn(), m_catalog->groups(),
                            {pack("Blue Box", "Blue Box", std::nullopt, false), pack("thock", "Thock · Lubed", std::nullopt, false)});
        for (const QString tab : {"general", "sounds", "about"}) {
            window->setProperty("tab", tab);
            shoot(window, "settings-" + tab);
        }
        window->setProperty("tab", "sounds");
        QQuickItem *sounds = findItem(window, "soundsTab");
        QVERIFY(sounds);
        QMetaObject::invokeMethod(sounds, "scrollToEnd");
        shoot(window, "settings-sounds-custom");
        window->setProperty("tab", "about");
        // Closing hides; the next show brings the same window back on the tab it was left on.
        window->close();
        QVERIFY(!window->isVisible());
        m_ui->context().showSettings();
        QCOMPARE(m_ui->settings().window(), window);
        QCOMPARE(window->property("tab").toString(), "about");
    }

    // The built-in packs as the build made them: each with its own swatch colour and a line
    // saying whether it was recorded (by whom) or modelled, as its pack.json says, all 21
    // accounted for; every name readable in the grid, chips wrapped rather than clipped.
    void builtInPacksShowNameColourAndOrigin()
    {
        QTemporaryDir user;
        PackLibrary library(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR), user.path());
        m_catalog->track(library);
        const QStringList recorded = m_catalog->recordedNames();
        QCOMPARE(recorded.size() + m_catalog->modelledNames().size(), 21);
        for (const char *name : {"Cherry MX Red · PBT", "Cherry MX Blue · PBT", "Holy Panda", "NovelKeys Cream"})
            QVERIFY2(recorded.contains(QString::fromUtf8(name)), name);
        QVERIFY(m_catalog->modelledNames().contains("Gateron Yellow"));
        for (const QVariant &entry : m_catalog->property("builtIn").toList()) {
            const QVariantMap pack = entry.toMap();
            QVERIFY2(pack["color"].value<QColor>() != StyleKit::accent(), qPrintable(pack["id"].toString()));
            const QString line = pack["originLine"].toString();
            QVERIFY2(line.startsWith("Recorded") || line == "Modelled", qPrintable(pack["id"].toString() + ": " + line));
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

    void muteShortcutChoiceShowsAndStoresTheState()
    {
        m_state->muteShortcut = "scrollLockTwice";
        m_ui->context().showSettings();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "general");
        settle(window);
        QQuickItem *choice = findItem(window, "muteShortcutChoice");
        QVERIFY(choice);
        QCOMPARE(choice->property("currentValue").toString(), "scrollLockTwice");
        choice->setProperty("currentIndex", 2);
        QVERIFY(QMetaObject::invokeMethod(choice, "activated", Q_ARG(int, 2)));
        QCOMPARE(m_state->muteShortcut, "off");
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
        m_ui->context().showSettings();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "about");
        settle(window);
        QQuickItem *links = findItem(window, "aboutLinks");
        QVERIFY(links);
        QVERIFY(!links->childItems().isEmpty());
        for (QQuickItem *link : links->childItems())
            click(window, link);
        QCOMPARE(m_opened.size(), links->childItems().size());
        for (const QUrl &url : m_opened)
            QVERIFY2(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()), qPrintable(url.toString()));
    }

    void importErrorAlertClearsTheError()
    {
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "sounds");
        m_state->importError = "The folder must contain a pack.json or a Mechvibes config.json.";
        emit m_state->importErrorChanged();
        shoot(window, "settings-import-error");

        QObject *alert = window->findChild<QObject *>("importErrorAlert");
        QVERIFY(alert);
        QVERIFY(alert->property("opened").toBool());
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!alert->property("visible").toBool());
        QCOMPARE(m_state->importError, QString());
        QVERIFY(window->isVisible()); // Esc went to the alert alone
    }

    // An import in progress shows how far it got and takes no second folder.
    void importShowsProgress()
    {
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "sounds");
        QMetaObject::invokeMethod(findItem(window, "soundsTab"), "scrollToEnd");
        m_state->isImporting = true;
        m_state->importProgress = 0.4;
        emit m_state->importProgressChanged();
        settle(window);
        QQuickItem *progress = findItem(window, "importProgress");
        QVERIFY(progress && progress->isVisible());
        QCOMPARE(progress->property("value").toDouble(), 0.4);
        QVERIFY(!findItem(window, "importButton")->isEnabled());
        shoot(window, "settings-importing");
    }

    // What a pack or an error message holds is shown as written: markup is not interpreted, so
    // an <img> in a pack name never makes a view fetch anything.
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
        m_state->selectedPackID = "folder:evil";
        emit m_state->selectedPackIDChanged();
        QQuickWindow *window = nullptr;
        if (where == "panel") {
            m_ui->panel().showWindow();
            window = m_ui->panel().window();
        } else {
            m_ui->settings().show();
            window = m_ui->settings().window();
            window->setProperty("tab", "sounds");
            QMetaObject::invokeMethod(findItem(window, "soundsTab"), "scrollToEnd");
            if (where == "error") {
                m_state->importError = "Could not copy “" + hostile + "”.";
                emit m_state->importErrorChanged();
            }
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
        QCOMPARE(m_state->importError.isEmpty(), where != "error");
        m_state->importError.clear();
    }

    // The removal replaces the pack list while the pack is in use (see init); built-in and
    // unknown packs are not passed on.
    void removeOnlyReachesUserPacks()
    {
        fillCatalog(*m_catalog, {pack("mine", "Mine", std::nullopt, false)});
        m_ui->context().removePack("bundle:mx-red");
        m_ui->context().removePack("folder:gone");
        QVERIFY(m_deleted.isEmpty());
        m_ui->context().removePack("folder:mine");
        QCOMPARE(m_deleted, QStringList({"folder:mine"}));
    }

    void cancelledFolderChooserImportsNothing()
    {
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        window->setProperty("tab", "sounds");
        QQuickItem *sounds = findItem(window, "soundsTab");
        QVERIFY(sounds);
        QMetaObject::invokeMethod(sounds, "scrollToEnd");
        settle(window);
        QQuickItem *importButton = findItem(window, "importButton");
        QVERIFY(importButton);
        click(window, importButton, QPointF(10, 10));

        QObject *chooser = sounds->findChild<QObject *>("importDialog");
        QVERIFY(chooser);
        QTRY_VERIFY(chooser->property("visible").toBool());
        QVERIFY(QMetaObject::invokeMethod(chooser, "reject"));
        QTRY_VERIFY(!chooser->property("visible").toBool());
        QVERIFY(m_imported.isEmpty());
        QVERIFY(m_state->importError.isEmpty());
    }

    // The window stays "open" in the store until the user closes it: by Start typing, by Return
    // in the try-it field, or not at all when the application ends with it open.
    void onboardingAdvancesWhenAccessArrives_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QList<bool>>("stored");
        QTest::newRow("start typing") << "button" << QList<bool>({true, false});
        QTest::newRow("return in the field") << "return" << QList<bool>({true, false});
        QTest::newRow("application ends") << "destroy" << QList<bool>({true});
    }
    void onboardingAdvancesWhenAccessArrives()
    {
        QFETCH(QString, ending);
        m_state->hasPermission = false;
        m_ui->onboarding().show();
        QQuickWindow *window = m_ui->onboarding().window();
        QVERIFY(window);
        QCOMPARE(m_onboardingOpen, QList<bool>({true}));
        QCOMPARE(window->property("step").toString(), "access");
        QVERIFY(!(window->flags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QSignalSpy closed(&m_ui->onboarding(), &OnboardingWindowController::closedByUser);
        m_state->hasPermission = true;
        emit m_state->hasPermissionChanged();
        QCOMPARE(window->property("step").toString(), "ready");
        QTest::qWait(700); // the spring settles in about 0.6 s
        shoot(window, "onboarding-ready");

        QQuickItem *field = findItem(window, "tryItField");
        QVERIFY(field);
        QVERIFY(field->hasActiveFocus());
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
        QTEST(m_onboardingOpen, "stored");
        QCOMPARE(closed.count(), ending == "destroy" ? 0 : 1); // the application shows the panel then
    }

    // The access step says where the request stands and never offers to ask twice at once;
    // "Not now" goes on to the ready step, which then says keys can't be heard yet.
    void onboardingAccessStepTellsWhereAccessStands_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("canAsk");
        QTest::addColumn<QString>("status");
        QTest::newRow("not asked") << "notAsked" << true << "Not asked yet.";
        QTest::newRow("asking") << "asking" << false << "Asking";
        QTest::newRow("refused") << "refused" << true << "Not given";
        QTest::newRow("granted, not yet heard") << "granted" << true << "in a moment";
    }

    void onboardingAccessStepTellsWhereAccessStands()
    {
        QFETCH(QString, request);
        m_state->hasPermission = false;
        m_state->accessRequest = request;
        m_ui->onboarding().show();
        QQuickWindow *window = m_ui->onboarding().window();
        QVERIFY(window);
        settle(window);
        QTEST(findItem(window, "allowButton")->isEnabled(), "canAsk");
        QFETCH(QString, status);
        QVERIFY(findItem(window, "accessStatusText")->property("text").toString().contains(status));
        shoot(window, "onboarding-access-" + request);
        QTest::keyClick(window, Qt::Key_Return);
        QTEST(m_accessRequests == 1, "canAsk");

        click(window, findItem(window, "notNowButton"), QPointF(5, 5));
        QCOMPARE(window->property("step").toString(), "ready");
        QTest::qWait(700);
        QVERIFY(findItem(window, "noAccessText")->isVisible());
        QCOMPARE(m_accessRequests, request == "asking" ? 0 : 1);
    }

    // The ready step says where Plinkum lives: the tray when there is one, else its panel window,
    // and on GNOME the extension that gives it a tray.
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
        m_state->hasTrayHost = tray;
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

    // Settings at its smallest still reach everything by scrolling: the keyboard access row
    // comes into view; "Remove Access" shows only while the rule is installed; Esc and Ctrl+W close.
    void settingsAtItsMinimumScrollsAndCloses_data()
    {
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QString>("through");
        QTest::addColumn<bool>("rule");
        QTest::addColumn<QKeySequence>("closeKey");
        QTest::newRow("X11, nothing to remove") << true << "x11" << false << QKeySequence(Qt::Key_Escape);
        QTest::newRow("the rule") << true << "rule" << true << QKeySequence(Qt::CTRL | Qt::Key_W);
        QTest::newRow("the group") << true << "group" << false << QKeySequence(Qt::Key_Escape);
        QTest::newRow("rule, not yet heard") << false << "" << true << QKeySequence(Qt::CTRL | Qt::Key_W);
        QTest::newRow("none") << false << "" << false << QKeySequence(Qt::Key_Escape);
    }

    void settingsAtItsMinimumScrollsAndCloses()
    {
        QFETCH(bool, permission);
        QFETCH(QString, through);
        QFETCH(bool, rule);
        m_state->hasPermission = permission;
        m_state->accessThrough = through;
        m_state->accessRuleInstalled = rule;
        m_ui->settings().show();
        QQuickWindow *window = m_ui->settings().window();
        QVERIFY(window->minimumWidth() < 520 && window->minimumHeight() < 505);
        window->resize(window->minimumWidth(), window->minimumHeight());
        window->setProperty("tab", "general");
        settle(window);
        QQuickItem *general = findItem(window, "generalTab");
        QMetaObject::invokeMethod(general, "scrollToEnd");
        settle(window);
        QQuickItem *row = findItem(window, "keyboardAccessRow");
        const QRectF shown = row->mapRectToScene(QRectF(0, 0, row->width(), row->height()));
        QVERIFY2(shown.top() >= 0 && shown.bottom() <= window->height(), qPrintable(QString::number(shown.bottom())));
        QCOMPARE(findItem(window, "removeAccessButton")->isVisible(), rule);
        QCOMPARE(findItem(window, "allowAccessButton")->isVisible(), !permission);
        if (QTest::currentDataTag() == QByteArray("X11, nothing to remove"))
            shoot(window, "settings-minimum-permissions");
        QFETCH(QKeySequence, closeKey);
        QTest::keySequence(window, closeKey);
        QTRY_VERIFY(!window->isVisible());
    }

    // Families as chips and "Custom" only while there are user packs, which show there alone
    // even when they name a family; a pack without a type is listed under "All" only; a filter
    // whose chip went away still applies.
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
        QVERIFY(picker.visiblePacks().isEmpty());
        QVERIFY(picker.property("visiblePacks").toList().isEmpty());
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
    void fillCustom(QList<PackInfo> custom)
    {
        m_catalog->setPacks(m_catalog->builtIn(), m_catalog->groups(), std::move(custom));
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
        QVERIFY(!image.isNull());
        QVERIFY(image.save(m_screenshots.filePath(name + ".png")));
    }

    void settle(QQuickWindow *window, int ms = 100)
    {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(ms);
    }

    QDir m_screenshots;
    std::unique_ptr<FakeAppState> m_state;
    std::unique_ptr<PackCatalog> m_catalog;
    std::unique_ptr<UserInterface> m_ui;
    QList<bool> m_onboardingOpen;
    QStringList m_deleted;
    QList<QUrl> m_imported;
    int m_accessRequests = 0;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestUiScreens)
#include "tst_uiscreens.moc"
