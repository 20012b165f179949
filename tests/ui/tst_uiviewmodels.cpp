#include "PackCatalog.h"
#include "PanelPlacement.h"
#include "StyleKit.h"
#include "SwitchPickerModel.h"
#include "TitleParts.h"
#include "VersionInfo.h"
#include "VolumeLevel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace plinkum;

namespace {

PackInfo pack(const QString &id, const QString &name, std::optional<QString> type, bool builtIn = true)
{
    PackInfo info;
    info.id = id;
    info.name = name;
    info.type = std::move(type);
    info.isBuiltIn = builtIn;
    return info;
}

QStringList ids(const QList<PackInfo> &packs)
{
    QStringList list;
    for (const PackInfo &info : packs)
        list.append(info.id);
    return list;
}

// Three families and a pack without a type, grouped the way the library groups them.
void fillCatalog(PackCatalog &catalog, QList<PackInfo> custom)
{
    const PackInfo red = pack("bundle:mx-red", "Cherry MX Red", "Linear");
    const PackInfo brown = pack("bundle:mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile");
    const PackInfo yellow = pack("bundle:yellow", "Gateron Yellow", "Linear");
    const PackInfo odd = pack("bundle:odd", "Odd One", std::nullopt);
    catalog.setPacks({red, brown, yellow, odd},
                     {{"Linear", {red, yellow}}, {"Tactile", {brown}}, {"Other", {odd}}}, std::move(custom));
}

} // namespace

class TestUiViewModels : public QObject {
    Q_OBJECT

private slots:
    void stemColorPicksFirstKeywordOfLastPiece_data();
    void stemColorPicksFirstKeywordOfLastPiece();
    void titlePartsMoveBrandIntoSubtitle_data();
    void titlePartsMoveBrandIntoSubtitle();
    void tileSubtitleFallsBackToFamilyThenCustom();
    void volumeShowsSymbolAndRoundedPercent_data();
    void volumeShowsSymbolAndRoundedPercent();
    void chipsListFamiliesAndCustomOnlyWithUserPacks();
    void filterSelectsPacksOfOneFamily();
    void filterWhoseChipVanishedStillApplies();
    void versionTextFallsBackForMissingParts_data();
    void versionTextFallsBackForMissingParts();
    void springSettlesWithoutOvershootingMuch();
    void panelOpensBesideTrayOrPointerAndStaysOnScreen_data();
    void panelOpensBesideTrayOrPointerAndStaysOnScreen();
};

void TestUiViewModels::stemColorPicksFirstKeywordOfLastPiece_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QColor>("expected");
    const auto rgb = [](float r, float g, float b) { return QColor::fromRgbF(r, g, b); };
    QTest::newRow("red-ink before red") << "bundle:red-ink-red" << rgb(0.76f, 0.15f, 0.18f);
    QTest::newRow("plain red") << "bundle:mx-red" << rgb(0.88f, 0.2f, 0.23f);
    QTest::newRow("black without ink") << "bundle:mx-black" << rgb(0.2f, 0.2f, 0.22f);
    QTest::newRow("alps-blue before blue") << "bundle:alps-blue" << rgb(0.23f, 0.51f, 0.96f);
    QTest::newRow("no keyword") << "bundle:silent-linear" << StyleKit::accent();
    QTest::newRow("only before the last colon") << "red:mx-clear" << StyleKit::accent();
    QTest::newRow("case-sensitive") << "folder:Brown" << StyleKit::accent();
    QTest::newRow("no colon at all") << "box-navy" << rgb(0.12f, 0.23f, 0.54f);
    QTest::newRow("only colons") << ":::" << StyleKit::accent();
}

void TestUiViewModels::stemColorPicksFirstKeywordOfLastPiece()
{
    QFETCH(QString, id);
    QFETCH(QColor, expected);
    QCOMPARE(StyleKit::stemColor(id), expected);
}

