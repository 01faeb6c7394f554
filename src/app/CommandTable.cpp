#include "app/CommandTable.h"

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
#include "text/ValueForms.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

namespace {

bool IsTextEntry(const QObject* object)
{
    return object->inherits("QLineEdit") || object->inherits("QPlainTextEdit") || object->inherits("QTextEdit");
}

void ShowNotification(const ItemEvent& event)
{
    Prompt().ShowMessage(event.extra, kPromptCaption.toString(), MessageIcon::Information);
}

}

CommandTable::CommandTable(MainWindow& window)
    : m_window(window)
{
}

void CommandTable::BuildMenu(QMenuBar& bar)
{
    struct Entry {
        int command;
        const char* caption;
    };
    struct MenuSpec {
        const char* caption;
        std::vector<Entry> entries; // command 0 is a separator
    };
    const std::vector<MenuSpec> menus {
        { "ファイル(&F)",
          { { kNewNote, "新規ノート(&N)\tCtrl+N" },
            { kOpenNote, "ノートを開く(&O)...\tCtrl+O" },
            { kSaveNote, "ノートを保存(&S)...\tCtrl+S" },
            { kSaveNoteAs, "名前を付けて保存(&A)...\tCtrl+Shift+S" },
            { kExportPdf, "PDFに書き出し(&X)..." },
            { 0, "" },
            { kOpenImage, "画像を開く(&I)...\tCtrl+I" },
            { kSavePageImage, "画像保存(&G)...\tCtrl+Shift+G" },
            { 0, "" },
            { kPublish, "パブリッシュ(&P)...\tCtrl+P" },
            { 0, "" },
            { kExit, "終了(&E)" } } },
        { "編集(&E)",
          { { kUndo, "元に戻す(&U)\tCtrl+Z" },
            { kRedo, "やり直し(&R)\tCtrl+Y" },
            { 0, "" },
            { kInsertPage, "ページを挿入(&I)" },
            { kDeletePage, "ページを削除(&D)" },
            { kClearPage, "ページ内容を消去(&C)" } } },
        { "表示(&V)",
          { { kGrid, "グリッド(&G)\tCtrl+G" },
            { 0, "" },
            { kTransparentBackground, "背景透明化(&T)\tF7" },
            { kTransparentWindow, "透過ウィンドウ(&R)" },
            { 0, "" },
            { kFullScreen, "全画面表示(&M)\tF5" },
            { kBringToFront, "最前面に(&F)\tF8" },
            { kBottomMost, "最背面に(&B)\tF9" } } },
        { "設定(&O)", { { kSnap, "スナップ(&S)\tCtrl+U" }, { 0, "" }, { kLock, "ロック(&L)\tCtrl+L" } } },
        { "ヘルプ(&H)",
          { { kMakerSite, "Corvennaページ(&C)..." },
            { 0, "" },
            { kProductPage, "Tessary製品情報ページ(&I)..." },
            { 0, "" },
            { kAbout, "バージョン情報の表示(&V)..." } } },
    };
    const std::vector<int> checkable { kGrid, kSnap, kLock, kTransparentBackground, kTransparentWindow, kBottomMost };
    for (const MenuSpec& spec : menus) {
        QMenu* menu = bar.addMenu(QString::fromUtf8(spec.caption));
        QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { RefreshMenuStates(); });
        for (const Entry& entry : spec.entries) {
            if (entry.command == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
            action->setCheckable(std::find(checkable.begin(), checkable.end(), entry.command) != checkable.end());
            const int command = entry.command;
            QObject::connect(action, &QAction::triggered, action, [this, command] {
                if (IsEnabled(command))
                    Run(command);
            });
            m_actions[command] = action;
        }
    }
    RefreshMenuStates();
}

