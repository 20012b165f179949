#include "packs/PackLibrary.h"
#include "packs/PeerPackFinder.h"
#include "tests/support/PeerHome.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

// Import from other apps against a home laid out as those programs leave it.
class TestPeerPackFinder : public QObject {
    Q_OBJECT

    // One line per pack found: program, folder below the home, format, and "imported",
    // "importable" or "unreadable".
    static QStringList found(const QString &home)
    {
        QStringList lines;
        for (const PeerPackFinder::Found &f : PeerPackFinder().find(PeerHome::userPacks(home))) {
            const char *state = !f.problem.isEmpty() ? "unreadable" : f.imported ? "imported" : "importable";
            lines << QStringLiteral("%1 %2 [%3] %4").arg(f.program, f.path.mid(home.size() + 1), f.format, state);
        }
        return lines;
    }

private slots:
    // Each kind of pack in its program's folder; a copy imported before and renamed is known by its
    // document, a pack merely sharing its name is not; importing every importable one through the
    // library leaves all imported and the sources untouched.
    void findsEveryProgramsPacks()
    {
        QTemporaryDir home;
        QVERIFY(PeerHome::write(home.path()));
        const PeerHome::Pointing pointing(home.path());
        const QMap<QString, QByteArray> before = PeerHome::sources(home.path());

        const QStringList expected{
            "Mechvibes .config/Mechvibes/custom/broken [] unreadable",
            "Mechvibes .config/Mechvibes/custom/cherry-blue [Mechvibes v1] importable",
            "Mechvibes .config/Mechvibes/custom/topre [Mechvibes v1] imported",
            "Mechvibes mechvibes_custom/Topre [Mechvibes v1] importable",
            "MechvibesDX .local/share/mechvibes/soundpacks/keyboard/eg-oreo [MechvibesDX v2] importable",
            "MechvibesDX .local/share/mechvibes/soundpacks/mouse/wooden [MechvibesDX v2] importable",
            "keyboardsounds keyboardsounds-pro/profiles/alpaca [keyboardsounds profile] importable",
            "keyboardsounds .local/lib/python3.11/site-packages/keyboardsounds/profiles/red-ink [keyboardsounds profile] importable",
        };
        QCOMPARE(found(home.path()), expected);
        const QList<PeerPackFinder::Found> all = PeerPackFinder().find(PeerHome::userPacks(home.path()));
        QVERIFY2(all.first().problem.contains("config.json"), qPrintable(all.first().problem));

        PackLibrary library({}, PeerHome::userPacks(home.path()));
        for (const PeerPackFinder::Found &f : all) {
            PackLibrary::ImportError error;
            QVERIFY2(!f.importable() || library.importPack(f.path, &error), qPrintable(error.message));
        }
        QStringList after = expected;
        after.replaceInStrings("importable", "imported");
        QCOMPARE(found(home.path()), after);
        QCOMPARE(PeerHome::sources(home.path()), before);
    }
};

QTEST_GUILESS_MAIN(TestPeerPackFinder)
#include "tst_peerpackfinder.moc"