void TestUiViewModels::titlePartsMoveBrandIntoSubtitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<bool>("hasSubtitle");
    QTest::newRow("brand and separator") << "Cherry MX Brown · PBT" << "MX Brown" << "Cherry · PBT" << true;
    QTest::newRow("brand only") << "Gateron Yellow" << "Yellow" << "Gateron" << true;
    QTest::newRow("neither") << "Holy Panda" << "Holy Panda" << "" << false;
    QTest::newRow("pieces after the second dropped") << "A · B · C" << "A" << "B" << true;
    QTest::newRow("brand needs its blank") << "Cherryish Pink" << "Cherryish Pink" << "" << false;
    QTest::newRow("middle dot without blanks") << "Kailh Box·Jade" << "Box·Jade" << "Kailh" << true;
    QTest::newRow("empty") << "" << "" << "" << false;
}

void TestUiViewModels::titlePartsMoveBrandIntoSubtitle()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, subtitle);
    QFETCH(bool, hasSubtitle);
    const TitleParts parts = TitleParts::fromName(name);
    QCOMPARE(parts.title, title);
    QCOMPARE(parts.subtitle.has_value(), hasSubtitle);
    QCOMPARE(parts.subtitle.value_or(QString()), subtitle);
}

void TestUiViewModels::tileSubtitleFallsBackToFamilyThenCustom()
{
    const auto subtitle = [](const PackInfo &info) { return PackCatalog::toMap(info).value("subtitle").toString(); };
    QCOMPARE(subtitle(pack("bundle:x", "Holy Panda", "Tactile")), "Tactile");
    QCOMPARE(subtitle(pack("folder:x", "My Pack", std::nullopt, false)), "Custom");
    QCOMPARE(subtitle(pack("bundle:x", "Cherry MX Blue", "Clicky")), "Cherry");
    QCOMPARE(PackCatalog::toMap(pack("bundle:x", "Holy Panda", "Tactile")).value("title").toString(), "Holy Panda");
}

void TestUiViewModels::volumeShowsSymbolAndRoundedPercent_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("percent");
    QTest::newRow("0") << 0.0 << "speaker.slash.fill" << "0%";
    QTest::newRow("0.3") << 0.3 << "speaker.wave.1.fill" << "30%";
    QTest::newRow("0.34") << 0.34 << "speaker.wave.2.fill" << "34%";
    QTest::newRow("0.6") << 0.6 << "speaker.wave.2.fill" << "60%";
    QTest::newRow("0.67") << 0.67 << "speaker.wave.3.fill" << "67%";
    QTest::newRow("1") << 1.0 << "speaker.wave.3.fill" << "100%";
    QTest::newRow("0.125 rounds half up") << 0.125 << "speaker.wave.1.fill" << "13%";
    QTest::newRow("0.285 inexact half") << 0.285 << "speaker.wave.1.fill" << "29%";
    QTest::newRow("tiny but not silent") << 0.001 << "speaker.wave.1.fill" << "0%";
}

void TestUiViewModels::volumeShowsSymbolAndRoundedPercent()
{
    QFETCH(double, volume);
    QFETCH(QString, symbol);
    QFETCH(QString, percent);
    QCOMPARE(VolumeLevel::symbol(volume), symbol);
    QCOMPARE(VolumeLevel::percentText(volume), percent);
}

void TestUiViewModels::chipsListFamiliesAndCustomOnlyWithUserPacks()
{
    PackCatalog catalog;
    fillCatalog(catalog, {});
    SwitchPickerModel picker;
    picker.setCatalog(&catalog);
    QCOMPARE(picker.chips(), QStringList({"All", "Linear", "Tactile", "Other"}));
    QCOMPARE(ids(picker.visiblePacks()), QStringList({"bundle:mx-red", "bundle:mx-brown-pbt", "bundle:yellow", "bundle:odd"}));

    QSignalSpy chipsChanged(&picker, &SwitchPickerModel::chipsChanged);
    fillCatalog(catalog, {pack("folder:mine", "Mine", std::nullopt, false)});
    QCOMPARE(chipsChanged.count(), 1);
    QCOMPARE(picker.chips().last(), "Custom");
    QCOMPARE(picker.visiblePacks().last().id, "folder:mine");
}

