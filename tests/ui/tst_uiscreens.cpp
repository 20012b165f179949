#include "FakeAppState.h"
#include "QuickItems.h"

#include "OnboardingWindowController.h"
#include "PackCatalog.h"
#include "SettingsWindowController.h"
#include "TrayPanel.h"
#include "UserInterface.h"

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
    };
    QList<PackCatalog::Group> groups;
    for (const PackInfo &info : builtIn) {
        if (groups.isEmpty() || groups.last().title != *info.type)
            groups.append({*info.type, {}});
        groups.last().packs.append(info);
    }
    catalog.setPacks(builtIn, groups, std::move(custom));
}

} // namespace

class TestUiScreens : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void panelShowsEveryState_data();
    void panelShowsEveryState();
    void panelControlsWriteTheState();
    void sliderPreviewsOnceOnRelease();
    void settingsOpensOneWindowWithEveryTab();
    void importErrorAlertClearsTheError();
    void removeOnlyReachesUserPacks();
    void cancelledFolderChooserImportsNothing();
    void onboardingAdvancesWhenAccessArrives();
    void onboardingStartsReadyWithAccess();

private:
    QQuickItem *findItem(QQuickWindow *window, const QString &name) const;
    void shoot(QQuickWindow *window, const QString &name);
    void settle(QQuickWindow *window, int ms = 100);

    QDir m_screenshots;
    std::unique_ptr<FakeAppState> m_state;
    std::unique_ptr<PackCatalog> m_catalog;
    std::unique_ptr<UserInterface> m_ui;
    int m_previews = 0;
    QList<bool> m_onboardingOpen;
    QStringList m_deleted;
    QList<QUrl> m_imported;
    int m_accessRequests = 0;
};

void TestUiScreens::initTestCase()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    m_screenshots.setPath(QStringLiteral(PLINKUM_BINARY_DIR "/screenshots"));
    QVERIFY(m_screenshots.mkpath("."));
}

void TestUiScreens::init()
{
    m_state = std::make_unique<FakeAppState>();
    m_catalog = std::make_unique<PackCatalog>();
    fillCatalog(*m_catalog, {});
    m_catalog->setFolder(QUrl::fromLocalFile(QDir::tempPath() + "/Plinkum/Packs"));
    m_previews = 0;
    m_onboardingOpen.clear();
    m_deleted.clear();
    m_imported.clear();
    m_accessRequests = 0;

    UiContext::Actions actions;
    actions.preview = [this] { ++m_previews; };
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

void TestUiScreens::cleanup()
{
    qInstallMessageHandler(nullptr);
    m_ui.reset();
    const QStringList warnings = qmlWarnings;
    qmlWarnings.clear();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
}

QQuickItem *TestUiScreens::findItem(QQuickWindow *window, const QString &name) const
{
    QQuickItem *item = findNamed(window->contentItem(), name);
    if (!item)
        qWarning("no item named %s", qPrintable(name));
    return item;
}

void TestUiScreens::settle(QQuickWindow *window, int ms)
{
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(ms);
}

void TestUiScreens::shoot(QQuickWindow *window, const QString &name)
{
    settle(window, 250);
    const QImage image = window->grabWindow();
    QVERIFY(!image.isNull());
    QVERIFY(image.save(m_screenshots.filePath(name + ".png")));
}

void TestUiScreens::panelShowsEveryState_data()
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

void TestUiScreens::panelShowsEveryState()
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
    QCOMPARE(window->width(), 340);

    QQuickItem *picker = findItem(window, "switchPicker");
    QVERIFY(picker);
    picker->setProperty("filter", filter);
    QCOMPARE(findItem(window, "switchGrid")->property("count").toInt(), filter == "All" ? 16 : 4);

    QQuickItem *banner = findItem(window, "permissionBanner");
    QVERIFY(banner);
    QCOMPARE(banner->isVisible(), !permission);
    QQuickItem *content = findItem(window, "panelContent");
    QVERIFY(content);
    QCOMPARE(content->isEnabled(), enabled);
    shoot(window, file);
    QCOMPARE(content->opacity(), enabled ? 1.0 : 0.45);
}

void TestUiScreens::panelControlsWriteTheState()
{
    m_ui->panel().showWindow();
    QQuickWindow *window = m_ui->panel().window();
    settle(window);

    QQuickItem *toggle = findItem(window, "enableSwitch");
    QVERIFY(toggle);
    QTest::mouseClick(window, Qt::LeftButton, {}, toggle->mapToScene(QPointF(toggle->width() / 2, toggle->height() / 2)).toPoint());
    QCOMPARE(m_state->isEnabled, false);
    QCOMPARE(findItem(window, "panelContent")->isEnabled(), false);
    // The header switch stays usable while everything below it is paused.
    QTest::mouseClick(window, Qt::LeftButton, {}, toggle->mapToScene(QPointF(toggle->width() / 2, toggle->height() / 2)).toPoint());
    QCOMPARE(m_state->isEnabled, true);

    QQuickItem *grid = findItem(window, "switchGrid");
    QVERIFY(grid);
    const QPointF firstTile = grid->mapToScene(QPointF(40, 20));
    QTest::mouseClick(window, Qt::LeftButton, {}, firstTile.toPoint());
    QVERIFY(m_state->selectedPackID != "bundle:mx-brown-pbt");
    QVERIFY(m_catalog->find(m_state->selectedPackID));

    QSignalSpy settingsRequested(&m_ui->context(), &UiContext::settingsRequested);
    QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settingsRequested.count(), 1);
}

