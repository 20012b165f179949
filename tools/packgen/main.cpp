// plinkum-packgen: writes the built-in switch and mouse packs at build time.
//   plinkum-packgen OUT_DIR MECHVIBES_DIR KBSIM_DIR MOUSE_DIR [BUCKLESPRING_WAV_DIR [LICENCE_FILE ...]]
#include "tools/packgen/BuiltInPacks.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 4) {
        std::fputs("usage: plinkum-packgen OUT_DIR MECHVIBES_DIR KBSIM_DIR MOUSE_DIR [BUCKLESPRING_WAV_DIR [LICENCE_FILE ...]]\n", stderr);
        return 2;
    }
    plinkum::BuiltInPacks::Options options;
    options.outFolder = args.at(0);
    options.mechvibesFolder = args.at(1);
    options.kbsimFolder = args.at(2);
    options.mouseFolder = args.at(3);
    options.bucklespringWavFolder = args.value(4);
    options.bucklespringLicences = args.mid(5);
    QString error;
    if (!plinkum::BuiltInPacks::generate(options, &error)) {
        std::fprintf(stderr, "plinkum-packgen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
