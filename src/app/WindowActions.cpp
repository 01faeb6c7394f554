#include "app/WindowActions.h"

#include "app/AboutBox.h"
#include "app/ImageImport.h"
#include "app/MainWindow.h"
#include "app/PageImageSaver.h"
#include "app/ProductInfo.h"
#include "app/PublishDialog.h"
#include "app/WindowModes.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "platform/Shell.h"
#include "platform/UserPrompt.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWheelEvent>

#include <vector>

namespace {

using Definition = ActionRegistry::Definition;

bool IsTextEntry(const QObject* object)
{
    return object->inherits("QLineEdit") || object->inherits("QPlainTextEdit") || object->inherits("QTextEdit");
}

void ShowNotification(const ItemEvent& event)
{
    Prompt().ShowMessage(event.extra, kPromptCaption.toString(), MessageIcon::Information);
}

QKeySequence Keys(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(key)));
}

// The menu bar: each menu's caption and its commands in order; nullopt is a separator.
struct MenuSpec {
    const char* caption;
    std::vector<std::optional<ActionId>> entries;
};

const std::vector<MenuSpec>& MenuBarSpec()
{
    static const std::vector<MenuSpec> menus {
        { "ファイル(&F)",
          { ActionId::NewNote, ActionId::OpenNote, ActionId::SaveNote, ActionId::SaveNoteAs, ActionId::ExportPdf,
            std::nullopt, ActionId::OpenImage, ActionId::SavePageImage, std::nullopt, ActionId::Publish, std::nullopt,
            ActionId::Exit } },
        { "編集(&E)",
          { ActionId::Undo, ActionId::Redo, std::nullopt, ActionId::InsertPage, ActionId::DeletePage, ActionId::ClearPage } },
        { "表示(&V)",
          { ActionId::Grid, std::nullopt, ActionId::TransparentBackground, ActionId::TransparentWindow, std::nullopt,
            ActionId::FullScreen, ActionId::BringToFront, ActionId::BottomMost } },
        { "設定(&O)", { ActionId::Snap, std::nullopt, ActionId::Lock } },
        { "ヘルプ(&H)",
          { ActionId::MakerSite, std::nullopt, ActionId::ProductPage, std::nullopt, ActionId::About } },
    };
    return menus;
}

}

WindowActions::WindowActions(MainWindow& window)
    : m_window(window)
    , m_registry(window)
{
    DefineFileCommands();
    DefineEditCommands();
    DefineViewCommands();
    DefinePageCommands();
    DefineKeyCommands();
    DefineItemKeys();
    // Changes that came by a road no message took count before a command asks its rule, and
    // what a command changed is recorded once it ran.
    m_registry.SetBeforeTrigger([this] { m_window.RecordPageChanges(); });
    m_registry.SetAfterTrigger([this] { m_window.RecordPageChanges(); });
    qApp->installEventFilter(this);
}

WindowActions::~WindowActions()
{
    qApp->removeEventFilter(this);
}

void WindowActions::DefineFileCommands()
{
    MainWindow& window = m_window;
    Pages& pages = window.GetPages();
    auto unlocked = [&window] { return !window.IsLocked(); };
    m_registry.Add({ ActionId::NewNote, "新規ノート(&N)\tCtrl+N", { Keys(Qt::Key_N, Qt::ControlModifier) },
                     [&pages] { pages.ClearNote(); }, unlocked });
    m_registry.Add({ ActionId::OpenNote, "ノートを開く(&O)...\tCtrl+O", { Keys(Qt::Key_O, Qt::ControlModifier) },
                     [&window] { window.OpenNote({}); } });
    m_registry.Add({ ActionId::SaveNote, "ノートを保存(&S)...\tCtrl+S", { Keys(Qt::Key_S, Qt::ControlModifier) },
                     [&window] { window.SaveNote({}); } });
    m_registry.Add({ ActionId::SaveNoteAs, "名前を付けて保存(&A)...\tCtrl+Shift+S",
                     { Keys(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier) }, [&window] { window.SaveNoteAs(); } });
    m_registry.Add({ ActionId::ExportPdf, "PDFに書き出し(&X)...", {}, [&window] { window.ExportPdf({}); } });
    m_registry.Add({ ActionId::OpenImage, "画像を開く(&I)...\tCtrl+I", { Keys(Qt::Key_I, Qt::ControlModifier) },
                     [&window] { window.Import().OpenWithDialog(); }, unlocked });
    m_registry.Add({ ActionId::SavePageImage, "画像保存(&G)...\tCtrl+Shift+G",
                     { Keys(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier) },
                     [&window] { window.PageSaver().SaveWithDialog(); } });
    m_registry.Add({ ActionId::Publish, "パブリッシュ(&P)...\tCtrl+P", { Keys(Qt::Key_P, Qt::ControlModifier) },
                     [&window] { PublishDialog::Run(window.GetPages().Document(), &window); } });
    m_registry.Add({ ActionId::Exit, "終了(&E)", {}, [&window] { window.close(); } });
}

