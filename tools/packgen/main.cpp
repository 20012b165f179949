// plinkum-packgen: writes the built-in switch packs at build time.
//   plinkum-packgen OUT_DIR MECHVIBES_DIR KBSIM_DIR [BUCKLESPRING_WAV_DIR [LICENCE_FILE ...]]
#include "tools/packgen/BuiltInPacks.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 3) {
        std::fputs("usage: plinkum-packgen OUT_DIR MECHVIBES_DIR KBSIM_DIR [BUCKLESPRING_WAV_DIR [LICENCE_FILE ...]]\n", stderr);
        return 2;
    }
    plinkum::BuiltInPacks::Options options;
    options.outFolder = args.at(0);
    options.mechvibesFolder = args.at(1);
    options.kbsimFolder = args.at(2);
    options.bucklespringWavFolder = args.value(3);
    options.bucklespringLicences = args.mid(4);
    QString error;
    if (!plinkum::BuiltInPacks::generate(options, &error)) {
        std::fprintf(stderr, "plinkum-packgen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
