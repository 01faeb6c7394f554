#include "app/PageImageSaver.h"
#include "MainWindowFixture.h"

#include "items/LayoutDialog.h"
#include "items/ScriptedLayoutDialogs.h"

namespace {

class PageImageSaverTest : public MainWindowTest {
protected:
    PageImageSaverTest()
    {
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    ~PageImageSaverTest() override { SetDialogs(nullptr); }

    // A red square at (100, 50) on a page of 400 x 300.
    void MakePage()
    {
        TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QStringLiteral("400"));
        TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerHeight"), QStringLiteral("300"));
        m_window->Import().ProcessCommandLine({ MakeImage(QStringLiteral("red.png"), QSize(40, 40), Qt::red) });
        Item* image = NoteItemsOf(m_window->PageCanvas()).at(0);
        image->SetBoundsAsAnchors(QRectF(100, 50, 40, 40));
        m_window->RepaintPageCanvas();
    }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

}

TEST_F(PageImageSaverTest, KnobAtZeroExportsABlackBackgroundBehindTheItems)
{
    MakePage();
    m_window->View().SetBackgroundLevel(0);
    const QString path = m_folder.filePath(QStringLiteral("page.png"));
    m_prompt->QueueSaveFile(path);
    Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    const QImage page(path);
    ASSERT_EQ(page.size(), QSize(400, 300));
    EXPECT_EQ(page.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(120, 70), QColor(Qt::red));
    // The frame's grid is not part of the picture: the quarter line at x 100 is black too.
    EXPECT_EQ(page.pixelColor(100, 200), QColor(Qt::black));
    EXPECT_TRUE(m_dialogs->Requests().empty());
}

TEST_F(PageImageSaverTest, JpegAsksForTheQualityAndCancelWritesNothing)
{
    MakePage();
    const QString path = m_folder.filePath(QStringLiteral("page.jpg"));
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("Cancel")); });
    EXPECT_FALSE(m_window->PageSaver().ExportPage(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
    EXPECT_TRUE(m_window->PageSaver().ExportPage(path));
    EXPECT_EQ(m_dialogs->Requests().size(), 2u);
    const QImage page(path);
    ASSERT_EQ(page.size(), QSize(400, 300));
    EXPECT_GT(page.pixelColor(10, 10).lightness(), 240); // the white background at the knob's 255
}

TEST_F(PageImageSaverTest, FailuresAreReportedAndLeaveNoFile)
{
    MakePage();
    for (const char* name : { "page.xyz", "missing-folder/page.png" }) {
        m_prompt->ClearRequests();
        const QString path = m_folder.filePath(QString::fromLatin1(name));
        EXPECT_FALSE(m_window->PageSaver().ExportPage(path)) << name;
        EXPECT_FALSE(QFileInfo::exists(path)) << name;
        ASSERT_EQ(m_prompt->Requests().size(), 1u) << name;
        EXPECT_TRUE(m_prompt->Requests()[0].text.startsWith(QStringLiteral("ページ画像の保存に失敗しました。\n") + path))
            << m_prompt->Requests()[0].text.toStdString();
    }
}
