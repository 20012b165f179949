// plinkum-pack: describes, loads and checks sound packs, and manages the user packs, from the
// command line. Output is one JSON document on stdout (list --pretty is for people); exit 0 on
// success, 1 on a pack error, 2 on a usage error. Packs are named by folder or by the ids `list`
// prints.

#include "tools/plinkum-pack/JsonOutput.h"
#include "tools/plinkum-pack/LibraryCommands.h"
#include "tools/plinkum-pack/PackCommands.h"
#include "tools/plinkum-pack/RenderCommands.h"

#include <QCoreApplication>

#include <array>
#include <cstdio>

namespace {

struct Command {
    const char *name;
    const char *usage;
    int (*run)(const QStringList &arguments);
};

// One row per subcommand; groups of subcommands live in their own file pairs.
constexpr std::array commands{
    Command{"info", "info DIR|ID [--builtin]  describe a pack folder without decoding audio",
            plinkum::PackCommands::info},
    Command{"load", "load DIR|ID [--builtin]  load a pack and list every sample's variants",
            plinkum::PackCommands::load},
    Command{"check", "check DIR|ID             report what a pack gives and every file it skips",
            plinkum::PackCommands::check},
    Command{"render", "render DIR|ID --keys SEQ --out FILE.wav [--stereo|--pitch|--key-up on|off] [--volume V] [--seed N]\n"
                      "                           play KEY:down@MS and KEY:up@MS events through the engine into a WAV file",
            plinkum::RenderCommands::render},
    Command{"list", "list [--pretty]          list the built-in and user packs, and the groups",
            plinkum::LibraryCommands::list},
    Command{"import", "import DIR|ZIP           copy a pack folder or zip archive into the user packs folder\n"
                      "  import --from-apps [--list] [--pretty] [NAME|DIR ...]\n"
                      "                           import the packs other keyboard-sound programs keep in this home",
            plinkum::LibraryCommands::importPack},
    Command{"remove", "remove ID|DIR            move a user pack to the trash",
            plinkum::LibraryCommands::remove},
};

void printUsage(std::FILE *stream)
{
    std::fprintf(stream, "usage: plinkum-pack COMMAND ARGUMENTS\n       plinkum-pack --version\n\ncommands:\n");
    for (const Command &command : commands)
        std::fprintf(stream, "  %s\n", command.usage);
    std::fprintf(stream, "\nID is a pack id as list prints it (bundle:..., folder:...).\n"
                         "Output is JSON on stdout. Exit status: 0 success, 1 pack error, 2 usage error.\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printUsage(stderr);
        return plinkum::JsonOutput::UsageError;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage(stdout);
        return plinkum::JsonOutput::Success;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        std::printf("plinkum-pack " PLINKUM_VERSION "\n");
        return plinkum::JsonOutput::Success;
    }
    for (const Command &command : commands) {
        if (name == QLatin1String(command.name))
            return command.run(arguments);
    }
    std::fprintf(stderr, "plinkum-pack: unknown command %s\n", qPrintable(name));
    printUsage(stderr);
    return plinkum::JsonOutput::UsageError;
}