void CommandTable::RefreshMenuStates()
{
    const WindowModes& modes = m_window.Modes();
    const std::map<int, bool> checks {
        { kGrid, m_window.IsGridVisible() },
        { kSnap, m_window.IsSnapOn() },
        { kLock, m_window.IsLocked() },
        { kBottomMost, modes.IsBottomMost() },
        { kTransparentBackground, modes.IsBackgroundTransparent() },
        { kTransparentWindow, modes.IsTransparentWindow() },
    };
    for (auto& [command, action] : m_actions) {
        action->setEnabled(IsEnabled(command));
        if (const auto check = checks.find(command); check != checks.end())
            action->setChecked(check->second);
    }
}

bool CommandTable::IsEnabled(int command) const
{
    const Pages& pages = m_window.GetPages();
    const bool locked = m_window.IsLocked();
    switch (command) {
    case kRedo:
        return pages.History().CanRedo() && !locked;
    case kUndo:
        return pages.History().CanUndo() && !locked;
    case kClearPage:
    case kInsertPage:
    case kNewNote:
    case kOpenImage:
        return !locked;
    case kDeletePage:
        return !locked && pages.Count() >= 2;
    default:
        return true;
    }
}

bool CommandTable::Run(int command)
{
    Pages& pages = m_window.GetPages();
    WindowModes& modes = m_window.Modes();
    switch (command) {
    case kNewNote:
        pages.ClearNote();
        return true;
    case kOpenNote:
        m_window.OpenNote({});
        return true;
    case kSaveNote:
        m_window.SaveNote({});
        return true;
    case kSaveNoteAs:
        m_window.SaveNoteAs();
        return true;
    case kExportPdf:
        m_window.ExportPdf({});
        return true;
    case kOpenImage:
        m_window.Import().OpenWithDialog();
        return true;
    case kSavePageImage:
        m_window.PageSaver().SaveWithDialog();
        return true;
    case kExit:
        m_window.close();
        return true;
    case kUndo:
        pages.Undo();
        return true;
    case kRedo:
        pages.Redo();
        return true;
    case kInsertPage:
        pages.Insert();
        return true;
    case kDeletePage:
        pages.Delete();
        return true;
    case kClearPage:
        pages.ClearPage();
        return true;
    case kGrid:
        m_window.ToggleGrid();
        return true;
    case kSnap:
        m_window.ToggleSnap();
        return true;
    case kLock:
        m_window.ToggleLock();
        return true;
    case kFullScreen:
        modes.ToggleFullScreen();
        return true;
    case kBringToFront:
        modes.BringToFront();
        return true;
    case kTransparentBackground:
        modes.ToggleTransparentBackground();
        return true;
    case kTransparentWindow:
        modes.ToggleTransparentWindow();
        return true;
    case kBottomMost:
        modes.ToggleBottomMost();
        return true;
    case kPublish:
        PublishDialog::Run(pages.Document(), &m_window);
        return true;
    case kAbout:
        AboutBox::Show();
        return true;
    case kMakerSite:
        OpenWebPage(ProductInfo::MakerSiteAddress());
        return true;
    case kProductPage:
        OpenWebPage(ProductInfo::UserGuideUrl().toString());
        return true;
    default:
        return false;
    }
}

