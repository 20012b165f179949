#include "KeyEventFilter.h"

#include "InputTestSupport.h"

#include <QtTest>

using namespace plinkum;

class TestKeyEventFilter : public QObject {
    Q_OBJECT

private:
    // Feeds "D<code>" key down, "R<code>" auto-repeated key down, "U<code>" key up,
    // "F<code>" flags changed; returns what the filter delivered.
    static QString run(KeyEventFilter &filter, QStringList &delivered, const QString &input)
    {
        for (const QString &step : input.split(' ', Qt::SkipEmptyParts)) {
            const auto code = static_cast<KeyCode>(step.mid(1).toUInt());
            switch (step.at(0).toLatin1()) {
            case 'D': filter.handleKeyDown(code, false); break;
            case 'R': filter.handleKeyDown(code, true); break;
            case 'U': filter.handleKeyUp(code); break;
            case 'F': filter.handleFlagsChanged(code); break;
            default: qFatal("bad step");
            }
        }
        return delivered.join(' ');
    }

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("delivered");

        QTest::newRow("held key: repeats dropped") << "D0 R0 R0 R0 U0" << "d0 u0";
        QTest::newRow("two keys, released in press order") << "D0 D11 U0 U11" << "d0 d11 u0 u11";
        QTest::newRow("two keys, released in reverse order") << "D0 D11 U11 U0" << "d0 d11 u11 u0";
        QTest::newRow("down while pressed delivers nothing") << "D0 D0 U0 D0" << "d0 u0 d0";
        QTest::newRow("unmatched up still delivered") << "U0 U0 D0 U0" << "u0 u0 d0 u0";
        QTest::newRow("repeat without a down delivers nothing") << "R0 U0" << "u0";
        QTest::newRow("highest key code") << "D65535 U65535" << "d65535 u65535";

        QTest::newRow("left shift press and release") << "F56 F56" << "d56 u56";
        QTest::newRow("left and right shift independent") << "F56 F60 F56 F60" << "d56 d60 u56 u60";
        QTest::newRow("right shift released first") << "F56 F60 F60 F56" << "d56 d60 u60 u56";
        QTest::newRow("every modifier toggles")
            << "F54 F55 F58 F59 F61 F62 F63 F54 F55 F58 F59 F61 F62 F63"
            << "d54 d55 d58 d59 d61 d62 d63 u54 u55 u58 u59 u61 u62 u63";
        QTest::newRow("caps lock only ever down") << "F57 F57 F57" << "d57 d57 d57";
        QTest::newRow("caps lock between shift changes") << "F56 F57 F56 F57" << "d56 d57 u56 d57";
        // Its first change is the release, seen as a press: out of step from then on.
        QTest::newRow("modifier held at start") << "F59 F59 F59" << "d59 u59 d59";
        QTest::newRow("flags change of a non-modifier ignored") << "F53 F64 F0 F49 F65535" << "";
        QTest::newRow("modifier keys and letters interleaved") << "F56 D0 U0 F56" << "d56 d0 u0 u56";
    }
    void rules()
    {
        QFETCH(QString, input);
        QFETCH(QString, delivered);
        QStringList events;
        KeyEventFilter filter([&](KeyEvent e) { events << test::word(e); });
        QCOMPARE(run(filter, events, input), delivered);
    }

    void pressedSet()
    {
        QStringList events;
        KeyEventFilter filter([&](KeyEvent e) { events << test::word(e); });
        run(filter, events, "D0 F56 F57 D11 U11 F60 F60");
        QCOMPARE(filter.pressed().count(), 2u);
        QVERIFY(filter.pressed().test(0));
        QVERIFY(filter.pressed().test(56));
        QVERIFY(!filter.pressed().test(KeyEventFilter::capsLock));
        run(filter, events, "U0 F56 U999");
        QVERIFY(filter.pressed().none());
    }
};

QTEST_GUILESS_MAIN(TestKeyEventFilter)
#include "tst_keyeventfilter.moc"
