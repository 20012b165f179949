#include "tests/support/AppTestSupport.h"
#include "app/KeyListening.h"
#include "app/PackSwitcher.h"
#include "packs/PackLevel.h"

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

    static QVariant stored(const Folders &folders, Settings::Key key)
    {
        return QSettings(folders.settings, QSettings::IniFormat).value(QString::fromLatin1(Settings::name(key)));
    }

    static const QString defaultPack() { return QStringLiteral("bundle:mx-brown-pbt"); }

private slots:
    void firstStartWithAnEmptyStore()
    {
        Folders folders;
        test::Pipe keyboard;
        AppState state(folders.services([] { return true; }, &keyboard));
        QVERIFY(state.hasPermission() && !state.launchAtLogin());
        QCOMPARE(folders.starts.load(), 1);
        waitForLoads(state);
        QCOMPARE(enginePackID(state), defaultPack());
        QCOMPARE(state.engine().nextVoice(), std::size_t(0)); // no preview at start
        QVERIFY(!QFile::exists(folders.settings));            // defaults are registered, not written

        // Typed keys play (the test packs have press sounds only) until the state is disabled.
        for (const auto &[code, value] : std::initializer_list<std::pair<unsigned, int>>{{KEY_A, 1}, {KEY_A, 0}, {KEY_S, 1}})
            keyboard.key(code, value);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(2));
        state.setIsEnabled(false);
        keyboard.key(KEY_D, 1);
        QTest::qWait(50);
        QCOMPARE(state.engine().nextVoice(), std::size_t(2));
    }

    // Of packs asked for during a load only the last reaches the engine, previewed once; loading flips once.
    void onlyTheLastPackAskedForIsLoaded_data()
    {
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("two packs") << QStringList{"alpaca", "mx-brown-pbt"} << "bundle:mx-brown-pbt";
        QTest::newRow("there and back") << QStringList{"alpaca", "mx-brown-pbt", "alpaca"} << "bundle:alpaca";
        QTest::newRow("the same twice") << QStringList{"alpaca", "alpaca"} << "bundle:alpaca";
    }
    void onlyTheLastPackAskedForIsLoaded()
    {
        QFETCH(QStringList, requests);
        Folders folders;
        PackLibrary library(folders.builtIn, folders.user);
        SoundEngine engine(AppState::voiceCount, std::make_unique<NullOutput>());
        PackSwitcher switcher(engine);
        QSignalSpy loading(&switcher, &PackSwitcher::isLoadingChanged);
        QSignalSpy finished(&switcher, &PackSwitcher::finished);
        for (const QString &folder : requests)
            for (const PackInfo &pack : library.builtIn())
                if (pack.id == PackInfo::idFor(folder, true))
                    switcher.load(pack, true);
        QVERIFY(finished.wait(10000));
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
        QTEST(engine.pack()->info().id, "loaded");
        QCOMPARE(engine.nextVoice(), std::size_t(1));
        QCOMPARE(loading.count(), 2);
    }

    void importAndDeletePacks()
    {
        Folders folders;
        const QString source = folders.root.filePath(QStringLiteral("source/Blue Box"));
        TestPacks::writeFolder(source, TestPacks::validPack("Blue Box"));
        TestPacks::writeFolder(folders.user + QStringLiteral("/Other"), TestPacks::validPack("Other"));
        TestPacks::writeText(folders.root.filePath(QStringLiteral("source/Empty/readme.txt")), "not a pack");
        AppState state(folders.services());
        waitForLoads(state);

        // A failed import reports why and keeps the selection; imports run one at a time, off this thread.
        QSignalSpy errors(&state, &AppState::importErrorChanged);
        QSignalSpy finished(&state, &AppState::importFinished);
        QSignalSpy progress(&state, &AppState::importProgressChanged);
        QVERIFY(state.importPack(QUrl::fromLocalFile(folders.root.filePath(QStringLiteral("source/Empty")))));
        QVERIFY(state.isImporting() && !state.importPack(QUrl::fromLocalFile(source)));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.takeFirst().at(0).toBool(), false);
        QVERIFY(!state.isImporting() && errors.count() == 1 && !state.importError().isEmpty());
        QCOMPARE(state.selectedPackID(), defaultPack());

        progress.clear();
        QVERIFY(state.importPack(QUrl::fromLocalFile(source)) && finished.wait(10000));
        QCOMPARE(finished.takeFirst().at(0).toBool(), true);
        QCOMPARE(state.importProgress(), 1.0);
        QVERIFY(progress.count() >= 3); // started, files copied, finished
        QCOMPARE(state.selectedPackID(), QStringLiteral("folder:Blue Box"));
        waitForLoads(state);
        QCOMPARE(state.engine().nextVoice(), std::size_t(1));

        // An unselected pack goes without touching the selection.
        state.deletePack(QStringLiteral("folder:Other"));
        QCOMPARE(state.selectedPackID(), QStringLiteral("folder:Blue Box"));
        QVERIFY(!state.isLoadingPack());

        // The selected one falls back to the default, stored, with a preview.
        state.deletePack(QStringLiteral("folder:Blue Box"));
        QCOMPARE(state.selectedPackID(), defaultPack());
        QCOMPARE(stored(folders, Settings::Key::SelectedPack).toString(), defaultPack());
        waitForLoads(state);
        QCOMPARE(enginePackID(state), defaultPack());
        QCOMPARE(state.engine().nextVoice(), std::size_t(2));
        QVERIFY(state.library()->custom().isEmpty());

        // A built-in pack is never removed, but the selection falls back as above when it was selected.
        state.setSelectedPackID(QStringLiteral("bundle:alpaca"));
        waitForLoads(state);
        state.deletePack(QStringLiteral("bundle:alpaca"));
        QCOMPARE(state.selectedPackID(), defaultPack());
        QCOMPARE(state.library()->builtIn().size(), 2);
        waitForLoads(state);
        QCOMPARE(enginePackID(state), defaultPack());
        QCOMPARE(state.engine().nextVoice(), std::size_t(4));
        QCOMPARE(state.selectedPackName(), state.selectedPack()->name);

        // A selection naming no pack has no name; the first built-in pack plays meanwhile.
        state.setSelectedPackID(QStringLiteral("folder:Gone"));
        waitForLoads(state);
        QCOMPARE(state.selectedPackName(), QString());
        QCOMPARE(enginePackID(state), state.library()->builtIn().first().id);

        // Packs put into the folder or taken out of it by hand are listed without a restart, and
        // measured for their level when first played.
        TestPacks::writeFolder(folders.user + QStringLiteral("/By Hand"), TestPacks::validPack("By Hand"));
        QTRY_COMPARE(state.library()->custom().size(), 1);
        state.setSelectedPackID(QStringLiteral("folder:By Hand"));
        waitForLoads(state);
        QVERIFY(PackLevel::read(folders.user + QStringLiteral("/By Hand")).gainDb);
        QVERIFY(QDir(folders.user + QStringLiteral("/By Hand")).removeRecursively());
        QTRY_VERIFY(state.library()->custom().isEmpty());
    }

    void storedValuesAtStart()
    {
        Folders folders;
        TestPacks::writeText(folders.settings, "[General]\nselectedPack=folder:Gone\nvolume=0.25\nstereo=false\n");
        SoundEngine::Config configAtMonitorStart;
        AppState::Services services = folders.services();
        auto open = std::move(services.openKeySource);
        // The opener runs during construction, so the state is reached through its parent.
        QObject parent;
        services.openKeySource = [&, open] {
            configAtMonitorStart = parent.findChild<AppState *>()->engine().config();
            return open();
        };
        AppState state(std::move(services), &parent);
        // The engine is configured before the first key can arrive.
        QVERIFY(configAtMonitorStart.volume == 0.25f && !configAtMonitorStart.stereo);

        // A stored pack that was deleted gives the default, stored, previewed once.
        QCOMPARE(state.selectedPackID(), defaultPack());
        QCOMPARE(stored(folders, Settings::Key::SelectedPack).toString(), defaultPack());
        waitForLoads(state);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(1));
        QTest::qWait(50);
        QCOMPARE(state.engine().nextVoice(), std::size_t(1));
        QCOMPARE(enginePackID(state), defaultPack());
    }

    // Clicks off by default and dropped on the keyboard thread; the first built-in mouse pack
    // loads only once they are on; "Same as keyboard" lends; a mouse-only pack is never the
    // keyboard's: choosing it chooses the clicks.
    void mouseClicks()
    {
        Folders folders;
        TestPacks::writeFolder(folders.builtIn + QStringLiteral("/mouse"),
                               {{"pack.json", R"({"name": "Mouse", "mouse": {"left": ["click.wav"]}})"}, {"click.wav", TestPacks::wav}});
        test::Pipe pointer;
        AppState state(folders.services([] { return true; }, &pointer));
        waitForLoads(state);
        const QString mouse = QStringLiteral("bundle:mouse");
        QVERIFY(!state.mouseClicks() && state.mousePackID() == mouse && !state.engine().mousePack());
        pointer.key(BTN_LEFT, 1);
        pointer.key(KEY_A, 1);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(1)); // the key only

        state.setMouseClicks(true);
        QTRY_VERIFY(state.engine().mousePack() && state.engine().mousePack()->info().id == mouse);
        QVERIFY(!state.engine().config().mouseFromKeyboardPack);
        pointer.key(BTN_LEFT, 0);
        pointer.key(BTN_LEFT, 1);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(2)); // the press: the pack has no release

        state.setMousePackID(QStringLiteral("bundle:alpaca")); // no click sounds: not taken
        state.setMouseVolume(0.3);
        QVERIFY(state.mousePackID() == mouse && state.engine().config().mouseVolume == 0.3f);
        state.setMousePackID(QString::fromLatin1(Settings::sameAsKeyboard));
        const SoundEngine::Config config = state.engine().config();
        QVERIFY(config.mouseFromKeyboardPack && config.lendKeySound && !state.engine().mousePack());
        QCOMPARE(stored(folders, Settings::Key::MousePack).toString(), QString::fromLatin1(Settings::sameAsKeyboard));
        state.setMouseClicks(false);
        QVERIFY(!state.engine().mousePack());
        state.setSelectedPackID(mouse);
        QVERIFY(state.mouseClicks() && state.mousePackID() == mouse && state.selectedPackID() == defaultPack());
    }

    void settersReachTheEngine()
    {
        Folders folders;
        AppState state(folders.services());
        QSignalSpy changed(&state, &AppState::volumeChanged);
        state.setVolume(0.25);
        QVERIFY(changed.count() == 1 && state.engine().config().volume == 0.25f);
        // Out of range from a view: clamped before it is stored or played (the table's rule).
        state.setVolume(7);
        QCOMPARE(state.engine().config().volume, 1.0f);

        state.setPlayKeyUp(false);
        state.setStereo(false);
        state.setPitchVariation(false);
        const SoundEngine::Config config = state.engine().config();
        QVERIFY(!config.playKeyUp && !config.stereo && !config.pitchVariation);
    }

    void builtInSpeakersRestartOnlyOnAChange_data()
    {
        QTest::addColumn<bool>("storedValue");
        QTest::addColumn<int>("startsAtLaunch"); // stored off: started by the assignment, then by the start
        QTest::newRow("stored on") << true << 1;
        QTest::newRow("stored off") << false << 2;
    }
    void builtInSpeakersRestartOnlyOnAChange()
    {
        QFETCH(bool, storedValue);
        Folders folders;
        TestPacks::writeText(folders.settings, QByteArray("[General]\nbuiltInSpeakers=") + (storedValue ? "true" : "false"));
        AppState state(folders.services());
        QTEST(folders.starts.load(), "startsAtLaunch");
        const int atLaunch = folders.starts;

        QSignalSpy changed(&state, &AppState::builtInSpeakersChanged);
        state.setBuiltInSpeakers(!storedValue);
        state.setBuiltInSpeakers(!storedValue);
        QCOMPARE(folders.starts.load(), atLaunch + 1);
        state.setBuiltInSpeakers(storedValue);
        QCOMPARE(folders.starts.load(), atLaunch + 2);
        QCOMPARE(changed.count(), 2);
    }

    void onboardingAtStart_data()
    {
        QTest::addColumn<bool>("access");
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<bool>("shown");
        QTest::newRow("access, first start ever") << true << QByteArray() << true;
        QTest::newRow("access, key absent") << true << QByteArray("[General]\nvolume=0.5\n") << false;
        QTest::newRow("access, left open") << true << QByteArray("[General]\nonboardingOpen=true\n") << true;
        QTest::newRow("no access, closed") << false << QByteArray("[General]\nonboardingOpen=false\n") << true;
    }
    void onboardingAtStart()
    {
        QFETCH(bool, access);
        QFETCH(QByteArray, store);
        Folders folders;
        if (!store.isEmpty())
            TestPacks::writeText(folders.settings, store);
        AppState state(folders.services([access] { return access; }));
        QSignalSpy requested(&state, &AppState::onboardingRequested);
        // Asked for after construction, from the event loop.
        QCOMPARE(requested.count(), 0);
        QCoreApplication::processEvents();
        QTEST(int(requested.count()) == 1, "shown");
        QTEST(state.shouldShowOnboarding(), "shown");

        // With access, the flag follows the window.
        QSignalSpy changed(&state, &AppState::shouldShowOnboardingChanged);
        state.setOnboardingOpen(!state.shouldShowOnboarding());
        QCOMPARE(changed.count(), access ? 1 : 0);
    }

    void accessGrantedLaterIsFoundByThePoll()
    {
        Folders folders;
        std::atomic<bool> access = false;
        test::Pipe keyboard;
        AppState state(folders.services([&access] { return access.load(); }, &keyboard));
        QVERIFY(!state.hasPermission() && keyboard.read);
        QSignalSpy changed(&state, &AppState::hasPermissionChanged);
        QTest::qWait(KeyListening::permissionPollMs + 200);
        QCOMPARE(changed.count(), 0);

        access = true;
        QTRY_VERIFY_WITH_TIMEOUT(state.hasPermission(), KeyListening::permissionPollMs + 1000);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!keyboard.read && state.monitor().isListening());
    }

    // The gesture does what the panel's switch does, on the state's thread (restarts: tst_endtoend).
    void muteShortcutSwitchesTheSounds()
    {
        Folders folders;
        test::Pipe keyboard;
        AppState state(folders.services([] { return true; }, &keyboard));
        QCOMPARE(state.muteShortcut(), QStringLiteral("bothShifts"));
        waitForLoads(state);
        QSignalSpy changed(&state, &AppState::isEnabledChanged);
        const std::pair<unsigned, int> gesture[]{{KEY_LEFTSHIFT, 1}, {KEY_RIGHTSHIFT, 1}, {KEY_RIGHTSHIFT, 0}, {KEY_LEFTSHIFT, 0}};
        for (const auto &[code, value] : gesture)
            keyboard.key(code, value);
        QTRY_VERIFY(!state.isEnabled());
        QVERIFY(changed.count() == 1 && !state.engine().config().enabled);
        QCOMPARE(stored(folders, Settings::Key::Enabled).toString(), QStringLiteral("false"));
        QCOMPARE(state.engine().nextVoice(), std::size_t(1)); // the left Shift's press only
    }

    // A key source that ends (X server restarted, read error) is reopened, waiting twice as long after each failure.
    void endedKeySourceIsReopened()
    {
        Folders folders;
        test::Pipe keyboard;
        int opened = 0;
        AppState::Services services = folders.services([] { return true; }, &keyboard);
        services.openKeySource = [&opened, open = std::move(services.openKeySource)]() -> std::unique_ptr<InputSource> {
            if (++opened == 1)
                return std::make_unique<test::EndingSource>();
            return opened == 2 ? nullptr : open();
        };
        AppState state(std::move(services));
        QTRY_VERIFY(!state.monitor().isListening());
        QVERIFY(state.hasPermission());
        QCOMPARE(state.listening().retryDelayMs(), KeyListening::firstRetryMs);
        QTRY_COMPARE_WITH_TIMEOUT(opened, 2, KeyListening::firstRetryMs + 1000);
        QCOMPARE(state.listening().retryDelayMs(), 2 * KeyListening::firstRetryMs);
        QTRY_VERIFY_WITH_TIMEOUT(state.monitor().isListening(), 2 * KeyListening::firstRetryMs + 1000);
        QCOMPARE(opened, 3);
        waitForLoads(state);
        keyboard.key(KEY_A, 1);
        QTRY_COMPARE(state.engine().nextVoice(), std::size_t(1));
    }

    void launchAtLogin()
    {
        Folders folders;
        {
            AppState state(folders.services());
            state.setLaunchAtLogin(true);
            QVERIFY(QFile::exists(folders.autostart));
        }
        // Read back from the autostart entry at the next start, not from the settings.
        AppState state(folders.services());
        QVERIFY(state.launchAtLogin());
        state.setLaunchAtLogin(false);
        QVERIFY(!QFile::exists(folders.autostart));
        QVERIFY(!QSettings(folders.settings, QSettings::IniFormat).contains("launchAtLogin"));

        // When registering fails, the view is told the truth.
        QDir(QFileInfo(folders.autostart).absolutePath()).removeRecursively();
        TestPacks::writeText(QFileInfo(folders.autostart).absolutePath(), "in the way");
        QSignalSpy changed(&state, &AppState::launchAtLoginChanged);
        state.setLaunchAtLogin(true);
        QVERIFY(!state.launchAtLogin());
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
