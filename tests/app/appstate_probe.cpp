// A second process for the durability tests.
//   appstate_probe read SETTINGS_FILE        prints every setting as key=value
//   appstate_probe set ROOT PROPERTY VALUE   builds the state on ROOT's folders, assigns the
//                                            property, prints "set" and waits to be killed
#include "tests/support/AppTestSupport.h"

#include <QCoreApplication>

#include <cstdio>

using namespace plinkum;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"read") {
        const Settings settings(args[2]);
        for (int key = 0; key < Settings::keyCount; ++key)
            std::printf("%s=%s\n", Settings::name(Settings::Key(key)), qPrintable(settings.value(Settings::Key(key)).toString()));
        return 0;
    }
    if (args.size() == 5 && args[1] == u"set") {
        const AppTestSupport::Folders folders(args[2]);
        AppState state(folders.services([] { return false; }));
        if (!state.setProperty(qPrintable(args[3]), args[4]))
            return 2;
        std::printf("set\n");
        std::fflush(stdout);
        return app.exec();
    }
    return 2;
}
