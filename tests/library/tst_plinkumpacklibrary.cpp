#include "PackFolders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace PackFolders;

// plinkum-pack's list, import and remove, run from a private prefix so that its built-in packs
// are the test's own, with XDG_DATA_HOME inside a temporary folder.
class TestPlinkumPackLibrary : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QJsonObject json;
    };

    std::unique_ptr<QTemporaryDir> m_tmp;

    QString userFolder() const { return m_tmp->path() + "/data/Plinkum/Packs"; }
    QString source(const char *name) const { return m_tmp->path() + "/sources/" + name; }

    Run run(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", m_tmp->path() + "/data");
        process.setProcessEnvironment(environment);
        process.start(m_tmp->path() + "/prefix/bin/plinkum-pack", arguments);
        Run result;
        if (!process.waitForFinished(30000))
            return result;
        result.exitCode = process.exitCode();
        result.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        return result;
    }

    static QStringList ids(const QJsonValue &infos)
    {
        QStringList result;
        for (const QJsonValue &info : infos.toArray())
            result << info[QLatin1String("id")].toString();
        return result;
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        const QString bin = m_tmp->path() + "/prefix/bin";
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::copy(PLINKUM_BINARY_DIR "/bin/plinkum-pack", bin + "/plinkum-pack"));
        const QString builtIn = m_tmp->path() + "/prefix/share/plinkum/Packs";
        QVERIFY(writeFolder(builtIn + "/tactile",
                            {{"pack.json", manifest("Tactile One", "Tactile", 2)}, {"click.wav", wav}}));
        QVERIFY(writeFolder(builtIn + "/plain", {{"pack.json", manifest("Plain", {}, 1)}, {"click.wav", wav}}));
    }

    void cleanup() { m_tmp.reset(); }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("list with a folder") << QStringList{"list", "x"};
        QTest::newRow("import without a folder") << QStringList{"import"};
        QTest::newRow("remove without an id") << QStringList{"remove"};
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(run(arguments).exitCode, 2);
    }

    void importListRemove()
    {
        QVERIFY(writeFolder(source("Blue Box"), validPack("Blue")));
        const Run first = run({"import", source("Blue Box")});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.json, QJsonObject({{"id", "folder:Blue Box"}, {"name", "Blue"}, {"type", QJsonValue::Null},
                                          {"order", 0}, {"isBuiltIn", false}}));

        const Run list = run({"list"});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(ids(list.json["builtIn"]), QStringList({"bundle:plain", "bundle:tactile"}));
        QCOMPARE(ids(list.json["custom"]), QStringList({"folder:Blue Box"}));
        QCOMPARE(list.json["grouped"].toArray(),
                 QJsonArray({QJsonArray{"Tactile", QJsonArray{"bundle:tactile"}},
                             QJsonArray{"Other", QJsonArray{"bundle:plain"}}}));

        const Run builtIn = run({"remove", "bundle:tactile"});
        QCOMPARE(builtIn.exitCode, 0);
        QCOMPARE(builtIn.json["removed"].toBool(true), false);
        const Run user = run({"remove", "folder:Blue Box"});
        QCOMPARE(user.exitCode, 0);
        QCOMPARE(user.json["removed"].toBool(), true);
        QVERIFY(!QFileInfo::exists(userFolder() + "/Blue Box"));
        QCOMPARE(run({"remove", "folder:Blue Box"}).json["error"].toString(), QStringLiteral("unknownPack"));
    }

    void importFailures_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<bool>("withFifo");
        QTest::addColumn<QString>("error");
        QTest::newRow("no document") << Files{{"click.wav", wav}} << false << "noManifest";
        QTest::newRow("malformed pack.json")
            << Files{{"pack.json", "{\"name\":1,\"down\":{}}"}, {"config.json", R"({"defines":{"30":"click.wav"}})"},
                     {"click.wav", wav}}
            << false << "invalidDocument";
        QTest::newRow("nothing plays") << Files{{"pack.json", manifest("Ghost")}} << false << "noSounds";
        QTest::newRow("copy fails") << validPack("Piped") << true << "copyFailed";
    }

    void importFailures()
    {
        QFETCH(Files, files);
        QFETCH(bool, withFifo);
        QFETCH(QString, error);
        QVERIFY(writeFolder(source("Broken"), files));
        if (withFifo)
            QVERIFY(::mkfifo(QFile::encodeName(source("Broken") + "/pipe").constData(), 0644) == 0);
        const Run result = run({"import", source("Broken")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.json["error"].toString(), error);
        QVERIFY(!result.json["message"].toString().isEmpty());
        QCOMPARE(contents(userFolder()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPlinkumPackLibrary)
#include "tst_plinkumpacklibrary.moc"
