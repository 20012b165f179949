#include "KeySequence.h"

#include <QtTest>

using namespace plinkum;

class TestKeySequence : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "code/d|u/ms ..." or "error"
        QTest::newRow("names") << "a:down@0 a:up@80" << "0/d/0 0/u/80";
        QTest::newRow("named special keys") << "escape:down@1 right:down@2 lshift:up@3 capslock:down@4"
                                            << "53/d/1 124/d/2 56/u/3 57/d/4";
        QTest::newRow("digits are keys, not codes") << "1:down@0 0:down@5" << "18/d/0 29/d/5";
        QTest::newRow("decimal codes") << "12:down@0 07:down@1 126:up@2" << "12/d/0 7/d/1 126/u/2";
        QTest::newRow("sorted by time, ties keep order") << "s:up@50 a:down@10 d:down@50" << "0/d/10 1/u/50 2/d/50";
        QTest::newRow("extra spaces") << "  space:down@3   space:up@4 " << "49/d/3 49/u/4";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("unknown name") << "shift:down@0" << "error";
        QTest::newRow("code beyond 16 bits") << "65536:down@0" << "error";
        QTest::newRow("bad direction") << "a:press@0" << "error";
        QTest::newRow("negative time") << "a:down@-5" << "error";
        QTest::newRow("missing time") << "a:down" << "error";
        QTest::newRow("trailing junk") << "a:down@5ms" << "error";
        QTest::newRow("later than ten minutes") << "a:down@600001" << "error";
        QTest::newRow("upper case") << "A:down@0" << "error";
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        std::string error;
        const auto sequence = KeySequence::parse(text.toStdString(), &error);
        if (expected == "error") {
            QVERIFY(!sequence);
            QVERIFY(error.starts_with("event 1 "));
            return;
        }
        QVERIFY2(sequence, error.c_str());
        QStringList got;
        for (const auto &e : sequence->events())
            got << QString("%1/%2/%3").arg(e.keyCode).arg(e.down ? "d" : "u").arg(e.milliseconds);
        QCOMPARE(got.join(' '), expected);
    }

    void errorNamesThePosition()
    {
        std::string error;
        QVERIFY(!KeySequence::parse("a:down@0 a:up@5 zz:down@9", &error));
        QCOMPARE(QString::fromStdString(error), QString("event 3 is not KEY:down@MS or KEY:up@MS"));
    }
};

QTEST_GUILESS_MAIN(TestKeySequence)
#include "tst_keysequence.moc"
