#include "packs/PackLevel.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace plinkum {

const QString PackLevel::fileName = QStringLiteral(".plinkum-level.json");

namespace {

const QString gainKey = QStringLiteral("gain_db");
const QString trimKey = QStringLiteral("trim_db");

std::optional<double> number(const QJsonObject &object, const QString &key, double limit)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return std::clamp(value.toDouble(), -limit, limit);
}

// Scales each sample once, however many lists share it.
class Scaler {
public:
    explicit Scaler(float gain) : m_gain(gain) {}

    SampleList operator()(const SampleList &list)
    {
        SampleList scaled;
        scaled.reserve(list.size());
        for (const SamplePtr &sample : list) {
            SamplePtr &copy = m_done[sample.get()];
            if (!copy) {
                Sample louder;
                for (const AudioBuffer &variant : sample->variants) {
                    std::vector<float> frames = variant.frames();
                    for (float &x : frames)
                        x *= m_gain;
                    louder.variants.emplace_back(std::move(frames));
                }
                copy = std::make_shared<const Sample>(std::move(louder));
            }
            scaled.push_back(copy);
        }
        return scaled;
    }

    template <typename Map>
    Map operator()(const Map &map)
    {
        Map scaled;
        for (const auto &[key, list] : map)
            scaled[key] = (*this)(list);
        return scaled;
    }

private:
    float m_gain;
    std::unordered_map<const Sample *, SamplePtr> m_done;
};

} // namespace

PackLevel PackLevel::read(const QString &folder)
{
    QFile file(folder + u'/' + fileName);
    // A few numbers: anything larger is not this file.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4096)
        return {};
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    PackLevel level;
    level.gainDb = number(object, gainKey, maxGainDb);
    if (const std::optional<double> trim = number(object, trimKey, maxTrimDb))
        level.trimDb = clampTrim(*trim);
    return level;
}

bool PackLevel::write(const QString &folder) const
{
    QJsonObject object;
    if (gainDb)
        object.insert(gainKey, *gainDb);
    if (trimDb)
        object.insert(trimKey, *trimDb);
    QSaveFile file(folder + u'/' + fileName);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) >= 0 && file.commit();
}

double PackLevel::clampTrim(double db)
{
    if (!std::isfinite(db))
        return 0.0;
    return std::clamp(std::round(db / trimStepDb) * trimStepDb, -maxTrimDb, maxTrimDb);
}

double PackLevel::startingTrim(std::optional<double> ownGain)
{
    return ownGain && *ownGain > 0 ? clampTrim(20.0 * std::log10(*ownGain)) : 0.0;
}

LoadedPackPtr PackLevel::applied(const LoadedPackPtr &pack, double db)
{
    if (!pack || db == 0.0 || !std::isfinite(db))
        return pack;
    Scaler scale(static_cast<float>(std::pow(10.0, db / 20.0)));
    LoadedPack::ButtonMap buttonDown;
    LoadedPack::ButtonMap buttonUp;
    for (std::size_t i = 0; i < buttonDown.size(); ++i) {
        buttonDown[i] = scale(pack->buttonDown()[i]);
        buttonUp[i] = scale(pack->buttonUp()[i]);
    }
    return std::make_shared<const LoadedPack>(pack->info(), scale(pack->down()), scale(pack->up()), scale(pack->keyDown()),
                                              scale(pack->keyUp()), std::move(buttonDown), std::move(buttonUp));
}

} // namespace plinkum
