#include "AppTestSupport.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace plinkum;
using namespace AppTestSupport;

class TestAppState : public QObject {
    Q_OBJECT

private:
    static void waitForLoads(AppState &state)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!state.isLoadingPack(), 10000);
        // A dropped stale result may still be queued; let it through.
        QCoreApplication::processEvents();
    }

    static QString enginePackID(AppState &state)
    {
        return state.engine().pack() ? state.engine().pack()->info().id : QString();
    }

    static QVariant stored(const Folders &folders, const char *key)
    {
        return QSettings(folders.settings, QSettings::IniFormat).value(QString::fromLatin1(key));
    }

private slots:
    void firstStartWithAnEmptyStore()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        SoundEngine::Config configAtMonitorStart;
        bool configSeen = false;
        AppState::Services services = folders.services(&starts, [] { return true; });
        auto open = std::move(services.openKeySource);
        // The opener runs during construction, so the state is reached through its shared slot.
        services.openKeySource = [&, open] {
            configAtMonitorStart = AppState::shared()->engine().config();
            configSeen = true;
            return open();
        };
        AppState state(std::move(services));

        QCOMPARE(state.isEnabled(), true);
        QCOMPARE(state.volume(), 0.6);
        QCOMPARE(state.playKeyUp(), true);
        QCOMPARE(state.stereo(), true);
        QCOMPARE(state.pitchVariation(), true);
        QCOMPARE(state.builtInSpeakers(), true);
        QCOMPARE(state.selectedPackID(), QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(state.launchAtLogin(), false);
        QVERIFY(state.hasPermission());
        QVERIFY(state.isLoadingPack());

        QVERIFY(configSeen);
        QCOMPARE(configAtMonitorStart.enabled, true);
        QCOMPARE(configAtMonitorStart.volume, 0.6f);
        QCOMPARE(configAtMonitorStart.playKeyUp, true);
        QCOMPARE(configAtMonitorStart.stereo, true);
        QCOMPARE(configAtMonitorStart.pitchVariation, true);
        QCOMPARE(starts.load(), 1);

        waitForLoads(state);
        QCOMPARE(enginePackID(state), QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(state.engine().nextVoice(), std::size_t(0)); // no preview at start
        // Defaults are registered, not written.
        QVERIFY(!QFile::exists(folders.settings));
    }

    void keyEventsReachTheEngine()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        FakeKeySource *source = nullptr;
        AppState state(folders.services(&starts, [] { return true; }, &source));
        waitForLoads(state);
        QVERIFY(source);
        // The test packs have press sounds only: the release plays nothing.
        source->type(0, true);
        source->type(0, false);
        source->type(1, true);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(2));

        state.setIsEnabled(false);
        source->type(1, false);
        source->type(2, true);
        QTest::qWait(50);
        QCOMPARE(state.engine().nextVoice(), std::size_t(2));
    }

    void twoQuickSelections()
    {
        Folders folders;
        writePack(folders.user + QStringLiteral("/Blue Box"), QStringLiteral("Blue Box"));
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        waitForLoads(state);

        QSignalSpy loading(&state, &AppState::isLoadingPackChanged);
        QSignalSpy selected(&state, &AppState::selectedPackIDChanged);
        state.setSelectedPackID(QStringLiteral("bundle:alpaca"));
        state.setSelectedPackID(QStringLiteral("folder:Blue Box"));
        QVERIFY(state.isLoadingPack());
        waitForLoads(state);
        QTest::qWait(50);

        QCOMPARE(enginePackID(state), QStringLiteral("folder:Blue Box"));
        QCOMPARE(state.engine().nextVoice(), std::size_t(1)); // one preview
        QCOMPARE(loading.count(), 2);                          // true once, false once
        QCOMPARE(selected.count(), 2);
        QCOMPARE(stored(folders, Settings::selectedPackKey).toString(), QStringLiteral("folder:Blue Box"));
    }

    void deletingPacks()
    {
        Folders folders;
        writePack(folders.root.filePath(QStringLiteral("source/Blue Box")), QStringLiteral("Blue Box"));
        writePack(folders.user + QStringLiteral("/Other"), QStringLiteral("Other"));
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        waitForLoads(state);

        QVERIFY(state.importPack(QUrl::fromLocalFile(folders.root.filePath(QStringLiteral("source/Blue Box")))));
        QCOMPARE(state.selectedPackID(), QStringLiteral("folder:Blue Box"));
        waitForLoads(state);
        QCOMPARE(enginePackID(state), QStringLiteral("folder:Blue Box"));
        QCOMPARE(state.engine().nextVoice(), std::size_t(1));

        // An unselected pack goes without touching the selection.
        state.deletePack(QStringLiteral("folder:Other"));
        QCOMPARE(state.selectedPackID(), QStringLiteral("folder:Blue Box"));
        QVERIFY(!state.isLoadingPack());

        // The selected one falls back to the default, stored, with a preview.
        state.deletePack(QStringLiteral("folder:Blue Box"));
        QCOMPARE(state.selectedPackID(), QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(stored(folders, Settings::selectedPackKey).toString(), QStringLiteral("bundle:mx-brown-pbt"));
        waitForLoads(state);
        QCOMPARE(enginePackID(state), QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(state.engine().nextVoice(), std::size_t(2));
        QVERIFY(state.library()->custom().isEmpty());

        // Built-in packs are never removed: selecting one and "deleting" it changes nothing.
        state.setSelectedPackID(QStringLiteral("bundle:alpaca"));
        waitForLoads(state);
        state.deletePack(*state.selectedPack());
        QCOMPARE(state.selectedPackID(), QStringLiteral("bundle:alpaca"));
        QVERIFY(!state.isLoadingPack());
        QCOMPARE(state.library()->builtIn().size(), 2);
    }

    void failedImportKeepsTheSelection()
    {
        Folders folders;
        writeFile(folders.root.filePath(QStringLiteral("source/Empty/readme.txt")), "not a pack");
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QSignalSpy errors(&state, &AppState::importErrorChanged);
        QVERIFY(!state.importPack(QUrl::fromLocalFile(folders.root.filePath(QStringLiteral("source/Empty")))));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(state.importError(), QStringLiteral("The folder must contain a pack.json or a Mechvibes config.json."));
        QCOMPARE(state.selectedPackID(), QStringLiteral("bundle:mx-brown-pbt"));
    }

    void storedPackThatWasDeleted()
    {
        Folders folders;
        writeFile(folders.settings, "[General]\nselectedPack=folder:Gone\n");
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QCOMPARE(state.selectedPackID(), QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(stored(folders, Settings::selectedPackKey).toString(), QStringLiteral("bundle:mx-brown-pbt"));
        waitForLoads(state);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(1)); // its preview, once
        QTest::qWait(50);
        QCOMPARE(state.engine().nextVoice(), std::size_t(1));
        QCOMPARE(enginePackID(state), QStringLiteral("bundle:mx-brown-pbt"));
    }

    void volume()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QSignalSpy changed(&state, &AppState::volumeChanged);
        state.setVolume(0.25);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(state.volume(), 0.25);
        const QVariant value = stored(folders, Settings::volumeKey);
        QCOMPARE(value.toString(), QStringLiteral("0.25"));
        QCOMPARE(value.toDouble(), 0.25);
        QCOMPARE(state.engine().config().volume, 0.25f);

        // Out of range from a view: clamped before it is stored or played.
        state.setVolume(7);
        QCOMPARE(state.engine().config().volume, 1.0f);
        QCOMPARE(stored(folders, Settings::volumeKey).toDouble(), 1.0);
    }

    void settingsReachTheEngine()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        state.setPlayKeyUp(false);
        state.setStereo(false);
        state.setPitchVariation(false);
        state.setIsEnabled(false);
        const SoundEngine::Config config = state.engine().config();
        QVERIFY(!config.playKeyUp && !config.stereo && !config.pitchVariation && !config.enabled);
        for (const char *key : {Settings::playKeyUpKey, Settings::stereoKey, Settings::pitchVariationKey,
                                Settings::enabledKey})
            QCOMPARE(stored(folders, key).toString(), QStringLiteral("false"));
    }

    void builtInSpeakersRestartOnlyOnAChange_data()
    {
        QTest::addColumn<bool>("storedValue");
        QTest::addColumn<int>("startsAtLaunch");
        // Stored false: the assignment starts the engine, then the unconditional start again.
        QTest::newRow("stored on") << true << 1;
        QTest::newRow("stored off") << false << 2;
    }

    void builtInSpeakersRestartOnlyOnAChange()
    {
        QFETCH(bool, storedValue);
        Folders folders;
        writeFile(folders.settings, storedValue ? "[General]\nbuiltInSpeakers=true\n" : "[General]\nbuiltInSpeakers=false\n");
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QTEST(starts.load(), "startsAtLaunch");
        const int atLaunch = starts;

        QSignalSpy changed(&state, &AppState::builtInSpeakersChanged);
        state.setBuiltInSpeakers(!storedValue);
        QCOMPARE(starts.load(), atLaunch + 1);
        state.setBuiltInSpeakers(!storedValue);
        QCOMPARE(starts.load(), atLaunch + 1);
        state.setBuiltInSpeakers(storedValue);
        QCOMPARE(starts.load(), atLaunch + 2);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(stored(folders, Settings::builtInSpeakersKey).toBool(), storedValue);
    }

    void onboardingAtStart_data()
    {
        QTest::addColumn<bool>("access");
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<bool>("shown");
        QTest::newRow("access, key absent") << true << QByteArray() << false;
        QTest::newRow("access, key false") << true << QByteArray("[General]\nonboardingOpen=false\n") << false;
        QTest::newRow("access, left open") << true << QByteArray("[General]\nonboardingOpen=true\n") << true;
        QTest::newRow("no access") << false << QByteArray() << true;
        QTest::newRow("no access, closed") << false << QByteArray("[General]\nonboardingOpen=false\n") << true;
    }

    void onboardingAtStart()
    {
        QFETCH(bool, access);
        QFETCH(QByteArray, store);
        Folders folders;
        if (!store.isEmpty())
            writeFile(folders.settings, store);
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [access] { return access; }));
        QSignalSpy requested(&state, &AppState::onboardingRequested);
        // Asked for after construction, from the event loop.
        QCOMPARE(requested.count(), 0);
        QCoreApplication::processEvents();
        QTEST(int(requested.count()) == 1, "shown");
        QTEST(state.shouldShowOnboarding(), "shown");
    }

    void onboardingFlagFollowsTheWindow()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QSignalSpy changed(&state, &AppState::shouldShowOnboardingChanged);
        state.setOnboardingOpen(true);
        QVERIFY(state.shouldShowOnboarding());
        QCOMPARE(stored(folders, Settings::onboardingOpenKey).toString(), QStringLiteral("true"));
        state.setOnboardingOpen(false);
        QVERIFY(!state.shouldShowOnboarding());
        QCOMPARE(changed.count(), 2);
    }

    void accessGrantedLaterIsFoundByThePoll()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        std::atomic<bool> access = false;
        FakeKeySource *source = nullptr;
        AppState state(folders.services(&starts, [&access] { return access.load(); }, &source));
        QVERIFY(!state.hasPermission());
        QVERIFY(!source);
        QSignalSpy changed(&state, &AppState::hasPermissionChanged);
        QTest::qWait(AppState::permissionPollMs + 200);
        QCOMPARE(changed.count(), 0);

        access = true;
        QTRY_VERIFY_WITH_TIMEOUT(state.hasPermission(), AppState::permissionPollMs + 1000);
        QCOMPARE(changed.count(), 1);
        QVERIFY(source);
        QVERIFY(state.monitor().isListening());
    }

    void launchAtLogin()
    {
        Folders folders;
        std::atomic<int> starts = 0;
        {
            AppState state(folders.services(&starts, [] { return true; }));
            state.setLaunchAtLogin(true);
            QVERIFY(QFile::exists(folders.autostart));
        }
        {
            // Read back from the autostart entry at the next start, not from the settings.
            AppState state(folders.services(&starts, [] { return true; }));
            QVERIFY(state.launchAtLogin());
            state.setLaunchAtLogin(false);
            QVERIFY(!QFile::exists(folders.autostart));
            QVERIFY(!stored(folders, "launchAtLogin").isValid());
        }
    }

    void launchAtLoginFailureShowsTheTruth()
    {
        Folders folders;
        // The autostart folder is a file: registering cannot work.
        writeFile(QFileInfo(folders.autostart).absolutePath(), "in the way");
        std::atomic<int> starts = 0;
        AppState state(folders.services(&starts, [] { return true; }));
        QSignalSpy changed(&state, &AppState::launchAtLoginChanged);
        state.setLaunchAtLogin(true);
        QVERIFY(!state.launchAtLogin());
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
