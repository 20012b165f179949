#include "KeyCategory.h"
#include "KeyTables.h"

#include <QtTest>

#include <bit>
#include <set>
#include <thread>

using namespace plinkum;

class TestKeyTables : public QObject {
    Q_OBJECT

private slots:
    void categories_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("category");
        const auto row = [](int code, KeyCategory c) {
            QTest::addRow("%d", code) << code << static_cast<int>(c);
        };
        row(36, KeyCategory::Enter);
        row(76, KeyCategory::Enter);
        row(49, KeyCategory::Space);
        row(51, KeyCategory::Backspace);
        row(117, KeyCategory::Backspace);
        for (int code = 54; code < 64; ++code)
            row(code, KeyCategory::Modifier);
        row(53, KeyCategory::Standard); // Escape
        row(48, KeyCategory::Standard); // Tab
        row(64, KeyCategory::Standard); // F17, just past the modifiers
        row(0, KeyCategory::Standard);
        row(126, KeyCategory::Standard);
        row(65535, KeyCategory::Standard);
    }
    void categories()
    {
        QFETCH(int, keyCode);
        QFETCH(int, category);
        QCOMPARE(static_cast<int>(keyCategory(static_cast<KeyCode>(keyCode))), category);
        QCOMPARE(isModifierKey(static_cast<KeyCode>(keyCode)), category == static_cast<int>(KeyCategory::Modifier));
    }

    void rawValues()
    {
        const char *raws[] = {"standard", "space", "enter", "backspace", "modifier"};
        for (std::size_t i = 0; i < allKeyCategories.size(); ++i) {
            QCOMPARE(rawValue(allKeyCategories[i]), std::string_view(raws[i]));
            QCOMPARE(keyCategoryFromRaw(raws[i]), std::optional(allKeyCategories[i]));
        }
        for (const char *bad : {"Standard", "SPACE", "", " enter", "shift", "modifiers"})
            QVERIFY2(!keyCategoryFromRaw(bad), bad);
    }

    void rows()
    {
        const auto &rows = KeyTables::keyboardRows();
        QCOMPARE(rows.size(), 6u);
        const std::vector<std::size_t> sizes{13, 14, 14, 13, 12, 10};
        std::set<KeyCode> all;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            QCOMPARE(rows[r].size(), sizes[r]);
            all.insert(rows[r].begin(), rows[r].end());
        }
        QCOMPARE(all.size(), 76u); // no key in two places
        QCOMPARE(rows[3].front(), KeyCode(57));
        QCOMPARE(rows[5][4], KeyCode(49));
    }

    void positions_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<float>("position");
        for (int code : {53, 48, 57, 56, 63, 50})
            QTest::addRow("left %d", code) << code << -1.0f;
        for (int code : {111, 51, 42, 36, 60, 124})
            QTest::addRow("right %d", code) << code << 1.0f;
        QTest::newRow("space") << 49 << 0.0f;
        QTest::newRow("up arrow") << 126 << 0.85f;
        QTest::newRow("F5 (row 1, index 5)") << 96 << (5.0f / 12.0f) * 2.0f - 1.0f;
        QTest::newRow("Y (row 3, index 6)") << 16 << (6.0f / 13.0f) * 2.0f - 1.0f;
        QTest::newRow("Right Command") << 54 << (5.0f / 9.0f) + (5.0f / 9.0f) - 1.0f;
    }
    void positions()
    {
        QFETCH(int, keyCode);
        QFETCH(float, position);
        const auto p = KeyTables::keyPosition(static_cast<KeyCode>(keyCode));
        QVERIFY(p.has_value());
        QCOMPARE(std::bit_cast<std::uint32_t>(*p), std::bit_cast<std::uint32_t>(position));
    }

    void positionsTable()
    {
        QCOMPARE(KeyTables::keyPositions().size(), 77u);
        QCOMPARE(std::bit_cast<std::uint32_t>(*KeyTables::keyPosition(126)), 0x3F59999Au);
        // Right Control, keypad keys, Home, End, Page Up/Down, Help, Forward Delete: centred.
        for (KeyCode code : {62, 82, 83, 65, 76, 115, 119, 116, 121, 114, 117, 200})
            QVERIFY2(!KeyTables::keyPosition(code), qPrintable(QString::number(code)));
        // Every row spans the keyboard from exactly -1 to +1.
        for (const auto &row : KeyTables::keyboardRows()) {
            if (row.front() != 63)
                QCOMPARE(*KeyTables::keyPosition(row.front()), -1.0f);
            QCOMPARE(*KeyTables::keyPosition(row.back()), 1.0f);
        }
    }

    void mechvibes_data()
    {
        QTest::addColumn<qlonglong>("number");
        QTest::addColumn<int>("keyCode");
        QTest::newRow("escape") << 1LL << 53;
        QTest::newRow("backspace") << 14LL << 51;
        QTest::newRow("A") << 30LL << 0;
        QTest::newRow("H") << 35LL << 4;
        QTest::newRow("G") << 34LL << 5;
        QTest::newRow("space") << 57LL << 49;
        QTest::newRow("caps lock") << 58LL << 57;
        QTest::newRow("F11") << 87LL << 103;
        QTest::newRow("keypad enter") << 3612LL << 76;
        QTest::newRow("right control") << 3613LL << 62;
        QTest::newRow("up arrow") << 57416LL << 126;
        QTest::newRow("left arrow") << 57419LL << 123;
        QTest::newRow("55 has none") << 55LL << -1;
        QTest::newRow("69 has none") << 69LL << -1;
        QTest::newRow("86 has none") << 86LL << -1;
        QTest::newRow("0 has none") << 0LL << -1;
        QTest::newRow("negative") << -1LL << -1;
    }
    void mechvibes()
    {
        QFETCH(qlonglong, number);
        QFETCH(int, keyCode);
        const auto key = KeyTables::mechvibesKey(number);
        if (keyCode < 0)
            QVERIFY(!key);
        else
            QCOMPARE(key, std::optional<KeyCode>(static_cast<KeyCode>(keyCode)));
    }

    void mechvibesTable()
    {
        const auto &map = KeyTables::mechvibesKeyMap();
        QCOMPARE(map.size(), 84u);
        std::set<KeyCode> codes;
        for (const auto &[number, code] : map)
            codes.insert(code);
        QCOMPARE(codes.size(), 84u);
        // Every key of the keyboard rows has a Mechvibes number except Function.
        for (const auto &row : KeyTables::keyboardRows())
            for (KeyCode code : row)
                QVERIFY2(code == 63 || codes.count(code), qPrintable(QString::number(code)));
    }

    void concurrentFirstUse()
    {
        // Separate process state is not available here, but racing readers must at least agree.
        std::vector<std::thread> threads;
        std::atomic<int> mismatches{0};
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&] {
                if (KeyTables::keyPositions().size() != 77 || KeyTables::mechvibesKeyMap().size() != 84)
                    ++mismatches;
            });
        }
        for (auto &t : threads)
            t.join();
        QCOMPARE(mismatches.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestKeyTables)
#include "tst_keytables.moc"
