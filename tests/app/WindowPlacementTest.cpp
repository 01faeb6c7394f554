#include "MainWindowFixture.h"

#include "app/Settings.h"

#include <QMenuBar>
#include <QScreen>

// What one window leaves for the next: its place, size and state, and the page size.
namespace {

class WindowPlacementTest : public MainWindowTest {
protected:
    // Closes the window as the user does, and opens the next one.
    void Reopen()
    {
        ASSERT_TRUE(m_window->close());
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
        WindowedLayoutDialogs::Install(m_window.get());
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
};

TEST_F(WindowPlacementTest, TheNextWindowTakesThePlaceSizeAndStateOfTheLast)
{
    const QRect chosen(40, 50, 930, 520);
    m_window->setGeometry(chosen);
    Reopen();
    EXPECT_EQ(m_window->geometry(), chosen);
    EXPECT_FALSE(m_window->isMaximized());

    // The size it has when it is no longer maximized is the window manager's to keep (checked
    // on a real X server by the whole-program test).
    m_window->showMaximized();
    Reopen();
    EXPECT_TRUE(m_window->isMaximized());
}

TEST_F(WindowPlacementTest, ClosedInFullScreenTheNextWindowTakesTheSizeFromBefore)
{
    const QRect chosen(60, 30, 900, 480);
    m_window->setGeometry(chosen);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F11);
    ASSERT_TRUE(m_window->Modes().IsFullScreen());
    Reopen();
    EXPECT_FALSE(m_window->isFullScreen());
    EXPECT_FALSE(m_window->Modes().IsFullScreen());
    EXPECT_TRUE(m_window->menuBar()->isVisible());
    EXPECT_EQ(m_window->geometry(), chosen);
}

TEST_F(WindowPlacementTest, AKeptPlaceThatCannotBeUsedGivesTheFirstWindowsPlace)
{
    const QRect first = m_window->geometry();
    // A place that is no longer on any screen is brought back onto it.
    m_window->setGeometry(QRect(9000, 7000, 900, 480));
    Reopen();
    EXPECT_TRUE(m_window->screen()->availableGeometry().intersects(m_window->frameGeometry()));
    // Kept bytes that are not a window's place are ignored.
    m_window.reset();
    Settings::SetWindowGeometry("not a window's place");
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    EXPECT_EQ(m_window->geometry(), first);
}

TEST_F(WindowPlacementTest, ThePageSizeChosenIsTheNextWindowsAndTheScreensOwnIsInTheLists)
{
    const QSize screen = m_window->screen()->geometry().size() * m_window->screen()->devicePixelRatio();
    CanvasWidget& bar = m_window->PageBarWidget();
    auto choices = [&bar](const char* name) {
        QStringList list;
        QString choice;
        while (bar.GetCanvas().GetItemProperty(QString::fromLatin1(name), QStringLiteral("Text%1").arg(list.size()), choice)
               && !choice.isEmpty())
            list << choice;
        return list;
    };
    EXPECT_TRUE(choices("ViewerWidth").contains(QString::number(screen.width())));
    EXPECT_TRUE(choices("ViewerHeight").contains(QString::number(screen.height())));
    // The lists stay in order.
    for (const char* name : { "ViewerWidth", "ViewerHeight" }) {
        const QStringList list = choices(name);
        for (qsizetype index = 1; index < list.size(); ++index)
            EXPECT_LT(list[index - 1].toInt(), list[index].toInt()) << name;
    }

    TypeInto(bar, QStringLiteral("ViewerWidth"), QStringLiteral("1234"));
    TypeInto(bar, QStringLiteral("ViewerHeight"), QStringLiteral("567"));
    EXPECT_EQ(Settings::PageSize(), QSize(1234, 567));
    Reopen();
    EXPECT_EQ(m_window->PageCanvas().LayoutWidth(), 1234);
    EXPECT_EQ(m_window->PageCanvas().LayoutHeight(), 567);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ViewerWidth")), QStringLiteral("1234"));
}

// A screen of 1920 x 1080 at pixel ratio 2 is 960 x 540 for the window, less the panels and
// the window manager's frame: the smallest window with its menu bar fits with room to spare.
TEST_F(WindowPlacementTest, TheSmallestWindowFitsASmallScreen)
{
    m_window->resize(1, 1);
    const QSize smallest = m_window->size();
    EXPECT_EQ(m_window->centralWidget()->size(), QSize(MainWindow::kMinClientWidth, MainWindow::kMinClientHeight));
    EXPECT_LE(smallest.width(), 960 - 16);
    EXPECT_LE(smallest.height(), 540 - 80);
    // The page bar is whole at the bottom of the window.
    EXPECT_EQ(m_window->PageBarWidget().geometry().bottom(), m_window->centralWidget()->height() - 1);
}

}
