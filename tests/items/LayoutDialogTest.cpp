#include "items/LayoutDialog.h"
#include "items/SaveQualityDialog.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"

#include <gtest/gtest.h>

namespace {

class LayoutDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    void TearDown() override { SetDialogs(nullptr); }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

const QString kTwoButtons = QStringLiteral(
    "[Button]\r\nPos=L10,T10,W60,H20\r\nName=OK\r\nText=OK\r\n\r\n"
    "[Button]\r\nPos=L80,T10,W60,H20\r\nName=Cancel\r\nText=Cancel\r\n\r\n");

class RefusingOwner final : public LayoutDialogOwner {
public:
    bool MayEndDialog(Canvas&) override
    {
        ++asked;
        return false;
    }
    int asked { 0 };
};

TEST_F(LayoutDialogTest, CancelAfterARefusedOkEndsWithFalse)
{
    RefusingOwner owner;
    LayoutDialogRequest request;
    request.layout_text = kTwoButtons;
    request.owner = &owner;
    bool still_open_after_ok = false;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Press(QStringLiteral("OK"));
        still_open_after_ok = !dialog.Dialog().HasEnded();
        dialog.Press(QStringLiteral("Cancel"));
    });
    EXPECT_FALSE(Dialogs().Run(request));
    EXPECT_TRUE(still_open_after_ok);
    EXPECT_EQ(owner.asked, 1);
}

TEST_F(LayoutDialogTest, EmptyLayoutFailsWithTheResourceMessage)
{
    LayoutDialogRequest request;
    EXPECT_FALSE(Dialogs().Run(request));
    ASSERT_EQ(m_dialogs->Failures().size(), 1u);
    EXPECT_EQ(m_dialogs->Failures()[0], QStringLiteral("リソース読み込みに失敗しました。"));
}

struct QualityRow {
    const char* typed;
    const char* field;
    int quality;
};

TEST_F(LayoutDialogTest, QualityFieldIsClampedAndMovesTheSlider)
{
    const QualityRow rows[] = { { "150", "100", 100 }, { "-5", "0", 0 }, { "42", "42", 42 }, { "abc", "0", 0 } };
    for (const QualityRow& row : rows) {
        QString field;
        m_dialogs->Queue([&](ScriptedDialog& dialog) {
            dialog.Change(QStringLiteral("EQEdit"), QStringLiteral("Text"), QString::fromUtf8(row.typed));
            field = dialog.Property(QStringLiteral("EQEdit"), QStringLiteral("Text"));
            dialog.Press(QStringLiteral("OK"));
        });
        EXPECT_EQ(AskSaveQuality(), std::optional<int>(row.quality)) << row.typed;
        EXPECT_EQ(field, QString::fromUtf8(row.field)) << row.typed;
    }
}

TEST_F(LayoutDialogTest, QualitySliderShowsAWholeNumberInTheField)
{
    QString field;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("EQSlider"), QStringLiteral("Value"), QStringLiteral("37.6"));
        field = dialog.Property(QStringLiteral("EQEdit"), QStringLiteral("Text"));
        dialog.Press(QStringLiteral("OK"));
    });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(37));
    EXPECT_EQ(field, QStringLiteral("37"));
}

TEST_F(LayoutDialogTest, QualityDialogClosedOrCancelledGivesNothing)
{
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Close(); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("Cancel")); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(90));
    ASSERT_EQ(m_dialogs->Requests().size(), 3u);
    EXPECT_EQ(m_dialogs->Requests()[0].kind, CanvasKind::QualityDialog);
    EXPECT_TRUE(m_dialogs->Requests()[0].caption.isEmpty());
}

}
