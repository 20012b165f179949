#include "tools/packgen/KbsimRecordingImport.h"

#include "tools/packgen/StrokeCleaner.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace plinkum {

namespace {

// Keyboard rows by key code, as kbsim plays them: R0 the function and number rows, R1 from Tab,
// R2 from Caps Lock, R3 the shifts and the letters between them, R4 the space bar's row and the
// arrows. Space, Return and Delete play their own recordings.
constexpr std::uint8_t rowKeys[5][26] = {
    {53, 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 50, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29, 27, 24},
    {48, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33, 30, 42},
    {57, 0, 1, 2, 3, 5, 4, 38, 40, 37, 41, 39},
    {56, 6, 7, 8, 9, 11, 45, 46, 43, 47, 44, 60},
    {63, 59, 58, 55, 54, 61, 62, 123, 124, 125, 126},
};
constexpr int rowSizes[5] = {26, 14, 12, 12, 11};
// The ordinary keys' category prefers the home row, then the rows nearest it.
constexpr int rowPreference[5] = {2, 1, 3, 0, 4};

std::vector<float> cleanCut(const StrokeCleaner::Source &source, const StrokeCleaner::Floor &floor)
{
    return StrokeCleaner::cut(source.frames, {0, source.frames.size()}, source.rate, floor);
}

// Pearson correlation of `a` and `b` read at `speed` from `lag` samples on, over `window` samples.
double correlation(const std::vector<float> &a, const std::vector<float> &b, double speed, long lag, std::size_t window)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(window, a.size()); ++i) {
        const double at = static_cast<double>(lag) + static_cast<double>(i) * speed;
        const auto k = static_cast<long>(std::floor(at));
        if (k < 0 || k + 1 >= static_cast<long>(b.size()))
            continue;
        const double f = at - static_cast<double>(k);
        const double y = b[static_cast<std::size_t>(k)] * (1 - f) + b[static_cast<std::size_t>(k) + 1] * f;
        ab += a[i] * y;
        aa += double(a[i]) * a[i];
        bb += y * y;
    }
    return ab / std::sqrt(aa * bb + 1e-30);
}

} // namespace

bool KbsimRecordingImport::Strokes::complete() const
{
    const auto present = [](const std::vector<float> &s) { return !s.empty(); };
    return rate > 0 && std::all_of(rows.begin(), rows.end(), present) && present(space) && present(enter)
        && present(backspace) && !releases.empty() && std::all_of(releases.begin(), releases.end(), present)
        && present(spaceUp) && present(enterUp) && present(backspaceUp);
}

KbsimRecordingImport::Strokes KbsimRecordingImport::Strokes::mapped(
    const std::function<std::vector<float>(const std::vector<float> &)> &press,
    const std::function<std::vector<float>(const std::vector<float> &)> &release) const
{
    Strokes out;
    out.rate = rate;
    for (std::size_t r = 0; r < rows.size(); ++r)
        out.rows[r] = press(rows[r]);
    out.space = press(space);
    out.enter = press(enter);
    out.backspace = press(backspace);
    for (const auto &up : releases)
        out.releases.push_back(release(up));
    out.spaceUp = release(spaceUp);
    out.enterUp = release(enterUp);
    out.backspaceUp = release(backspaceUp);
    return out;
}

