#include "NaturalOrder.h"
#include "PackLibrary.h"
#include "PackLoadError.h"
#include "TestPacks.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace plinkum;
using Kind = PackLibrary::ImportError::Kind;
using namespace TestPacks;

class TestPackLibrary : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_builtIn;
    QString m_sources;

    QString userFolder() const { return m_tmp->path() + "/data/Plinkum/Packs"; }
    std::unique_ptr<PackLibrary> library() const
    {
        return std::make_unique<PackLibrary>(m_builtIn, PackLibrary::defaultUserFolder());
    }

private slots:
    void initTestCase()
    {
        // Sorting must not depend on the machine's locale; CI runs in C.
        QLocale::setDefault(QLocale::c());
    }

    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tmp->path() + "/data"));
        m_builtIn = m_tmp->path() + "/builtin";
        m_sources = m_tmp->path() + "/sources";
        QVERIFY(QDir().mkpath(m_builtIn));
    }

    void cleanup() { m_tmp.reset(); }

    void importNamesEachCopyFreely()
    {
        QVERIFY(writeFolder(m_sources + "/Blue Box", validPack("Blue")));
        QVERIFY(writeFolder(m_sources + "/.dotted", validPack("Dotted")));
        QVERIFY(writeFolder(m_builtIn + "/mx-brown-pbt", validPack("Brown")));
        QVERIFY(writeFolder(m_sources + "/mx-brown-pbt", validPack("Brown")));
        const auto lib = library();
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        QStringList imported;
        for (const char *source : {"Blue Box", "Blue Box", "Blue Box", ".dotted", "mx-brown-pbt"}) {
            PackLibrary::ImportError error;
            const auto info = lib->importPack(m_sources + '/' + source, &error);
            QVERIFY2(info, qPrintable(error.message));
            QCOMPARE(info->url, QUrl::fromLocalFile(userFolder() + '/' + info->id.mid(7)));
            imported << info->id;
        }
        QCOMPARE(imported, QStringList({"folder:Blue Box", "folder:Blue Box 2", "folder:Blue Box 3",
                                        "folder:dotted", "folder:mx-brown-pbt"}));
        QCOMPARE(changed.count(), 5);
        QCOMPARE(ids(lib->custom()), QStringList({"folder:Blue Box", "folder:Blue Box 2", "folder:Blue Box 3",
                                                  "folder:mx-brown-pbt", "folder:dotted"}));
        QCOMPARE(ids(lib->builtIn()), QStringList({"bundle:mx-brown-pbt"}));
        QCOMPARE(contents(m_sources + "/Blue Box"), QStringList({"click.wav", "pack.json"}));
    }

    void importCopiesLinksAsLinks()
    {
        QVERIFY(writeFolder(m_sources + "/Linked", validPack("Linked")));
        // A link to the parent would make a copy that follows links endless.
        QVERIFY(QFile::link("..", m_sources + "/Linked/loop"));
        QVERIFY(QFile::link("click.wav", m_sources + "/Linked/again.wav"));
        const auto lib = library();
        const auto info = lib->importPack(m_sources + "/Linked");
        QVERIFY(info);
        const QString copy = userFolder() + "/Linked";
        QCOMPARE(contents(copy), QStringList({"again.wav", "click.wav", "loop", "pack.json"}));
        QCOMPARE(QFileInfo(copy + "/loop").symLinkTarget(), QFileInfo(userFolder()).canonicalFilePath());
        QVERIFY(QFileInfo(copy + "/again.wav").isSymLink());
    }

    // Each broken source fails with its own error and leaves the packs folder as it was. A FIFO
    // stops the copy for any user, root included, and would block a reader forever.
    void importFailureLeavesNothing_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("fifo"); // empty: none
        QTest::addColumn<Kind>("kind");
        const QByteArray sliceConfig = R"({"name":"Slices","sound":"click.wav","defines":{"30":[0,40]}})";
        QTest::newRow("only audio") << Files{{"click.wav", wav}} << "" << Kind::NoManifest;
        QTest::newRow("config define is a number")
            << Files{{"config.json", R"({"sound":"click.wav","defines":{"30":5}})"}, {"click.wav", wav}} << "" << Kind::NoManifest;
        QTest::newRow("pack.json without down beside a valid config")
            << Files{{"pack.json", R"({"name":"Half"})"}, {"config.json", sliceConfig}, {"click.wav", wav}} << "" << Kind::InvalidDocument;
        QTest::newRow("every file missing") << Files{{"pack.json", manifest("Ghost")}} << "" << Kind::NoSounds;
        QTest::newRow("copy fails at the first entry") << validPack("Piped") << "a-fifo" << Kind::CopyFailed;
        QTest::newRow("copy fails after files were copied") << validPack("Piped") << "sounds/deeper/z-fifo" << Kind::CopyFailed;
    }

    void importFailureLeavesNothing()
    {
        QFETCH(Files, files);
        QFETCH(QString, fifo);
        QFETCH(Kind, kind);
        const QString broken = m_sources + "/Broken";
        QVERIFY(writeFolder(broken, files));
        QVERIFY(writeFolder(broken + "/sounds/deeper", {{"b.wav", wav}, {"c.wav", wav}}));
        if (!fifo.isEmpty())
            QVERIFY(::mkfifo(QFile::encodeName(broken + '/' + fifo).constData(), 0644) == 0);
        QVERIFY(writeFolder(m_sources + "/Fine", validPack("Fine")));
        const auto lib = library();
        QVERIFY(lib->importPack(m_sources + "/Fine"));
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        PackLibrary::ImportError error;
        QVERIFY(!lib->importPack(broken, &error));
        QCOMPARE(error.kind, kind);
        if (kind == Kind::CopyFailed)
            QVERIFY2(error.message.contains(fifo), qPrintable(error.message));
        else if (kind == Kind::InvalidDocument)
            QVERIFY2(error.message.startsWith("pack.json: "), qPrintable(error.message));
        else
            QCOMPARE(error.message, description(kind == Kind::NoManifest ? PackLoadError::NoManifest : PackLoadError::NoSounds));
        QCOMPARE(contents(userFolder()), QStringList({"Fine", "Fine/click.wav", "Fine/pack.json"}));
        QCOMPARE(ids(lib->custom()), QStringList({"folder:Fine"}));
        QCOMPARE(changed.count(), 0);
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("letters ignore case") << "alpha" << "Beta";
        QTest::newRow("leading zeros") << "Pack 9" << "Pack 010";
        QTest::newRow("beyond 64 bits") << "x 99999999999999999999" << "x 100000000000000000000";
        QTest::newRow("numbers inside") << "a2b" << "a10a";
    }

    void naturalOrder()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const NaturalOrder order;
        QVERIFY(order.compare(before, after) < 0);
        QVERIFY(order.compare(after, before) > 0);
        QCOMPARE(order.compare(before, before), 0);
    }

    void groupsBuiltInPacks()
    {
        struct {
            const char *folder, *type;
            int order;
        } packs[] = {{"a", "Tactile", 3}, {"b", "Retro", 4}, {"c", "", 5}, {"d", "Linear", 6},
                     {"e", "Tactile", 7}, {"f", "Zeta", 8}, {"g", "Vintage", 9}, {"h", "Clicky", 0}};
        for (const auto &p : packs)
            QVERIFY(writeFolder(m_builtIn + '/' + p.folder, validPack(p.folder, p.type, p.order)));
        const auto lib = library();
        QCOMPARE(ids(lib->builtIn()), QStringList({"bundle:h", "bundle:a", "bundle:b", "bundle:c", "bundle:d",
                                                   "bundle:e", "bundle:f", "bundle:g"}));
        QStringList shape;
        for (const PackLibrary::Group &g : lib->grouped())
            shape << g.title + ':' + ids(g.packs).join(',');
        QCOMPARE(shape, QStringList({"Linear:bundle:d", "Tactile:bundle:a,bundle:e", "Clicky:bundle:h",
                                     "Vintage:bundle:g", "Retro:bundle:b", "Other:bundle:c", "Zeta:bundle:f"}));
    }

    void deleteMovesUserPacksToTrash()
    {
        QVERIFY(writeFolder(m_builtIn + "/base", validPack("Base")));
        QVERIFY(writeFolder(userFolder() + "/Mine", validPack("Mine")));
        QVERIFY(writeFolder(m_tmp->path() + "/elsewhere", validPack("Elsewhere")));
        const auto lib = library();
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        lib->deletePack(lib->builtIn().first());
        PackInfo outside = lib->custom().first();
        outside.url = QUrl::fromLocalFile(m_tmp->path() + "/elsewhere");
        lib->deletePack(outside);
        QCOMPARE(ids(lib->all()), QStringList({"bundle:base", "folder:Mine"}));
        QVERIFY(QFileInfo::exists(m_builtIn + "/base/pack.json"));
        QVERIFY(QFileInfo::exists(m_tmp->path() + "/elsewhere/pack.json"));
        QCOMPARE(changed.count(), 0);

        lib->deletePack(lib->custom().first());
        QCOMPARE(ids(lib->all()), QStringList({"bundle:base"}));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!QFileInfo::exists(userFolder() + "/Mine"));
        const QString trash = m_tmp->path() + "/data/Trash";
        QVERIFY(QFileInfo::exists(trash + "/files/Mine/pack.json"));
        QVERIFY(QFileInfo::exists(trash + "/info/Mine.trashinfo"));
    }

    // With no usable data folder Qt moves the item below the working directory and reports success.
    void deleteWithoutTrashKeepsThePack()
    {
        QVERIFY(writeFolder(m_tmp->path() + "/cwd", {{"file", "not a folder"}}));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tmp->path() + "/cwd/file/data"));
        const QString packs = m_tmp->path() + "/packs";
        QVERIFY(writeFolder(packs + "/Mine", validPack("Mine")));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tmp->path() + "/cwd"));
        PackLibrary lib(m_builtIn, packs);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Unable to establish trash directory"));
        lib.deletePack(lib.custom().first());
        QVERIFY(QDir::setCurrent(cwd));
        QCOMPARE(ids(lib.custom()), QStringList({"folder:Mine"}));
        QCOMPARE(contents(packs), QStringList({"Mine", "Mine/click.wav", "Mine/pack.json"}));
        QCOMPARE(contents(m_tmp->path() + "/cwd"), QStringList({"file"}));
    }
};

QTEST_GUILESS_MAIN(TestPackLibrary)
#include "tst_packlibrary.moc"