void TestUiViewModels::filterSelectsPacksOfOneFamily()
{
    PackCatalog catalog;
    fillCatalog(catalog, {pack("folder:mine", "Mine", "Linear", false)});
    SwitchPickerModel picker;
    picker.setCatalog(&catalog);
    QSignalSpy visibleChanged(&picker, &SwitchPickerModel::visiblePacksChanged);

    picker.setFilter("Linear");
    QCOMPARE(visibleChanged.count(), 1);
    // User packs show under "Custom" only, even when they name a family.
    QCOMPARE(ids(picker.visiblePacks()), QStringList({"bundle:mx-red", "bundle:yellow"}));
    // The pack without a type is listed under "All" only.
    picker.setFilter("Other");
    QVERIFY(picker.visiblePacks().isEmpty());
    picker.setFilter("Custom");
    QCOMPARE(ids(picker.visiblePacks()), QStringList({"folder:mine"}));
}

void TestUiViewModels::filterWhoseChipVanishedStillApplies()
{
    PackCatalog catalog;
    fillCatalog(catalog, {pack("folder:mine", "Mine", std::nullopt, false)});
    SwitchPickerModel picker;
    picker.setCatalog(&catalog);
    picker.setFilter("Custom");

    fillCatalog(catalog, {});
    QVERIFY(!picker.chips().contains("Custom"));
    QCOMPARE(picker.filter(), "Custom");
    QVERIFY(picker.visiblePacks().isEmpty());

    const QVariantList shown = picker.property("visiblePacks").toList();
    QVERIFY(shown.isEmpty());
}

void TestUiViewModels::versionTextFallsBackForMissingParts_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both") << "2.1" << "57" << "2.1 (57)";
    QTest::newRow("no build") << "2.1" << "" << "2.1 (1)";
    QTest::newRow("no version") << "" << "57" << "1.0 (57)";
    QTest::newRow("blank") << " " << " " << "1.0 (1)";
}

void TestUiViewModels::versionTextFallsBackForMissingParts()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(QString, expected);
    QCOMPARE(VersionInfo::text(version, build), expected);
    QVERIFY(VersionInfo::current().startsWith(QStringLiteral(PLINKUM_VERSION_FOR_TEST " (")));
}

void TestUiViewModels::springSettlesWithoutOvershootingMuch()
{
    QCOMPARE(StyleKit::spring(0, 0.45, 0.86), 0.0);
    qreal peak = 0;
    for (int ms = 0; ms <= StyleKit::springDuration(0.45, 0.86); ms += 5)
        peak = std::max(peak, StyleKit::spring(ms / 1000.0, 0.45, 0.86));
    QVERIFY(peak < 1.01);
    QVERIFY(qAbs(StyleKit::spring(StyleKit::springDuration(0.45, 0.86) / 1000.0, 0.45, 0.86) - 1) < 0.002);
    QVERIFY(StyleKit::spring(0.1, 0.45, 0.86) > 0.3); // a spring, not a crawl
}

void TestUiViewModels::panelOpensBesideTrayOrPointerAndStaysOnScreen_data()
{
    QTest::addColumn<QRect>("tray");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("top bar: centred under the icon") << QRect(1000, 0, 24, 24) << QPoint() << QPoint(842, 30);
    QTest::newRow("bottom bar: above the icon") << QRect(1000, 1056, 24, 24) << QPoint() << QPoint(842, 650);
    QTest::newRow("icon in the corner: kept on screen") << QRect(1896, 0, 24, 24) << QPoint() << QPoint(1580, 30);
    QTest::newRow("no icon place: at the pointer") << QRect() << QPoint(100, 10) << QPoint(0, 17);
}

void TestUiViewModels::panelOpensBesideTrayOrPointerAndStaysOnScreen()
{
    QFETCH(QRect, tray);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, expected);
    QCOMPARE(PanelPlacement::topLeft(tray, pointer, QRect(0, 0, 1920, 1080), QSize(340, 400)), expected);
}

QTEST_GUILESS_MAIN(TestUiViewModels)
#include "tst_uiviewmodels.moc"