void WindowActions::DefineEditCommands()
{
    MainWindow& window = m_window;
    Pages& pages = window.GetPages();
    auto unlocked = [&window] { return !window.IsLocked(); };
    m_registry.Add({ ActionId::Undo, "元に戻す(&U)\tCtrl+Z", { Keys(Qt::Key_Z, Qt::ControlModifier) }, [&pages] { pages.Undo(); },
                     [&window, &pages] { return !window.IsLocked() && pages.History().CanUndo(); } });
    m_registry.Add({ ActionId::Redo, "やり直し(&R)\tCtrl+Y", { Keys(Qt::Key_Y, Qt::ControlModifier) }, [&pages] { pages.Redo(); },
                     [&window, &pages] { return !window.IsLocked() && pages.History().CanRedo(); } });
    m_registry.Add({ ActionId::InsertPage, "ページを挿入(&I)", {}, [&pages] { pages.Insert(); }, unlocked });
    m_registry.Add({ ActionId::DeletePage, "ページを削除(&D)", {}, [&pages] { pages.Delete(); },
                     [&window, &pages] { return !window.IsLocked() && pages.Count() >= 2; } });
    m_registry.Add({ ActionId::ClearPage, "ページ内容を消去(&C)", {}, [&pages] { pages.ClearPage(); }, unlocked });
    m_registry.Add({ ActionId::Snap, "スナップ(&S)\tCtrl+U", { Keys(Qt::Key_U, Qt::ControlModifier) },
                     [&window] { window.ToggleSnap(); }, {}, [&window] { return window.IsSnapOn(); } });
    m_registry.Add({ ActionId::Lock, "ロック(&L)\tCtrl+L", { Keys(Qt::Key_L, Qt::ControlModifier) },
                     [&window] { window.ToggleLock(); }, {}, [&window] { return window.IsLocked(); } });
}

void WindowActions::DefineViewCommands()
{
    MainWindow& window = m_window;
    WindowModes& modes = window.Modes();
    m_registry.Add({ ActionId::Grid, "グリッド(&G)\tCtrl+G", { Keys(Qt::Key_G, Qt::ControlModifier) },
                     [&window] { window.ToggleGrid(); }, {}, [&window] { return window.IsGridVisible(); } });
    m_registry.Add({ ActionId::TransparentBackground, "背景透明化(&T)\tF7", { Keys(Qt::Key_F7) },
                     [&modes] { modes.ToggleTransparentBackground(); }, {},
                     [&modes] { return modes.IsBackgroundTransparent(); } });
    m_registry.Add({ ActionId::TransparentWindow, "透過ウィンドウ(&R)", {}, [&modes] { modes.ToggleTransparentWindow(); }, {},
                     [&modes] { return modes.IsTransparentWindow(); } });
    m_registry.Add({ ActionId::FullScreen, "全画面表示(&M)\tF5", { Keys(Qt::Key_F5), Keys(Qt::Key_F11) },
                     [&modes] { modes.ToggleFullScreen(); } });
    m_registry.Add({ ActionId::BringToFront, "最前面に(&F)\tF8", { Keys(Qt::Key_F8) }, [&modes] { modes.BringToFront(); } });
    m_registry.Add({ ActionId::BottomMost, "最背面に(&B)\tF9", { Keys(Qt::Key_F9) }, [&modes] { modes.ToggleBottomMost(); }, {},
                     [&modes] { return modes.IsBottomMost(); } });
    m_registry.Add({ ActionId::MakerSite, "Corvennaページ(&C)...", {},
                     [] { OpenWebPage(ProductInfo::MakerSiteAddress()); } });
    m_registry.Add({ ActionId::ProductPage, "Tessary製品情報ページ(&I)...", {},
                     [] { OpenWebPage(ProductInfo::UserGuideUrl().toString()); } });
    m_registry.Add({ ActionId::About, "バージョン情報の表示(&V)...", {}, [] { AboutBox::Show(); } });
}

