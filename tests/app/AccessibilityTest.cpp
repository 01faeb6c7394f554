#include "ShownDialogs.h"

#include "app/ImageImport.h"
#include "app/LayoutDialogWindow.h"
#include "items/LayoutResources.h"
#include "noteitems/TextPropertiesDialog.h"
#include "platform/Paths.h"
#include "widgets/Placement.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AccessibilityTest : public ShownDialogTest {
};

struct Child {
    QAccessible::Role role;
    QString name;
    QString value;
    QAccessible::State state;
    QRect rect;
};

std::vector<Child> ChildrenOf(QWidget& widget)
{
    std::vector<Child> children;
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(&widget);
    if (!pane)
        return children;
    for (int index = 0; index < pane->childCount(); ++index) {
        QAccessibleInterface* child = pane->child(index);
        if (!child)
            continue;
        EXPECT_EQ(child->parent(), pane);
        EXPECT_EQ(pane->indexOfChild(child), index);
        children.push_back({ child->role(), child->text(QAccessible::Name), child->text(QAccessible::Value), child->state(),
                             child->rect() });
    }
    return children;
}

QStringList NamesOf(const std::vector<Child>& children, QAccessible::Role role)
{
    QStringList names;
    for (const Child& child : children)
        if (child.role == role)
            names << child.name;
    return names;
}

QAccessibleInterface* ChildNamed(QWidget& widget, const QString& name)
{
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(&widget);
    for (int index = 0; pane && index < pane->childCount(); ++index)
        if (pane->child(index)->text(QAccessible::Name) == name)
            return pane->child(index);
    return nullptr;
}

}

// A screen reader finds the window's three panes by name, every button of the bars by what it
// does, and the bars' fields and dials with their values.
TEST_F(AccessibilityTest, TheBarsButtonsAndFieldsAreNamed)
{
    QAccessibleInterface* tool_bar = QAccessible::queryAccessibleInterface(&m_window->ToolBarWidget());
    ASSERT_NE(tool_bar, nullptr);
    EXPECT_EQ(tool_bar->text(QAccessible::Name), QStringLiteral("ツールバー"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&m_window->PageBarWidget())->text(QAccessible::Name),
              QStringLiteral("ページバー"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&m_window->PageWidget())->text(QAccessible::Name),
              QStringLiteral("ページ"));

    const std::vector<Child> tools = ChildrenOf(m_window->ToolBarWidget());
    EXPECT_EQ(NamesOf(tools, QAccessible::Button),
              (QStringList { "バージョン情報の表示", "ページ内容を消去", "新規ノート", "ノートを開く", "画像を開く",
                             "ノートを保存", "画像保存", "元に戻す", "やり直し" }));
    EXPECT_EQ(NamesOf(tools, QAccessible::Dial), (QStringList { "背景の色", "グリッドの色" }));
    for (const Child& child : tools) {
        EXPECT_FALSE(child.name.isEmpty()) << int(child.role);
        // Every child lies on the bar, where the screen shows it.
        EXPECT_TRUE(QRect(m_window->ToolBarWidget().mapToGlobal(QPoint()), m_window->ToolBarWidget().size())
                        .intersects(child.rect))
            << child.name.toStdString() << " " << child.rect.x() << "," << child.rect.y() << " " << child.rect.width() << "x"
            << child.rect.height() << " bar at " << m_window->ToolBarWidget().mapToGlobal(QPoint()).x() << ","
            << m_window->ToolBarWidget().mapToGlobal(QPoint()).y() << " " << m_window->ToolBarWidget().width() << "x"
            << m_window->ToolBarWidget().height();
    }
    // A fresh note has nothing to undo: the greyed button is there, and says it is disabled.
    for (const Child& child : tools)
        if (child.name == QStringLiteral("元に戻す"))
            EXPECT_TRUE(child.state.disabled);

    const std::vector<Child> page_bar = ChildrenOf(m_window->PageBarWidget());
    EXPECT_EQ(NamesOf(page_bar, QAccessible::Button),
              (QStringList { "前のページ", "次のページ", "最初のページ", "最後のページ", "ロック" }));
    QStringList fields = NamesOf(page_bar, QAccessible::EditableText);
    EXPECT_TRUE(fields.contains(QStringLiteral("ページの幅"))) << fields.join(',').toStdString();
    EXPECT_TRUE(fields.contains(QStringLiteral("表示倍率"))) << fields.join(',').toStdString();
    for (const Child& child : page_bar)
        if (child.name == QStringLiteral("ページの幅"))
            EXPECT_EQ(child.value, TextOf(m_window->PageBarWidget(), QStringLiteral("ViewerWidth")));
}

