#include "app/PageContextMenu.h"

#include "app/ActionRegistry.h"
#include "app/ImageImport.h"
#include "app/PageCanvasWidget.h"
#include "app/PageWindow.h"
#include "app/WindowModes.h"
#include "document/Pages.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/TextNoteItem.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

PopupMenuEntry Separator()
{
    PopupMenuEntry entry;
    entry.separator = true;
    return entry;
}

PopupMenuEntry MenuEntry(const char* text, int id, bool disabled = false, bool checked = false)
{
    PopupMenuEntry entry;
    entry.text = QString::fromUtf8(text);
    entry.id = id;
    entry.disabled = disabled;
    entry.checked = checked;
    return entry;
}

}

PageContextMenu::PageContextMenu(PageWindow& window, ImageImport& import, const WindowModes& modes, ActionRegistry& actions)
    : m_window(window)
    , m_import(import)
    , m_modes(modes)
    , m_actions(actions)
{
}

bool PageContextMenu::ClipboardHoldsPicture()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    return data && ImageImport::CanPaste(*data);
}

PopupMenu PageContextMenu::Build() const
{
    const bool locked = m_window.IsLocked();
    const WindowModes& modes = m_modes;
    PopupMenuEntry add = MenuEntry("追加(&A)", 0, locked);
    add.submenu = { MenuEntry("テキスト(&T)", kAddText, locked), MenuEntry("マンデルブロ集合(&M)", kAddMandelbrot, locked) };
    PopupMenu menu;
    menu.entries = {
        MenuEntry("ファイルを開く(&O)", kOpenFile, locked),
        MenuEntry("貼り付け(&P)", kPaste, locked || !ClipboardHoldsPicture()),
        Separator(),
        add,
        Separator(),
        MenuEntry("背景透明化(&T)", kTransparentBackground, false, modes.IsBackgroundTransparent()),
        Separator(),
        modes.IsFullScreen() ? MenuEntry("元に戻す(縮小)(&R)", kFullScreen) : MenuEntry("最大化(&M)", kFullScreen),
        MenuEntry("最前面に(&F)", kBringToFront),
        MenuEntry("最背面に(&B)", kBottomMost, false, modes.IsBottomMost()),
        Separator(),
        MenuEntry("バージョン情報(&V)", kAbout),
    };
    return menu;
}

void PageContextMenu::Show(QPoint page_widget_point)
{
    const std::optional<int> chosen
        = Prompt().ShowPopupMenu(Build(), m_window.PageWidget().mapToGlobal(page_widget_point));
    if (chosen)
        Run(*chosen, page_widget_point);
}

void PageContextMenu::ShowFromKeyboard()
{
    PageCanvasWidget& view = m_window.PageWidget();
    Canvas& canvas = m_window.PageCanvas();
    const QRectF shown(view.rect());
    const Item* active = canvas.ActiveItem();
    if (active && active->AsNoteItem() && active->IsShown()) {
        const QRectF item = canvas.ToDevice(active->GetBounds()).normalized().intersected(shown);
        if (!item.isEmpty()) {
            // A right click there: the item shows its menu, or the page shows this one.
            Message click;
            click.kind = MessageKind::RButtonDown;
            click.position = item.center().toPoint();
            view.Route(click);
            click.kind = MessageKind::RButtonUp;
            view.Route(click);
            return;
        }
    }
    const QRectF page = canvas.ToDevice(QRectF(0, 0, canvas.LayoutWidth(), canvas.LayoutHeight())).normalized();
    const QRectF visible = page.intersected(shown);
    Show((visible.isEmpty() ? shown : visible).center().toPoint());
}

bool PageContextMenu::Run(int entry, QPoint page_widget_point)
{
    // Entries that change the page stay disabled while the note is locked, whatever asks.
    const bool changes_page = entry == kOpenFile || entry == kPaste || entry == kAddText || entry == kAddMandelbrot;
    if (changes_page && m_window.IsLocked())
        return false;
    const QPoint window_point = m_window.PageWidget().mapTo(&m_window.Widget(), page_widget_point);
    switch (entry) {
    case kOpenFile:
        m_import.OpenWithDialogAt(window_point);
        return true;
    case kPaste:
        return m_import.PasteAt(window_point);
    case kAddText:
        return AddText(page_widget_point);
    case kAddMandelbrot:
        return AddMandelbrot(page_widget_point);
    case kFullScreen:
        return m_actions.Trigger(ActionId::FullScreen);
    case kTransparentBackground:
        return m_actions.Trigger(ActionId::TransparentBackground);
    case kBringToFront:
        return m_actions.Trigger(ActionId::BringToFront);
    case kBottomMost:
        return m_actions.Trigger(ActionId::BottomMost);
    case kAbout:
        return m_actions.Trigger(ActionId::About);
    default:
        return false;
    }
}

Item* PageContextMenu::AddItem(const QString& section_name, QPoint page_widget_point, float width, float height)
{
    Canvas& canvas = m_window.PageCanvas();
    std::unique_ptr<Item> item = ItemFactories::MakeItem(CanvasKind::Page, canvas, section_name);
    if (!item)
        return nullptr;
    item->ReadSection(KeyValueStore());
    const QPointF page = canvas.ToPage(QPointF(page_widget_point));
    item->SetAnchor(Item::kLeft, u'L' + FormatFixed(page.x()));
    item->SetAnchor(Item::kTop, u'T' + FormatFixed(page.y()));
    item->SetAnchor(Item::kRight, u'W' + FormatFixed(width));
    item->SetAnchor(Item::kBottom, u'H' + FormatFixed(height));
    Item* added = item.get();
    canvas.AddItem(std::move(item));
    // The new item is the selected one, so that the keys reach it (its menu on the menu key).
    canvas.BringToFront(added);
    m_window.RepaintPageCanvas();
    return added;
}

bool PageContextMenu::AddText(QPoint page_widget_point)
{
    auto* text = dynamic_cast<TextNoteItem*>(AddItem(QStringLiteral("Text"), page_widget_point, 200, 100));
    if (!text)
        return false;
    if (!text->OpenProperties()) {
        m_window.PageCanvas().RemoveItem(text);
        return false;
    }
    m_window.GetPages().RecordChanges();
    m_window.Widget().activateWindow();
    m_window.Widget().raise();
    return true;
}

bool PageContextMenu::AddMandelbrot(QPoint page_widget_point)
{
    if (!AddItem(QStringLiteral("Mandelbrot"), page_widget_point, 200, 200))
        return false;
    m_window.GetPages().RecordChanges();
    return true;
}
