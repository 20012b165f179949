#include "AppTestSupport.h"
#include "QuickItems.h"

#include "PlinkumApp.h"

#include <QtTest>

using namespace plinkum;
using namespace AppTestSupport;

namespace {

QList<QQuickWindow *> windowsTitled(const QString &title)
{
    QList<QQuickWindow *> found;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (auto *quick = qobject_cast<QQuickWindow *>(window); quick && quick->title() == title)
            found.append(quick);
    }
    return found;
}

} // namespace

class TestUiAppState : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

    void init()
    {
        m_folders = std::make_unique<Folders>();
        m_state = std::make_unique<AppState>(m_folders->services());
        QTRY_VERIFY_WITH_TIMEOUT(!m_state->isLoadingPack(), 10000);
        m_app = std::make_unique<PlinkumApp>(*m_state);
        m_app->openPanel();
        const auto panels = windowsTitled("Plinkum");
        QCOMPARE(panels.size(), 1);
        m_panel = panels.first();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel));
    }

    void cleanup()
    {
        m_app.reset();
        m_state.reset();
        m_folders.reset();
    }

    void headerSwitchTurnsSoundsOff()
    {
        click(m_panel, findNamed(m_panel->contentItem(), "enableSwitch"));
        QCOMPARE(m_state->isEnabled(), false);
        QCOMPARE(m_state->engine().config().enabled, false);
        // Everything below the header pauses; the switch itself stays usable.
        QVERIFY(!findNamed(m_panel->contentItem(), "panelContent")->isEnabled());
        click(m_panel, findNamed(m_panel->contentItem(), "enableSwitch"));
        QCOMPARE(m_state->isEnabled(), true);
    }

    void tileSelectsLoadsAndPreviewsThePack()
    {
        // Built-in packs: MX Brown PBT (selected), then Alpaca in the second column.
        QQuickItem *grid = findNamed(m_panel->contentItem(), "switchGrid");
        QVERIFY(grid);
        QCOMPARE(grid->property("count").toInt(), 2);
        const std::size_t before = m_state->engine().nextVoice();
        click(m_panel, grid, QPointF(grid->width() * 0.75, 20));
        QCOMPARE(m_state->selectedPackID(), QStringLiteral("bundle:alpaca"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_state->isLoadingPack(), 10000);
        QTRY_COMPARE(m_state->engine().nextVoice(), before + 1);
        QCOMPARE(m_state->engine().pack()->info().id, QStringLiteral("bundle:alpaca"));
    }

    void releasingTheSliderPlaysOnePreview()
    {
        QQuickItem *slider = findNamed(m_panel->contentItem(), "volumeSlider");
        QVERIFY(slider);
        const std::size_t before = m_state->engine().nextVoice();
        const QPoint start = slider->mapToScene(QPointF(slider->width() * 0.6, slider->height() / 2)).toPoint();
        QTest::mousePress(m_panel, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(m_panel, start + QPoint(step * 6, 0), 5);
        QVERIFY(m_state->volume() > 0.6);
        QCOMPARE(m_state->engine().nextVoice(), before);
        QTest::mouseRelease(m_panel, Qt::LeftButton, {}, start + QPoint(60, 0));
        QCOMPARE(m_state->engine().nextVoice(), before + 1);
        QCOMPARE(m_state->engine().config().volume, float(m_state->volume()));
    }

    void settingsTwiceOpensOneWindow()
    {
        QQuickItem *settings = findNamed(m_panel->contentItem(), "settingsButton");
        QVERIFY(settings);
        click(m_panel, settings);
        QTRY_COMPARE(windowsTitled("Plinkum Settings").size(), 1);
        QQuickWindow *window = windowsTitled("Plinkum Settings").first();
        window->close();
        m_app->openPanel();
        QTest::keyClick(m_panel, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(windowsTitled("Plinkum Settings"), QList<QQuickWindow *>({window}));
        QVERIFY(window->isVisible());
    }

private:
    std::unique_ptr<Folders> m_folders;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<PlinkumApp> m_app;
    QQuickWindow *m_panel = nullptr;
};

QTEST_MAIN(TestUiAppState)
#include "tst_uiappstate.moc"
