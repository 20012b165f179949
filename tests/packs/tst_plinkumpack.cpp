#include "TestPacks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// plinkum-pack as pack authors and other tests run it: its JSON and its exit codes.
class TestPlinkumPack : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QByteArray out;
        QJsonObject json;
    };

    static Run run(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(PLINKUM_BINARY_DIR "/bin/plinkum-pack"), arguments);
        Run result;
        if (!process.waitForFinished(30000))
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.json = QJsonDocument::fromJson(result.out).object();
        return result;
    }

    static QString testdata(const char *pack) { return QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/") + pack; }

private slots:
    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("nothing") << QStringList{} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
        QTest::newRow("info with two folders") << QStringList{"info", "a", "b"} << 2;
        QTest::newRow("check takes no --builtin") << QStringList{"check", "a", "--builtin"} << 2;
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        if (exitCode == 0)
            QVERIFY(result.out.contains("usage: plinkum-pack"));
    }

    void info()
    {
        const Run builtIn = run({"info", testdata("holy-pandas"), "--builtin"});
        QCOMPARE(builtIn.exitCode, 0);
        QCOMPARE(builtIn.json, QJsonDocument::fromJson(R"({"id":"bundle:holy-pandas","name":"pandas","type":null,"order":0,"isBuiltIn":true})").object());

        QTemporaryDir dir;
        QVERIFY(TestPacks::writeText(dir.filePath("pack.json"), R"({"name":"N","type":"Clicky","order":-2,"down":{}})"));
        QCOMPARE(run({"info", dir.path()}).json, QJsonDocument::fromJson(R"({"id":"folder:)" + QFileInfo(dir.path()).fileName().toUtf8() + R"(","name":"N","type":"Clicky","order":-2,"isBuiltIn":false})").object());

        const Run none = run({"info", dir.filePath("nothing-here")});
        QCOMPARE(none.exitCode, 1);
        QCOMPARE(none.json, QJsonObject({{"error", "notAPack"}}));
    }

    void load()
    {
        const Run result = run({"load", testdata("holy-pandas")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.json.value("info").toObject().value("id").toString(), QString("folder:holy-pandas"));
        const QJsonArray standard = result.json.value("down").toObject().value("standard").toArray();
        QCOMPARE(standard.size(), 5);
        for (const QJsonValue &sample : standard) {
            const QJsonArray frames = sample.toObject().value("frames").toArray();
            QCOMPARE(frames.size(), 5);
            QVERIFY(frames[0].toInteger() > frames[2].toInteger());
            QVERIFY(sample.toObject().value("energy").toDouble() > 0.0);
        }
        QCOMPARE(result.json.value("keyUp").toObject().keys(), QStringList({"36", "49", "51"}));
        QCOMPARE(result.json.value("up").toObject().value("standard").toArray().size(), 1);
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("manifest"); // empty: none
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("no document") << QByteArray() << "noManifest" << "The folder must contain a pack.json or a Mechvibes config.json.";
        QTest::newRow("nothing plays") << QByteArray(R"({"name":"N","down":{"standard":["gone.wav"]}})") << "noSounds" << "No playable sounds were found in this pack.";
        QTest::newRow("wrong type") << QByteArray(R"({"name":"N","down":[]})") << "invalidDocument" << R"(pack.json: member "down" must be an object)";
    }
    void failures()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, error);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!manifest.isEmpty())
            QVERIFY(TestPacks::writeText(dir.filePath("pack.json"), manifest));
        const Run loaded = run({"load", dir.path()});
        QCOMPARE(loaded.exitCode, 1);
        QCOMPARE(loaded.json, QJsonObject({{"error", error}, {"message", message}}));
        const Run checked = run({"check", dir.path()});
        QCOMPARE(checked.exitCode, 1);
        QCOMPARE(checked.json.value("loads").toBool(), false);
        QCOMPARE(checked.json.value("error").toObject().value("error").toString(), error);
    }

    void check()
    {
        const Run result = run({"check", testdata("mxblue-travel")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.json.value("format").toString(), QString("Mechvibes config.json (version 2, multi)"));
        QCOMPARE(result.json.value("down").toObject(), QJsonObject({{"standard", 5}}));
        const QJsonArray skipped = result.json.value("skipped").toArray();
        QCOMPARE(skipped.size(), 6);
        for (const QJsonValue &entry : skipped)
            QCOMPARE(entry.toObject().value("reason").toString(), QString("missing"));
    }
};

QTEST_GUILESS_MAIN(TestPlinkumPack)
#include "tst_plinkumpack.moc"
