#include "LinuxKeyCodes.h"

#include <QtTest>

#include <set>

using namespace plinkum;

namespace {

// evdev code -> macOS key code, as in the platform notes' table.
constexpr std::pair<unsigned, KeyCode> expected[] = {
    {1, 0x35},   {59, 0x7A},  {60, 0x78},  {61, 0x63},  {62, 0x76},  {63, 0x60},  {64, 0x61},
    {65, 0x62},  {66, 0x64},  {67, 0x65},  {68, 0x6D},  {87, 0x67},  {88, 0x6F},  {41, 0x32},
    {2, 0x12},   {3, 0x13},   {4, 0x14},   {5, 0x15},   {6, 0x17},   {7, 0x16},   {8, 0x1A},
    {9, 0x1C},   {10, 0x19},  {11, 0x1D},  {12, 0x1B},  {13, 0x18},  {14, 0x33},  {15, 0x30},
    {16, 0x0C},  {17, 0x0D},  {18, 0x0E},  {19, 0x0F},  {20, 0x11},  {21, 0x10},  {22, 0x20},
    {23, 0x22},  {24, 0x1F},  {25, 0x23},  {26, 0x21},  {27, 0x1E},  {43, 0x2A},  {58, 0x39},
    {30, 0x00},  {31, 0x01},  {32, 0x02},  {33, 0x03},  {34, 0x05},  {35, 0x04},  {36, 0x26},
    {37, 0x28},  {38, 0x25},  {39, 0x29},  {40, 0x27},  {28, 0x24},  {42, 0x38},  {54, 0x3C},
    {44, 0x06},  {45, 0x07},  {46, 0x08},  {47, 0x09},  {48, 0x0B},  {49, 0x2D},  {50, 0x2E},
    {51, 0x2B},  {52, 0x2F},  {53, 0x2C},  {29, 0x3B},  {97, 0x3E},  {56, 0x3A},  {100, 0x3D},
    {125, 0x37}, {126, 0x36}, {57, 0x31},  {105, 0x7B}, {106, 0x7C}, {103, 0x7E}, {108, 0x7D},
    {110, 0x72}, {111, 0x75}, {102, 0x73}, {107, 0x77}, {104, 0x74}, {109, 0x79}, {96, 0x4C},
    {464, 0x3F}, {86, 0x0A},  {127, 0x6E},
};

} // namespace

class TestLinuxKeyCodes : public QObject {
    Q_OBJECT

private slots:
    void table_data()
    {
        QTest::addColumn<uint>("evdev");
        QTest::addColumn<int>("mac");
        for (const auto &[evdev, mac] : expected)
            QTest::addRow("evdev %u", evdev) << evdev << int(mac);
    }
    void table()
    {
        QFETCH(uint, evdev);
        QFETCH(int, mac);
        QCOMPARE(LinuxKeyCodes::fromEvdev(evdev), std::optional<KeyCode>(KeyCode(mac)));
        // X11 keycodes are evdev codes + 8 and stop at 255, which leaves Fn out.
        const auto x11 = LinuxKeyCodes::fromX11(evdev + 8);
        if (evdev + 8 <= 255)
            QCOMPARE(x11, std::optional<KeyCode>(KeyCode(mac)));
        else
            QVERIFY(!x11);
    }

    void onlyTheTable()
    {
        std::set<KeyCode> macCodes;
        int mapped = 0;
        for (unsigned evdev = 0; evdev < 0x10000; ++evdev) {
            if (const auto mac = LinuxKeyCodes::fromEvdev(evdev)) {
                ++mapped;
                macCodes.insert(*mac);
            }
        }
        QCOMPARE(mapped, int(std::size(expected)));
        QCOMPARE(macCodes.size(), std::size(expected)); // no two keys share a code
        for (unsigned x11 = 0; x11 < 8; ++x11)
            QVERIFY(!LinuxKeyCodes::fromX11(x11));
        QVERIFY(!LinuxKeyCodes::fromEvdev(0));     // KEY_RESERVED
        QVERIFY(!LinuxKeyCodes::fromEvdev(55));    // keypad *
        QVERIFY(!LinuxKeyCodes::fromEvdev(113));   // mute
        QVERIFY(!LinuxKeyCodes::fromEvdev(0x110)); // left mouse button
        QVERIFY(!LinuxKeyCodes::fromX11(0xFFFFFFFFu));
    }
};

QTEST_GUILESS_MAIN(TestLinuxKeyCodes)
#include "tst_linuxkeycodes.moc"