void WindowActions::DefinePageCommands()
{
    MainWindow& window = m_window;
    Pages& pages = window.GetPages();
    m_registry.Add({ ActionId::FirstPage, "", {}, [&pages] { pages.First(); }, [&pages] { return pages.Current() != 0; } });
    m_registry.Add({ ActionId::LastPage, "", {}, [&pages] { pages.Last(); },
                     [&pages] { return pages.Current() + 1 != pages.Count(); } });
    m_registry.Add({ ActionId::PreviousPage, "", { Keys(Qt::Key_PageUp), Keys(Qt::Key_Left, Qt::ShiftModifier) },
                     [&pages] { pages.Previous(); }, [&pages] { return pages.Current() > 0; } });
    // The last page leads on to a new one unless it is empty or the note is locked.
    m_registry.Add({ ActionId::NextPage, "", { Keys(Qt::Key_PageDown), Keys(Qt::Key_Right, Qt::ShiftModifier) },
                     [&pages] { pages.Next(); },
                     [&window, &pages] {
                         const int current = pages.Current();
                         if (!pages.IsValid(current))
                             return false;
                         if (current < pages.Count() - 1)
                             return true;
                         return !window.IsLocked() && pages.PageHasContent();
                     } });
}

void WindowActions::DefineKeyCommands()
{
    MainWindow& window = m_window;
    WindowModes& modes = window.Modes();
    auto editing_box = [&window] { return window.BoxFocus().Current() >= 0; };
    m_registry.Add({ ActionId::ZoomOut, "", { Keys(Qt::Key_Left, Qt::ControlModifier) }, [&window] { window.ZoomStep(-1); } });
    m_registry.Add({ ActionId::ZoomIn, "", { Keys(Qt::Key_Right, Qt::ControlModifier) }, [&window] { window.ZoomStep(1); } });
    m_registry.Add({ ActionId::Deselect, "", { Keys(Qt::Key_D, Qt::ControlModifier) }, [&window] { window.Deselect(); } });
    m_registry.Add({ ActionId::Paste, "", { Keys(Qt::Key_V, Qt::ControlModifier) },
                     [&window] { window.Import().PasteAt(window.mapFromGlobal(QCursor::pos())); } });
    // In the bars' edit boxes Tab and Shift+Tab go on to the next or previous box and Escape
    // leaves the box as it was.
    m_registry.Add({ ActionId::RaiseLowestItem, "", { Keys(Qt::Key_Tab) }, [&window, &modes, editing_box] {
                        if (editing_box())
                            window.BoxFocus().Move(1);
                        else if (!modes.SwitchWindow())
                            window.RaiseLowestItem();
                    } });
    m_registry.Add({ ActionId::PreviousBox, "", { Keys(Qt::Key_F6, Qt::ShiftModifier) },
                     [&window] { window.BoxFocus().Move(-1); } });
    m_registry.Add({ ActionId::BoxBack, "", { Keys(Qt::Key_Backtab, Qt::ShiftModifier), Keys(Qt::Key_Tab, Qt::ShiftModifier) },
                     [&window] { window.BoxFocus().Move(-1); }, editing_box });
    m_registry.Add({ ActionId::NextBox, "", { Keys(Qt::Key_F6) }, [&window] { window.BoxFocus().Move(1); } });
    m_registry.Add({ ActionId::Escape, "", { Keys(Qt::Key_Escape) }, [&window, &modes, editing_box] {
                        if (editing_box())
                            window.BoxFocus().Leave();
                        else if (modes.IsFullScreen())
                            modes.ToggleFullScreen();
                        else if (window.isMaximized())
                            window.showNormal();
                    } });
    m_registry.Add({ ActionId::PageMenu, "", { Keys(Qt::Key_Menu), Keys(Qt::Key_F10, Qt::ShiftModifier) },
                     [&window] { window.PageMenu().ShowFromKeyboard(); } });
    // The page turns when Space comes up without having moved the page meanwhile.
    m_registry.Add({ ActionId::HoldPan, "", { Keys(Qt::Key_Space) }, [&window] { window.PageWidget().HoldPanKey(); }, {}, {},
                     false });
    m_registry.Add({ ActionId::PeekFrame, "", { Keys(Qt::Key_F3) }, [&window] { window.PeekFrame(true); }, {}, {}, false });
}

