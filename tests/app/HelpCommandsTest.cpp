#include "app/ActionId.h"
#include "app/MainWindow.h"
#include "app/ProductInfo.h"

#include "items/Item.h"
#include "items/ScriptedLayoutDialogs.h"
#include "platform/ScriptedUserPrompt.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Takes the addresses the program hands to the desktop, so no browser opens.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

class HelpCommandsTest : public ::testing::Test {
protected:
    HelpCommandsTest()
    {
        ScriptedUserPrompt::Install();
        auto dialogs = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = dialogs.get();
        SetDialogs(std::move(dialogs));
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_urls, "Open");
        TestSupport::ForgetKeptSettings();
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    ~HelpCommandsTest() override
    {
        m_window.reset();
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        SetDialogs(nullptr);
    }

    UrlRecorder m_urls;
    ScriptedLayoutDialogs* m_dialogs { nullptr };
    std::unique_ptr<MainWindow> m_window;
};

}

TEST_F(HelpCommandsTest, AboutBoxFromTheMenuAndTheLogoShowsTheVersion)
{
    QString version;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        version = dialog.Property(QStringLiteral("Version"), QStringLiteral("Text"));
        dialog.Press(QStringLiteral("OK"));
    });
    EXPECT_TRUE(m_window->Actions().IsEnabled(ActionId::About));
    EXPECT_TRUE(m_window->Actions().Trigger(ActionId::About));
    // The tool bar's logo button opens it too.
    CanvasWidget& bar = m_window->ToolBarWidget();
    const Item* logo = bar.GetCanvas().FindItem(QStringLiteral("About"));
    ASSERT_NE(logo, nullptr);
    const QPoint centre = bar.GetCanvas().ToDevice(logo->GetBounds()).center().toPoint();
    QTest::mouseMove(&bar, centre);
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_EQ(m_dialogs->Requests().size(), 2u);
    for (const LayoutDialogRequest& request : m_dialogs->Requests()) {
        EXPECT_EQ(request.caption, QStringLiteral("Tessary バージョン情報"));
        EXPECT_EQ(request.size, QSize(300, 190));
    }
    EXPECT_TRUE(m_dialogs->Failures().empty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^バージョン \\d+\\.\\d+\\.\\d+$")).match(version).hasMatch()) << version.toStdString();
}

TEST_F(HelpCommandsTest, WebPageEntriesOpenTheMakersSiteAndTheGuide)
{
    EXPECT_TRUE(m_window->Actions().Trigger(ActionId::MakerSite));
    EXPECT_TRUE(m_window->Actions().Trigger(ActionId::ProductPage));
    ASSERT_EQ(m_urls.opened.size(), 2);
    EXPECT_TRUE(m_urls.opened[0].scheme().startsWith(QStringLiteral("http")));
    EXPECT_TRUE(m_urls.opened[1].isLocalFile());
    EXPECT_TRUE(m_urls.opened[1].path().endsWith(QStringLiteral("/guide.md")));
}

// Installed, the program finds the guide from its own folder wherever the tree was put.
TEST(UserGuideTest, IsFoundFromTheProgramsFolderInAnInstalledTree)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("lib/tessary")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/tessary")));
    const QString program_folder = prefix.filePath(QStringLiteral("lib/tessary/"));
    EXPECT_TRUE(ProductInfo::UserGuideUrlFrom(program_folder).isEmpty());
    QFile guide(prefix.filePath(QStringLiteral("share/tessary/guide.md")));
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    EXPECT_EQ(ProductInfo::UserGuideUrlFrom(program_folder), QUrl::fromLocalFile(QFileInfo(guide).canonicalFilePath()));
}

TEST_F(HelpCommandsTest, CtrlPOpensThePublishDialog)
{
    EXPECT_TRUE(m_window->Actions().IsEnabled(ActionId::Publish));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(m_dialogs->Requests().size(), 1u);
    EXPECT_EQ(m_dialogs->Requests()[0].caption, QStringLiteral("Tessary パブリッシュ"));
    EXPECT_TRUE(m_dialogs->Failures().empty());
}

#include "HelpCommandsTest.moc"
