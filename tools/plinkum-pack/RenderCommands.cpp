#include "tools/plinkum-pack/RenderCommands.h"

#include "tools/plinkum-pack/JsonOutput.h"
#include "audio/KeySequence.h"
#include "audio/OfflineRenderer.h"
#include "tools/plinkum-pack/PackArgument.h"
#include "packs/PackLoader.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <variant>

namespace plinkum::RenderCommands {

namespace {

constexpr const char *usage =
    "plinkum-pack render DIR|ID --keys \"SEQ\" --out FILE.wav [--stereo on|off] [--pitch on|off] "
    "[--key-up on|off] [--volume V] [--seed N] [--mouse-pack DIR|ID] [--mouse-volume V]";

struct RenderArguments {
    QString folder;
    QString mouseFolder;
    QString keys;
    QString out;
    OfflineRenderer::Options options;
};

int usageError(const QString &why)
{
    std::fprintf(stderr, "plinkum-pack render: %s\nusage: %s\n", qPrintable(why), usage);
    return JsonOutput::UsageError;
}

std::optional<bool> onOff(const QString &value)
{
    if (value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("off"))
        return false;
    return std::nullopt;
}

// The arguments, or the message saying what is wrong with them.
std::variant<RenderArguments, QString> parse(const QStringList &arguments)
{
    RenderArguments parsed;
    bool haveKeys = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            if (!parsed.folder.isEmpty())
                return QStringLiteral("only one pack");
            parsed.folder = argument;
            continue;
        }
        if (i + 1 >= arguments.size())
            return argument + QStringLiteral(" needs a value");
        const QString value = arguments[++i];
        bool ok = true;
        if (argument == QLatin1String("--keys")) {
            parsed.keys = value;
            haveKeys = true;
        } else if (argument == QLatin1String("--out")) {
            parsed.out = value;
        } else if (argument == QLatin1String("--stereo") || argument == QLatin1String("--pitch")
                   || argument == QLatin1String("--key-up")) {
            const std::optional<bool> flag = onOff(value);
            if (!flag)
                return argument + QStringLiteral(" takes on or off");
            bool &option = argument == QLatin1String("--stereo") ? parsed.options.stereo
                : argument == QLatin1String("--pitch")           ? parsed.options.pitchVariation
                                                                 : parsed.options.playKeyUp;
            option = *flag;
        } else if (argument == QLatin1String("--volume") || argument == QLatin1String("--mouse-volume")) {
            const float volume = value.toFloat(&ok);
            if (!ok || !std::isfinite(volume) || volume < 0.0f || volume > 1.0f)
                return argument + QStringLiteral(" takes a number from 0 to 1");
            (argument == QLatin1String("--volume") ? parsed.options.volume : parsed.options.mouseVolume) = volume;
        } else if (argument == QLatin1String("--mouse-pack")) {
            parsed.mouseFolder = value;
        } else if (argument == QLatin1String("--seed")) {
            const qulonglong seed = value.toULongLong(&ok);
            if (!ok)
                return QStringLiteral("--seed takes a non-negative whole number");
            parsed.options.seed = seed;
        } else {
            return QStringLiteral("unknown option ") + argument;
        }
    }
    if (parsed.folder.isEmpty() || !haveKeys || parsed.out.isEmpty())
        return QStringLiteral("DIR or ID, --keys and --out are required");
    return parsed;
}

} // namespace

int render(const QStringList &arguments)
{
    const auto parsed = parse(arguments);
    if (const QString *why = std::get_if<QString>(&parsed))
        return usageError(*why);
    const RenderArguments &args = std::get<RenderArguments>(parsed);

    std::string error;
    const std::optional<KeySequence> sequence = KeySequence::parse(args.keys.toStdString(), &error);
    if (!sequence)
        return usageError(QStringLiteral("--keys: ") + QString::fromStdString(error));

    const PackLoader::LoadResult result = PackLoader::load(PackArgument::describe(PackArgument::folder(args.folder, false)));
    if (!result.ok())
        return JsonOutput::printFailure(result.failure());

    OfflineRenderer::Options options = args.options;
    if (!args.mouseFolder.isEmpty()) {
        const PackLoader::LoadResult mouse = PackLoader::load(PackArgument::describe(PackArgument::folder(args.mouseFolder, false)));
        if (!mouse.ok())
            return JsonOutput::printFailure(mouse.failure());
        options.mousePack = mouse.pack();
    }
    const std::vector<float> samples = OfflineRenderer::render(result.pack(), *sequence, options);
    if (const auto failure = OfflineRenderer::writeWav(QFile::encodeName(args.out).toStdString(), samples)) {
        JsonOutput::print({{QStringLiteral("error"), QStringLiteral("writeFailed")},
                           {QStringLiteral("message"), QString::fromStdString(*failure)}});
        return JsonOutput::PackError;
    }
    float peak = 0.0f;
    for (float s : samples)
        peak = std::max(peak, std::abs(s));
    const auto frames = static_cast<qint64>(samples.size() / Mixer::channelCount);
    JsonOutput::print({{QStringLiteral("out"), args.out},
                       {QStringLiteral("frames"), frames},
                       {QStringLiteral("seconds"), static_cast<double>(frames) / Mixer::sampleRate},
                       {QStringLiteral("peak"), static_cast<double>(peak)}});
    return JsonOutput::Success;
}

} // namespace plinkum::RenderCommands