// The pictures, texts and Mandelbrot pictures of a page are there, named by file and by text,
// where the page shows them; the topmost is found under a point.
TEST_F(AccessibilityTest, ThePagesPicturesAreFoundByTheirFileNames)
{
    for (const QString& photo : MakeImages(3))
        ASSERT_TRUE(m_window->Import().PlaceImage(photo, {}, Placement::FitToPage, 0, -1));
    WaitForDecodes();
    PageCanvasWidget& page = m_window->PageWidget();
    const std::vector<Child> children = ChildrenOf(page);
    EXPECT_EQ(NamesOf(children, QAccessible::Graphic), (QStringList { "photo1.png", "photo2.png", "photo3.png" }));

    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(&page);
    QAccessibleInterface* third = ChildNamed(page, QStringLiteral("photo3.png"));
    ASSERT_NE(third, nullptr);
    const QRect rect = third->rect();
    EXPECT_FALSE(rect.isEmpty());
    EXPECT_EQ(pane->childAt(rect.center().x(), rect.center().y()), third);
    EXPECT_EQ(pane->childAt(rect.right() + 5000, rect.center().y()), nullptr);
}

// The press action of a bar's button does what a click does: here it opens the about box,
// whose text and OK button a screen reader reads and presses.
TEST_F(AccessibilityTest, APressOpensTheAboutBoxAndItsOkEndsIt)
{
    QString version;
    QStringList buttons;
    bool ended = false;
    WhenShown([&](LayoutDialogWindow& dialog) {
        const std::vector<Child> children = ChildrenOf(dialog);
        for (const Child& child : children)
            if (child.role == QAccessible::StaticText && child.name.startsWith(QStringLiteral("バージョン")))
                version = child.name;
        buttons = NamesOf(children, QAccessible::Button);
        QAccessibleInterface* ok = ChildNamed(dialog, QStringLiteral("OK"));
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(ok->actionInterface(), nullptr);
        ok->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        ended = !dialog.isVisible();
        if (!ended)
            dialog.close();
    });
    QAccessibleInterface* about = ChildNamed(m_window->ToolBarWidget(), QStringLiteral("バージョン情報の表示"));
    ASSERT_NE(about, nullptr);
    ASSERT_NE(about->actionInterface(), nullptr);
    EXPECT_EQ(about->actionInterface()->actionNames(), QStringList { QAccessibleActionInterface::pressAction() });
    about->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(version.startsWith(QStringLiteral("バージョン "))) << version.toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("OK")));
    EXPECT_TRUE(ended);
}

// Moving into a field of a bar moves the focus a screen reader follows: the field says it is
// focused, also while its edit window takes the keys, and nothing else in the window does.
TEST_F(AccessibilityTest, TheFocusedFieldSaysSo)
{
    CanvasWidget& bar = m_window->PageBarWidget();
    const Item* field = bar.GetCanvas().FindItem(QStringLiteral("ViewerWidth"));
    ASSERT_NE(field, nullptr);
    const QRectF bounds = bar.GetCanvas().ToDevice(field->GetBounds());
    ClickAt(bar, QPoint(int(bounds.left() + 8), int(bounds.center().y())));
    // The field, and the edit window it opened, which is named like it.
    QStringList focused;
    for (const Child& child : ChildrenOf(bar))
        if (child.state.focused)
            focused << child.name;
    EXPECT_FALSE(focused.isEmpty());
    EXPECT_EQ(focused.count(QStringLiteral("ページの幅")), focused.size()) << focused.join(',').toStdString();
    for (const Child& child : ChildrenOf(m_window->ToolBarWidget()))
        EXPECT_FALSE(child.state.focused) << child.name.toStdString();
}

// The text properties dialog's fields are named by the labels on their left: the first of a
// row by its own label, the second by the same row's.
TEST(AccessibleDialogTest, FieldsAreNamedByTheirLabels)
{
    CanvasWidget dialog(CanvasKind::PropertyDialog);
    dialog.resize(TextPropertiesDialog::kSize);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(BuildLayout(dialog.GetCanvas(), LayoutResource::TextProperties, ProgramFolder()));
    QStringList fields;
    for (const Child& child : ChildrenOf(dialog))
        if (child.role == QAccessible::EditableText)
            fields << child.name;
    EXPECT_EQ(fields.mid(0, 4), (QStringList { "上", "上", "下", "下" })) << fields.join(',').toStdString();
    EXPECT_FALSE(fields.contains(QStringLiteral("TPos")));
    QStringList buttons;
    for (const Child& child : ChildrenOf(dialog))
        if (child.role == QAccessible::Button || child.role == QAccessible::CheckBox)
            buttons << child.name;
    EXPECT_TRUE(buttons.contains(QStringLiteral("OK"))) << buttons.join(',').toStdString();
}
