#include "keys/KeyTables.h"

namespace plinkum::KeyTables {

const std::vector<std::vector<KeyCode>> &keyboardRows()
{
    static const std::vector<std::vector<KeyCode>> rows{
        // Escape, F1 … F12
        {53, 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111},
        // Grave, 1 … 0, Minus, Equal, Delete
        {50, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29, 27, 24, 51},
        // Tab, Q … P, brackets, Backslash
        {48, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33, 30, 42},
        // Caps Lock, A … L, Semicolon, Quote, Return
        {57, 0, 1, 2, 3, 5, 4, 38, 40, 37, 41, 39, 36},
        // Shift, Z … M, Comma, Period, Slash, Right Shift
        {56, 6, 7, 8, 9, 11, 45, 46, 43, 47, 44, 60},
        // Function, Control, Option, Command, Space, Right Command, Right Option, arrows
        {63, 59, 58, 55, 49, 54, 61, 123, 125, 124},
    };
    return rows;
}

const std::unordered_map<KeyCode, float> &keyPositions()
{
    static const std::unordered_map<KeyCode, float> positions = [] {
        std::unordered_map<KeyCode, float> map;
        for (const auto &row : keyboardRows()) {
            const float last = static_cast<float>(row.size() - 1);
            for (std::size_t i = 0; i < row.size(); ++i) {
                const float q = static_cast<float>(i) / last;
                map.try_emplace(row[i], q + q - 1.0f);
            }
        }
        map[49] = 0.0f;  // Space sits in the middle, whatever its row index says.
        map[126] = 0.85f; // Up Arrow, above Down Arrow.
        return map;
    }();
    return positions;
}

std::optional<float> keyPosition(KeyCode keyCode)
{
    const auto &map = keyPositions();
    const auto it = map.find(keyCode);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

const std::unordered_map<long long, KeyCode> &mechvibesKeyMap()
{
    // Every key of Mechvibes' own key table (libuiohook's numbering, which its packs use), and
    // F16 to F20, which its key hook reports too. Print Screen, Scroll Lock and Pause play as F13,
    // F14 and F15, where Apple's extended keyboards have them and where the key sources put them.
    static const std::unordered_map<long long, KeyCode> map{
        {1, 53},     {2, 18},     {3, 19},     {4, 20},     {5, 21},     {6, 23},
        {7, 22},     {8, 26},     {9, 28},     {10, 25},    {11, 29},    {12, 27},
        {13, 24},    {14, 51},    {15, 48},    {16, 12},    {17, 13},    {18, 14},
        {19, 15},    {20, 17},    {21, 16},    {22, 32},    {23, 34},    {24, 31},
        {25, 35},    {26, 33},    {27, 30},    {28, 36},    {29, 59},    {30, 0},
        {31, 1},     {32, 2},     {33, 3},     {34, 5},     {35, 4},     {36, 38},
        {37, 40},    {38, 37},    {39, 41},    {40, 39},    {41, 50},    {42, 56},
        {43, 42},    {44, 6},     {45, 7},     {46, 8},     {47, 9},     {48, 11},
        {49, 45},    {50, 46},    {51, 43},    {52, 47},    {53, 44},    {54, 60},
        {56, 58},    {57, 49},    {58, 57},    {59, 122},   {60, 120},   {61, 99},
        {62, 118},   {63, 96},    {64, 97},    {65, 98},    {66, 100},   {67, 101},
        {68, 109},   {87, 103},   {88, 111},   {3612, 76},  {3613, 62},  {3640, 61},
        {3675, 55},  {3676, 54},  {3655, 115}, {3657, 116}, {3663, 119}, {3665, 121},
        {3666, 114}, {3667, 117}, {57416, 126}, {57424, 125}, {57419, 123}, {57421, 124},
        // Keypad: Num Lock (Clear on Apple's keypads), operators, digits.
        {69, 71},    {3637, 75},  {55, 67},    {74, 78},    {78, 69},    {3597, 81},
        {83, 65},    {82, 82},    {79, 83},    {80, 84},    {81, 85},    {75, 86},
        {76, 87},    {77, 88},    {71, 89},    {72, 91},    {73, 92},
        // F13 to F20, Print Screen, Scroll Lock, Pause, Menu.
        {91, 105},   {92, 107},   {93, 113},   {99, 106},   {100, 64},   {101, 79},
        {102, 80},   {103, 90},   {3639, 105}, {70, 107},   {3653, 113}, {3677, 110},
    };
    return map;
}

bool isWindowsOnlyMechvibesKey(long long mechvibesNumber)
{
    // Mechvibes moves the navigation keys to these numbers on Windows only; elsewhere they never
    // play, and the pack's own numbers for those keys are the ones above.
    return mechvibesNumber >= 60999 && mechvibesNumber <= 61011;
}

std::optional<KeyCode> mechvibesKey(long long mechvibesNumber)
{
    const auto &map = mechvibesKeyMap();
    const auto it = map.find(mechvibesNumber);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

} // namespace plinkum::KeyTables