std::optional<KbsimRecordingImport::Strokes> KbsimRecordingImport::read(const QString &folder)
{
    const QDir dir(folder);
    std::vector<std::pair<QString, StrokeCleaner::Source>> sources;
    QStringList names;
    for (int r = 0; r < 5; ++r)
        names << QStringLiteral("press/GENERIC_R%1.mp3").arg(r);
    for (const char *key : {"SPACE", "ENTER", "BACKSPACE"}) {
        names << QStringLiteral("press/%1.mp3").arg(QLatin1String(key));
        names << QStringLiteral("release/%1.mp3").arg(QLatin1String(key));
    }
    const QDir releases(dir.filePath(QStringLiteral("release")));
    for (const QString &name : releases.entryList({QStringLiteral("GENERIC*.mp3")}, QDir::Files, QDir::Name))
        names << QStringLiteral("release/") + name;
    for (const QString &name : names) {
        if (auto source = StrokeCleaner::read(dir.filePath(name)))
            sources.emplace_back(name, std::move(*source));
    }
    if (sources.empty())
        return std::nullopt;
    std::vector<const std::vector<float> *> all;
    for (const auto &[name, source] : sources)
        all.push_back(&source.frames);
    const int rate = sources.front().second.rate;
    const StrokeCleaner::Floor floor = StrokeCleaner::noiseFloor(all, rate);

    Strokes strokes;
    strokes.rate = rate;
    for (const auto &[name, source] : sources) {
        if (source.rate != rate)
            return std::nullopt;
        std::vector<float> sound = cleanCut(source, floor);
        const QString key = name.section(QLatin1Char('/'), 1).chopped(4);
        const bool down = name.startsWith(QLatin1String("press/"));
        if (down && key.startsWith(QLatin1String("GENERIC_R")))
            strokes.rows[static_cast<std::size_t>(key.back().digitValue())] = std::move(sound);
        else if (!down && key.startsWith(QLatin1String("GENERIC"))) {
            const bool copy = std::any_of(strokes.releases.begin(), strokes.releases.end(),
                                          [&](const auto &other) { return sameStroke(other, sound, rate); });
            if (!copy)
                strokes.releases.push_back(std::move(sound));
        } else if (key == QLatin1String("SPACE"))
            (down ? strokes.space : strokes.spaceUp) = std::move(sound);
        else if (key == QLatin1String("ENTER"))
            (down ? strokes.enter : strokes.enterUp) = std::move(sound);
        else if (key == QLatin1String("BACKSPACE"))
            (down ? strokes.backspace : strokes.backspaceUp) = std::move(sound);
    }
    const bool rows = std::all_of(strokes.rows.begin(), strokes.rows.end(), [](const auto &s) { return !s.empty(); });
    if (!rows || strokes.releases.empty())
        return std::nullopt;
    return strokes;
}

void KbsimRecordingImport::write(const Strokes &strokes, PackWriter &writer)
{
    std::vector<QString> rowFiles;
    for (std::size_t r = 0; r < strokes.rows.size(); ++r)
        rowFiles.push_back(writer.addSound(QStringLiteral("press-r%1").arg(r), strokes.rows[r], strokes.rate));
    std::vector<std::size_t> ordinary;
    for (int r : rowPreference) {
        const auto &press = strokes.rows[static_cast<std::size_t>(r)];
        const bool copy = std::any_of(ordinary.begin(), ordinary.end(), [&](std::size_t o) {
            return sameStroke(strokes.rows[o], press, strokes.rate);
        });
        if (!copy)
            ordinary.push_back(static_cast<std::size_t>(r));
    }
    for (int r = 0; r < 5; ++r) {
        for (int k = 0; k < rowSizes[r]; ++k)
            writer.addKey(rowKeys[r][k], rowFiles[static_cast<std::size_t>(r)]);
    }
    QStringList releases;
    for (std::size_t i = 0; i < strokes.releases.size(); ++i)
        releases << writer.addSound(QStringLiteral("release-%1").arg(i + 1), strokes.releases[i], strokes.rate);
    for (std::size_t r : ordinary)
        writer.addDown(QStringLiteral("standard"), rowFiles[r]);
    writer.addDown(QStringLiteral("modifier"), rowFiles[4]);
    for (const QString &release : releases) {
        writer.addUp(QStringLiteral("standard"), release);
        writer.addUp(QStringLiteral("modifier"), release);
    }
    const std::pair<const char *, std::pair<const std::vector<float> *, const std::vector<float> *>> own[] = {
        {"space", {&strokes.space, &strokes.spaceUp}},
        {"enter", {&strokes.enter, &strokes.enterUp}},
        {"backspace", {&strokes.backspace, &strokes.backspaceUp}}};
    for (const auto &[category, sounds] : own) {
        const QString name = QLatin1String(category);
        writer.addDown(name, writer.addSound(QStringLiteral("press-") + name, *sounds.first, strokes.rate));
        writer.addUp(name, writer.addSound(QStringLiteral("release-") + name, *sounds.second, strokes.rate));
    }
}

bool KbsimRecordingImport::sameStroke(const std::vector<float> &a, const std::vector<float> &b, int rate)
{
    // Over the first 30 ms, at lags up to ±1.4 ms: copies correlate above 0.95, different
    // strokes of one switch below 0.6.
    const auto window = static_cast<std::size_t>(0.03 * rate);
    const auto maxLag = std::lround(0.0014 * rate);
    double best = 0;
    for (double speed = 0.9; speed <= 1.1 && best < 0.9; speed += 0.0025) {
        for (long lag = -maxLag; lag <= maxLag; ++lag)
            best = std::max(best, correlation(a, b, speed, lag, window));
    }
    return best >= 0.9;
}

} // namespace plinkum