// Keys that the bars' widgets and the page's selected item act on, wherever the focus is.
void WindowActions::DefineItemKeys()
{
    struct ItemKey {
        ActionId id;
        Qt::Key key;
        bool shift;
    };
    static constexpr ItemKey kItemKeys[] {
        { ActionId::ItemLeft, Qt::Key_Left, false },
        { ActionId::ItemRight, Qt::Key_Right, false },
        { ActionId::ItemDelete, Qt::Key_Delete, false },
        { ActionId::ItemRotateLeft, Qt::Key_L, false },
        { ActionId::ItemRotateRight, Qt::Key_R, false },
        { ActionId::ItemShiftDelete, Qt::Key_Delete, true },
        { ActionId::ItemShiftRotateLeft, Qt::Key_L, true },
        { ActionId::ItemShiftRotateRight, Qt::Key_R, true },
    };
    MainWindow& window = m_window;
    for (const ItemKey& item_key : kItemKeys) {
        const Qt::KeyboardModifiers modifiers = item_key.shift ? Qt::ShiftModifier : Qt::NoModifier;
        m_registry.Add({ item_key.id, "", { Keys(item_key.key, modifiers) }, [&window, item_key, modifiers] {
                            Message message;
                            message.kind = MessageKind::KeyDown;
                            message.key = CanvasWidget::KeyFromQt(item_key.key, modifiers).value_or(Key::None);
                            message.shift = item_key.shift;
                            window.RouteToCanvases(message);
                        } });
    }
}

void WindowActions::BuildMenu(QMenuBar& bar)
{
    for (const MenuSpec& spec : MenuBarSpec()) {
        QMenu* menu = bar.addMenu(QString::fromUtf8(spec.caption));
        connect(menu, &QMenu::aboutToShow, this, [this] { m_registry.Refresh(); });
        for (const std::optional<ActionId>& entry : spec.entries) {
            if (entry)
                menu->addAction(m_registry.Action(*entry));
            else
                menu->addSeparator();
        }
    }
    m_registry.Refresh();
}

bool WindowActions::HandlePageEvent(const ItemEvent& event)
{
    if (event.code == ItemEvent::kChangeFinished) {
        m_window.GetPages().RecordChanges();
        return true;
    }
    if (event.code == ItemEvent::kShowMessage) {
        ShowNotification(event);
        return true;
    }
    return false;
}

bool WindowActions::HandleWheel(const QWheelEvent& event)
{
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    if (!ctrl && !shift)
        return false;
    // Some platforms turn a vertical wheel with Shift into a horizontal one.
    const int delta = event.angleDelta().y() != 0 ? event.angleDelta().y() : event.angleDelta().x();
    const int steps = delta / 120;
    for (int step = 0; step < std::abs(steps); ++step) {
        const bool towards_user = steps < 0;
        if (shift)
            m_registry.Trigger(towards_user ? ActionId::NextPage : ActionId::PreviousPage);
        else
            m_window.ZoomStep(towards_user ? 1 : -1, m_window.PagePointUnder(event.globalPosition()));
    }
    return true;
}

bool WindowActions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyRelease)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &m_window)
        return false;
    return HandleKeyUp(watched, *static_cast<QKeyEvent*>(event));
}

bool WindowActions::HandleKeyUp(const QObject* receiver, const QKeyEvent& event)
{
    if (event.key() == Qt::Key_F3) {
        if (!event.isAutoRepeat())
            m_window.PeekFrame(false);
        return true;
    }
    if (event.key() == Qt::Key_Space && !event.isAutoRepeat()) {
        Pages& pages = m_window.GetPages();
        if (!m_window.PageWidget().ReleasePanKey() && !IsTextEntry(receiver) && !pages.Next())
            pages.First();
        return !IsTextEntry(receiver);
    }
    if (event.key() == Qt::Key_Shift && !IsTextEntry(receiver)) {
        Message message;
        message.kind = MessageKind::KeyUp;
        message.key = Key::Shift;
        m_window.RouteToCanvases(message);
        return true;
    }
    return false;
}