bool CommandTable::HandleKeyDown(const QObject* receiver, QKeyEvent* event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool function_key = key >= Qt::Key_F1 && key <= Qt::Key_F24;
    // In the bars' edit boxes Tab and Shift+Tab go on to the next or previous box and Escape
    // leaves the box as it was.
    if (IsTextEntry(receiver) && (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape)) {
        if (key == Qt::Key_Escape)
            m_window.BoxFocus().Leave();
        else
            m_window.BoxFocus().Move(key == Qt::Key_Tab && !shift ? 1 : -1);
        return true;
    }
    // A text field keeps its typing and editing keys.
    if (IsTextEntry(receiver) && !function_key
        && (!ctrl || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Z || key == Qt::Key_Y
            || key == Qt::Key_V))
        return false;

    if (ctrl && HandleShortcut(key, shift))
        return true;
    Pages& pages = m_window.GetPages();
    WindowModes& modes = m_window.Modes();
    switch (key) {
    case Qt::Key_Tab:
        if (!modes.SwitchWindow())
            m_window.RaiseLowestItem();
        return true;
    case Qt::Key_Escape:
        if (modes.IsFullScreen())
            modes.ToggleFullScreen();
        else if (m_window.isMaximized())
            m_window.showNormal();
        return true;
    case Qt::Key_Space:
        // The page turns when Space comes up without having moved the page meanwhile.
        if (!event->isAutoRepeat())
            m_window.PageWidget().HoldPanKey();
        return true;
    case Qt::Key_PageUp:
        pages.Previous();
        return true;
    case Qt::Key_PageDown:
        pages.Next();
        return true;
    case Qt::Key_F3:
        if (!event->isAutoRepeat())
            m_window.PeekFrame(true);
        return true;
    case Qt::Key_F6:
        m_window.BoxFocus().Move(shift ? -1 : 1);
        return true;
    case Qt::Key_Menu:
        m_window.PageMenu().ShowFromKeyboard();
        return true;
    case Qt::Key_F5:
    case Qt::Key_F11:
        modes.ToggleFullScreen();
        return true;
    case Qt::Key_F7:
        return Run(kTransparentBackground);
    case Qt::Key_F8:
        return Run(kBringToFront);
    case Qt::Key_F9:
        return Run(kBottomMost);
    default:
        break;
    }
    if (shift && key == Qt::Key_F10) {
        m_window.PageMenu().ShowFromKeyboard();
        return true;
    }
    if (shift && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        if (key == Qt::Key_Left)
            pages.Previous();
        else
            pages.Next();
        return true;
    }
    if (ctrl)
        return false;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Delete:
    case Qt::Key_L:
    case Qt::Key_R:
        SendKeyToCanvases(event);
        return true;
    default:
        return false;
    }
}

bool CommandTable::HandleShortcut(int key, bool shift)
{
    switch (key) {
    case Qt::Key_Left:
        m_window.ZoomStep(-1);
        return true;
    case Qt::Key_Right:
        m_window.ZoomStep(1);
        return true;
    case Qt::Key_G:
        return Run(shift ? kSavePageImage : kGrid);
    case Qt::Key_I:
        // As the tool-bar button, it places nothing on a locked note.
        if (IsEnabled(kOpenImage))
            Run(kOpenImage);
        return true;
    case Qt::Key_L:
        return Run(kLock);
    case Qt::Key_N:
        return Run(kNewNote);
    case Qt::Key_O:
        return Run(kOpenNote);
    case Qt::Key_P:
        Run(kPublish);
        return true;
    case Qt::Key_S:
        return Run(shift ? kSaveNoteAs : kSaveNote);
    case Qt::Key_U:
        return Run(kSnap);
    case Qt::Key_Y:
        return Run(kRedo);
    case Qt::Key_Z:
        return Run(kUndo);
    case Qt::Key_D:
        m_window.Deselect();
        return true;
    case Qt::Key_V:
        m_window.Import().PasteAt(m_window.mapFromGlobal(QCursor::pos()));
        return true;
    default:
        return false;
    }
}

void CommandTable::SendKeyToCanvases(QKeyEvent* event)
{
    Message message;
    message.kind = MessageKind::KeyDown;
    message.key = CanvasWidget::KeyFromQt(event->key(), event->modifiers()).value_or(Key::None);
    message.ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    message.shift = event->modifiers().testFlag(Qt::ShiftModifier);
    message.auto_repeat = event->isAutoRepeat();
    m_window.RouteToCanvases(message);
}

