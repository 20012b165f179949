#include "KeyCategory.h"
#include "KeyTables.h"
#include "LinuxKeyCodes.h"

#include <QtTest>

#include <algorithm>
#include <bit>
#include <set>

using namespace plinkum;

class TestKeyTables : public QObject {
    Q_OBJECT

private slots:
    void categories_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<KeyCategory>("category");
        QTest::newRow("Return") << 36 << KeyCategory::Enter;
        QTest::newRow("keypad Enter") << 76 << KeyCategory::Enter;
        QTest::newRow("Space") << 49 << KeyCategory::Space;
        QTest::newRow("Delete") << 51 << KeyCategory::Backspace;
        QTest::newRow("Forward Delete") << 117 << KeyCategory::Backspace;
        QTest::newRow("Right Command, first modifier") << 54 << KeyCategory::Modifier;
        QTest::newRow("Function, last modifier") << 63 << KeyCategory::Modifier;
        QTest::newRow("Escape, just below") << 53 << KeyCategory::Standard;
        QTest::newRow("F17, just above") << 64 << KeyCategory::Standard;
        QTest::newRow("highest code") << 65535 << KeyCategory::Standard;
    }
    void categories()
    {
        QFETCH(int, keyCode);
        QFETCH(KeyCategory, category);
        QCOMPARE(keyCategory(static_cast<KeyCode>(keyCode)), category);
        QCOMPARE(isModifierKey(static_cast<KeyCode>(keyCode)), category == KeyCategory::Modifier);
    }

    // Pack documents store these words.
    void rawValues()
    {
        const char *raws[] = {"standard", "space", "enter", "backspace", "modifier"};
        for (std::size_t i = 0; i < allKeyCategories.size(); ++i) {
            QCOMPARE(rawValue(allKeyCategories[i]), std::string_view(raws[i]));
            QCOMPARE(keyCategoryFromRaw(raws[i]), std::optional(allKeyCategories[i]));
        }
        for (const char *bad : {"Standard", "", " enter", "modifiers"})
            QVERIFY2(!keyCategoryFromRaw(bad), bad);
    }

    void positions()
    {
        const auto &rows = KeyTables::keyboardRows();
        std::vector<std::size_t> sizes;
        std::set<KeyCode> keys;
        for (const auto &row : rows) {
            sizes.push_back(row.size());
            keys.insert(row.begin(), row.end());
            // Every row spans the keyboard from exactly -1 to +1.
            QCOMPARE(KeyTables::keyPosition(row.front()), std::optional(-1.0f));
            QCOMPARE(KeyTables::keyPosition(row.back()), std::optional(1.0f));
        }
        QCOMPARE(sizes, (std::vector<std::size_t>{13, 14, 14, 13, 12, 10}));
        QCOMPARE(keys.size(), 76u); // no key in two places
        QCOMPARE(KeyTables::keyPositions().size(), 77u);

        const auto bits = [](KeyCode code) { return std::bit_cast<std::uint32_t>(*KeyTables::keyPosition(code)); };
        QCOMPARE(bits(126), 0x3F59999Au); // Up Arrow
        QCOMPARE(bits(49), 0u);           // Space, centred whatever its index
        QCOMPARE(bits(96), std::bit_cast<std::uint32_t>(5.0f / 12.0f * 2.0f - 1.0f)); // F5
        // Right Control, keypad Enter, Forward Delete: no position.
        for (KeyCode code : {62, 76, 117})
            QVERIFY(!KeyTables::keyPosition(code));
    }

    // Mechvibes numbers below 256 are evdev codes and its extended keys have evdev counterparts,
    // so the two hand-made tables must agree key for key.
    void mechvibesAndLinuxCodes()
    {
        const auto &map = KeyTables::mechvibesKeyMap();
        QCOMPARE(map.size(), 84u);
        const std::pair<long long, unsigned> extended[] = {
            {3612, 96}, {3613, 97}, {3640, 100}, {3675, 125}, {3676, 126}, {3655, 102}, {3657, 104},
            {3663, 107}, {3665, 109}, {3666, 110}, {3667, 111}, {57416, 103}, {57424, 108},
            {57419, 105}, {57421, 106}};
        std::set<KeyCode> codes;
        for (const auto &[number, code] : map) {
            const auto it = std::find_if(std::begin(extended), std::end(extended),
                                         [&](const auto &e) { return e.first == number; });
            const unsigned evdev = it != std::end(extended) ? it->second : static_cast<unsigned>(number);
            QCOMPARE(LinuxKeyCodes::fromEvdev(evdev), std::optional(code));
            QCOMPARE(LinuxKeyCodes::fromX11(evdev + 8), std::optional(code));
            codes.insert(code);
        }
        QCOMPARE(codes.size(), 84u);
        for (const auto &row : KeyTables::keyboardRows())
            for (KeyCode code : row)
                QVERIFY(code == 63 || codes.count(code)); // all but Function have a number
        QCOMPARE(KeyTables::mechvibesKey(30), std::optional<KeyCode>(0)); // A
        QCOMPARE(KeyTables::mechvibesKey(34), std::optional<KeyCode>(5)); // G, not H
        for (long long none : {0, 55, 86, -1})
            QVERIFY(!KeyTables::mechvibesKey(none));

        // Keys without a Mechvibes number: Fn (beyond X11's 255), the ISO extra key, Menu.
        QCOMPARE(LinuxKeyCodes::fromEvdev(464), std::optional<KeyCode>(0x3F));
        QVERIFY(!LinuxKeyCodes::fromX11(464 + 8));
        QCOMPARE(LinuxKeyCodes::fromEvdev(86), std::optional<KeyCode>(0x0A));
        QCOMPARE(LinuxKeyCodes::fromEvdev(127), std::optional<KeyCode>(0x6E));
        int mapped = 0;
        for (unsigned evdev = 0; evdev < 0x10000; ++evdev)
            mapped += LinuxKeyCodes::fromEvdev(evdev).has_value();
        QCOMPARE(mapped, 87); // nothing else: unknown keys are dropped
        for (unsigned x11 : {0u, 7u, 0xFFFFFFFFu})
            QVERIFY(!LinuxKeyCodes::fromX11(x11));
    }
};

QTEST_GUILESS_MAIN(TestKeyTables)
#include "tst_keytables.moc"