void TestUiScreens::sliderPreviewsOnceOnRelease()
{
    m_ui->panel().showWindow();
    QQuickWindow *window = m_ui->panel().window();
    settle(window);
    QQuickItem *slider = findItem(window, "volumeSlider");
    QVERIFY(slider);

    const QPoint start = slider->mapToScene(QPointF(slider->width() * 0.6, slider->height() / 2)).toPoint();
    QTest::mousePress(window, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(window, start - QPoint(step * 8, 0), 5);
    QVERIFY(m_state->volume < 0.5);
    QCOMPARE(m_previews, 0);
    QTest::mouseRelease(window, Qt::LeftButton, {}, start - QPoint(80, 0));
    QCOMPARE(m_previews, 1);
}

void TestUiScreens::settingsOpensOneWindowWithEveryTab()
{
    m_ui->context().showSettings();
    QQuickWindow *window = m_ui->settings().window();
    QVERIFY(window);
    m_ui->context().showSettings();
    QCOMPARE(m_ui->settings().window(), window);
    const QWindowList windows = QGuiApplication::topLevelWindows();
    QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWindow *w) { return w->isVisible(); }), 1);

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

void TestUiScreens::importErrorAlertClearsTheError()
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
}

void TestUiScreens::removeOnlyReachesUserPacks()
{
    fillCatalog(*m_catalog, {pack("mine", "Mine", std::nullopt, false)});
    m_ui->context().removePack("bundle:mx-red");
    m_ui->context().removePack("folder:gone");
    QVERIFY(m_deleted.isEmpty());
    m_ui->context().removePack("folder:mine");
    QCOMPARE(m_deleted, QStringList({"folder:mine"}));
}

void TestUiScreens::cancelledFolderChooserImportsNothing()
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
    QTest::mouseClick(window, Qt::LeftButton, {}, importButton->mapToScene(QPointF(10, 10)).toPoint());

    QObject *chooser = sounds->findChild<QObject *>("importDialog");
    QVERIFY(chooser);
    QTRY_VERIFY(chooser->property("visible").toBool());
    QVERIFY(QMetaObject::invokeMethod(chooser, "reject"));
    QTRY_VERIFY(!chooser->property("visible").toBool());
    QVERIFY(m_imported.isEmpty());
    QVERIFY(m_state->importError.isEmpty());
}

void TestUiScreens::onboardingAdvancesWhenAccessArrives()
{
    m_state->hasPermission = false;
    m_ui->onboarding().show();
    QQuickWindow *window = m_ui->onboarding().window();
    QVERIFY(window);
    QCOMPARE(m_onboardingOpen, QList<bool>({true}));
    QCOMPARE(window->property("step").toString(), "access");
    QVERIFY(!(window->flags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    shoot(window, "onboarding-access");
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(m_accessRequests, 1);

    m_state->hasPermission = true;
    emit m_state->hasPermissionChanged();
    QCOMPARE(window->property("step").toString(), "ready");
    QTest::qWait(700); // the spring settles in about 0.6 s
    shoot(window, "onboarding-ready");

    QQuickItem *field = findItem(window, "tryItField");
    QVERIFY(field);
    QVERIFY(field->hasActiveFocus());
    QTest::mouseClick(window, Qt::LeftButton, {},
                      findItem(window, "startButton")->mapToScene(QPointF(20, 20)).toPoint());
    QVERIFY(!window->isVisible());
    QCOMPARE(m_onboardingOpen, QList<bool>({true, false}));
}

void TestUiScreens::onboardingStartsReadyWithAccess()
{
    m_state->selectedPackID = "bundle:gone";
    m_ui->onboarding().show();
    QQuickWindow *window = m_ui->onboarding().window();
    settle(window);
    QCOMPARE(window->property("step").toString(), "ready");
    QQuickItem *packRow = findItem(window, "selectedPackRow");
    QVERIFY(packRow);
    QVERIFY(!packRow->isVisible());
    // Losing access later does not send the user back.
    m_state->hasPermission = false;
    emit m_state->hasPermissionChanged();
    QCOMPARE(window->property("step").toString(), "ready");
}

QTEST_MAIN(TestUiScreens)
#include "tst_uiscreens.moc"