bool CommandTable::HandleKeyUp(const QObject* receiver, QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3) {
        if (!event->isAutoRepeat())
            m_window.PeekFrame(false);
        return true;
    }
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        Pages& pages = m_window.GetPages();
        if (!m_window.PageWidget().ReleasePanKey() && !IsTextEntry(receiver) && !pages.Next())
            pages.First();
        return !IsTextEntry(receiver);
    }
    if (event->key() == Qt::Key_Shift && !IsTextEntry(receiver)) {
        Message message;
        message.kind = MessageKind::KeyUp;
        message.key = Key::Shift;
        m_window.RouteToCanvases(message);
        return true;
    }
    return false;
}

bool CommandTable::HandleWheel(QWheelEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (!ctrl && !shift)
        return false;
    // Some platforms turn a vertical wheel with Shift into a horizontal one.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int steps = delta / 120;
    Pages& pages = m_window.GetPages();
    for (int step = 0; step < std::abs(steps); ++step) {
        const bool towards_user = steps < 0;
        if (shift) {
            if (towards_user)
                pages.Next();
            else
                pages.Previous();
        } else {
            m_window.ZoomStep(towards_user ? 1 : -1, m_window.PagePointUnder(event->globalPosition()));
        }
    }
    return true;
}

bool CommandTable::HandleBarEvent(const ItemEvent& event)
{
    switch (event.code) {
    case ItemEvent::kChanged:
        return HandleBarClick(event);
    case ItemEvent::kChangeFinished:
        return HandleBarCommit(event);
    case ItemEvent::kShowMessage:
        ShowNotification(event);
        return true;
    default:
        return false;
    }
}

bool CommandTable::HandleBarClick(const ItemEvent& event)
{
    const QString& name = event.text;
    auto is = [&name](const char* candidate) { return name == QLatin1String(candidate); };
    Pages& pages = m_window.GetPages();
    if (is("ClearPage"))
        pages.ClearPage();
    else if (is("PrevPage"))
        pages.Previous();
    else if (is("NextPage"))
        pages.Next();
    else if (is("TopPage"))
        pages.First();
    else if (is("EndPage"))
        pages.Last();
    else if (is("ClearNote"))
        pages.ClearNote();
    else if (is("OpenNote"))
        m_window.OpenNote({});
    else if (is("SaveNote"))
        m_window.SaveNote({});
    else if (is("SavePage"))
        m_window.PageSaver().SaveWithDialog();
    else if (is("UndoNote"))
        pages.Undo();
    else if (is("RedoNote"))
        pages.Redo();
    else if (is("BackColor"))
        m_window.ApplyBackgroundColour(Repaint::Yes);
    else if (is("FrameColor"))
        m_window.ApplyFrameColour(Repaint::Yes);
    else if (is("OpenImage"))
        m_window.Import().OpenWithDialog();
    else if (is("About"))
        Run(kAbout);
    else if (is("LockPage"))
        m_window.ReadLock();
    else
        return false;
    return true;
}

bool CommandTable::HandleBarCommit(const ItemEvent& event)
{
    const QString& name = event.text;
    auto is = [&name](const char* candidate) { return name == QLatin1String(candidate); };
    if (is("ThisPage")) {
        QString text;
        if (m_window.PageBarWidget().GetCanvas().GetItemProperty(name, QStringLiteral("Text"), text))
            m_window.GetPages().GoTo(ToInt(text) - 1);
    } else if (is("ViewerWidth") || is("ViewerHeight")) {
        m_window.CommitViewerSize(name);
    } else if (is("Zoom")) {
        m_window.ApplyZoomBox();
        m_window.RepaintPageCanvas();
        m_window.ShowZoom();
    } else if (is("Dpi")) {
        m_window.CommitDpi();
    } else if (is("GridSize")) {
        m_window.CommitGridSize();
    } else if (is("BackColor")) {
        m_window.Modes().ReapplyTransparency(); // the colour key follows the new colour
    } else {
        return false;
    }
    return true;
}

bool CommandTable::HandlePageEvent(const ItemEvent& event)
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
