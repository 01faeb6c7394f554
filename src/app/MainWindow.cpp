#include "app/MainWindow.h"

#include "items/LayoutResources.h"
#include "app/QtNativeEdit.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"
#include "platform/Screens.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QCheckBox>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Widget names of the tool bar and the page bar.
const QString kThisPage = QStringLiteral("ThisPage");
const QString kMaxPage = QStringLiteral("MaxPage");
const QString kZoom = QStringLiteral("Zoom");
const QString kDpi = QStringLiteral("Dpi");
const QString kViewerWidth = QStringLiteral("ViewerWidth");
const QString kViewerHeight = QStringLiteral("ViewerHeight");
const QString kGridSize = QStringLiteral("GridSize");
const QString kLockPage = QStringLiteral("LockPage");
const QString kBackColor = QStringLiteral("BackColor");
const QString kFrameColor = QStringLiteral("FrameColor");
const QString kStatus = QStringLiteral("Status");
const QString kProgressBar = QStringLiteral("ProgressBar");
// Items of the frame layout.
const QString kClient = QStringLiteral("Client");
const QString kFrameGrid = QStringLiteral("FrameG");
const QString kFrame = QStringLiteral("Frame");
// Property keys.
const QString kText = QStringLiteral("Text");
const QString kValue = QStringLiteral("Value");
const QString kPushed = QStringLiteral("Pushed");
const QString kEnable = QStringLiteral("Enable");
const QString kColor = QStringLiteral("Color");
const QString kInterval = QStringLiteral("Interval");
const QString kVisible = QStringLiteral("Visible");

// The smallest grid interval the grid-size box shows.
constexpr float kMinGridInterval = 0.03125f;
// Placed images cascade by this many window pixels per file.
constexpr int kCascadeStep = 30;

QString Caption()
{
    return kPromptCaption.toString();
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// "0x%x" of an opaque grey of the level.
QString GreyColourText(int level)
{
    const quint32 colour = 0xFF000000u + static_cast<quint32>(level) * 0x010101u;
    return QStringLiteral("0x") + QString::number(colour, 16);
}

int RoundHalfUp(float value)
{
    return static_cast<int>(std::floor(value + 0.5f));
}

FileDialogRequest ImageDialog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral(
        "画像ファイル (*.jpg;*.gif;*.png;*.bmp;*.tif)|*.jpg;*.gif;*.png;*.bmp;*.tif;|すべてのファイル (*.*)|*.*||");
    request.initial_path = QStringLiteral("NewFile");
    return request;
}

bool IsTextEntry(const QObject* object)
{
    return object->inherits("QLineEdit") || object->inherits("QPlainTextEdit") || object->inherits("QTextEdit");
}

// Events that do not begin a new idle period: pointer moves, painting and timers.
bool StartsIdlePeriod(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::Timer:
        return false;
    default:
        return true;
    }
}

// The same file, compared in the long form and without case.
bool IsSameFile(const QString& a, const QString& b)
{
    auto normal = [](const QString& path) {
        QString text = LongPath(QFileInfo(path).absoluteFilePath()).toLower();
        if (text.endsWith(QLatin1Char('/')))
            text.chop(1);
        return text;
    };
    return normal(a) == normal(b);
}

}

PageCanvasWidget::PageCanvasWidget(QWidget* parent)
    : CanvasWidget(CanvasKind::Page, parent)
{
}

void PageCanvasWidget::resizeEvent(QResizeEvent* event)
{
    CanvasWidget::resizeEvent(event);
    emit Resized();
}

bool PageCanvasWidget::SetColourKey(std::optional<quint32> key)
{
    if (key == m_colour_key)
        return false;
    m_colour_key = key;
    update();
    return true;
}

QImage PageCanvasWidget::KeyedOut(const QImage& image, quint32 key)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb opaque_key = 0xFF000000u | (key & 0xFFFFFFu);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if (line[x] == opaque_key)
                line[x] = 0;
    }
    return keyed;
}

void PageCanvasWidget::paintEvent(QPaintEvent* event)
{
    const Canvas& canvas = GetCanvas();
    if (!m_colour_key || !canvas.HasBackBuffer()) {
        CanvasWidget::paintEvent(event);
        return;
    }
    // The window is translucent: what is painted replaces what was there, and pixels of the
    // colour key let the desktop show through.
    const QImage& buffer = canvas.BackBuffer();
    const qreal ratio = buffer.devicePixelRatio();
    const QRect area = event->rect();
    const QRect source(QPointF(area.topLeft() * ratio).toPoint(), QSizeF(area.size() * ratio).toSize());
    QImage part = KeyedOut(buffer.copy(source), *m_colour_key);
    part.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area.topLeft(), part);
}

bool PageCanvasWidget::DeliverMessage(const Message& message)
{
    if (m_input_blocked)
        return false;
    return CanvasWidget::DeliverMessage(message);
}

MainWindow::MainWindow()
    : m_client(new QWidget(this))
    , m_tool_bar(new CanvasWidget(CanvasKind::Panel, m_client))
    , m_page_bar(new CanvasWidget(CanvasKind::Panel, m_client))
    , m_page_view(new PageCanvasWidget(m_client))
    , m_pages(m_page_view->GetCanvas(), *this)
{
    ItemFactories::RegisterAll();
    // The edit boxes of the bars edit in native text fields.
    QtNativeEdit::Install();
    setWindowTitle(QStringLiteral("Tessary by Veldran"));
    setWindowIcon(QIcon(ProgramFolder() + QStringLiteral("resource/icon.png")));
    setCentralWidget(m_client);
    m_client->setMinimumSize(kMinClientWidth, kMinClientHeight);
    m_page_view->setObjectName(QStringLiteral("PageCanvas"));
    m_tool_bar->setObjectName(QStringLiteral("ToolBar"));
    m_page_bar->setObjectName(QStringLiteral("PageBar"));

    qApp->installEventFilter(this);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::OnAboutToBlock);
    BuildMenu();

    if (!BuildBars()) {
        FailLayout();
        return;
    }
    auto bar_handler = [this](const ItemEvent& event) { return OnBarEvent(event); };
    m_tool_bar->GetCanvas().SetEventHandler(bar_handler);
    m_page_bar->GetCanvas().SetEventHandler(bar_handler);
    PageCanvas().SetEventHandler([this](const ItemEvent& event) { return OnPageEvent(event); });
    // The first sizing also sets the page resolution, which changes the scale.
    connect(m_page_view, &PageCanvasWidget::Resized, this, [this] {
        if (CentrePage())
            RepaintPageCanvas();
    });

    resize(kMinClientWidth, kMinClientHeight + menuBar()->sizeHint().height());
    LayOutCanvases();
    if (!m_pages.ClearNote() || !m_valid)
        return;

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->geometry().size() : QSize(kMinClientWidth, kMinClientHeight);
    PageCanvas().SetLayoutSize(std::clamp(desktop.width(), 1, kMaxViewerSide),
                               std::clamp(desktop.height(), 1, kMaxViewerSide));
    ShowViewerSize();
    PageCanvas().SetZoom(0.5f);
    ApplyGridDivisions();
    CentrePage();
    CenterWindow(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    delete m_switch_window;
    // The canvases go first, while the window they report to is still whole.
    for (CanvasWidget* widget : { static_cast<CanvasWidget*>(m_tool_bar), static_cast<CanvasWidget*>(m_page_bar),
                                  static_cast<CanvasWidget*>(m_page_view) })
        widget->GetCanvas().SetEventHandler(nullptr);
    delete m_client;
}

bool MainWindow::BuildBars()
{
    SetCurrentFolder(ProgramFolder());
    return BuildLayout(m_tool_bar->GetCanvas(), LayoutResource::ToolBar)
        && BuildLayout(m_page_bar->GetCanvas(), LayoutResource::PageBar);
}

void MainWindow::FailLayout()
{
    if (!m_valid)
        return;
    m_valid = false;
    Prompt().ShowMessage(QStringLiteral("リソース読み込みに失敗しました。"), Caption(), MessageIcon::Error);
    close();
}

void MainWindow::BuildMenu()
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
            { kFullScreen, "全画面表示(&F)\tF5" },
            { kBringToFront, "最全面に(&F)\tF8" },
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
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(spec.caption));
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::RefreshMenuStates);
        for (const Entry& entry : spec.entries) {
            if (entry.command == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
            action->setCheckable(std::find(checkable.begin(), checkable.end(), entry.command) != checkable.end());
            const int command = entry.command;
            connect(action, &QAction::triggered, this, [this, command] {
                if (IsCommandEnabled(command))
                    RunCommand(command);
            });
            m_actions[command] = action;
        }
    }
    RefreshMenuStates();
}

void MainWindow::RefreshMenuStates()
{
    const std::map<int, bool> checks {
        { kGrid, m_grid_visible }, { kSnap, m_snap }, { kLock, m_locked }, { kBottomMost, m_bottom_most },
        { kTransparentBackground, m_transparent_background }, { kTransparentWindow, m_transparent_window },
    };
    for (auto& [command, action] : m_actions) {
        action->setEnabled(IsCommandEnabled(command));
        if (const auto check = checks.find(command); check != checks.end())
            action->setChecked(check->second);
    }
}

bool MainWindow::IsCommandEnabled(int command) const
{
    const UndoHistory& history = m_pages.History();
    switch (command) {
    case kRedo:
        return history.CanRedo() && !m_locked;
    case kUndo:
        return history.CanUndo() && !m_locked;
    case kClearPage:
    case kInsertPage:
    case kNewNote:
        return !m_locked;
    case kDeletePage:
        return !m_locked && m_pages.Count() >= 2;
    case kPublish:
    case kAbout:
    case kMakerSite:
    case kProductPage:
        return false; // not available in this version
    default:
        return true;
    }
}

bool MainWindow::RunCommand(int command)
{
    switch (command) {
    case kNewNote:
        m_pages.ClearNote();
        return true;
    case kOpenNote:
        OpenNote({});
        return true;
    case kSaveNote:
        SaveNote({});
        return true;
    case kExit:
        close();
        return true;
    case kUndo:
        m_pages.Undo();
        return true;
    case kRedo:
        m_pages.Redo();
        return true;
    case kInsertPage:
        m_pages.Insert();
        return true;
    case kDeletePage:
        m_pages.Delete();
        return true;
    case kClearPage:
        m_pages.ClearPage();
        return true;
    case kGrid:
        ToggleGrid();
        return true;
    case kSnap:
        m_snap = !m_snap;
        PublishSnapGrid();
        return true;
    case kLock: {
        bool pushed = false;
        m_page_bar->GetCanvas().GetItemPropertyBool(kLockPage, kPushed, pushed);
        m_page_bar->GetCanvas().UpdateItemProperty(kLockPage, kPushed, BoolText(!pushed));
        ReadLock();
        return true;
    }
    case kFullScreen:
        ToggleFullScreen();
        return true;
    case kBringToFront:
        raise();
        activateWindow();
        return true;
    case kTransparentBackground:
        m_transparent_background = !m_transparent_background;
        ReapplyTransparency();
        return true;
    case kTransparentWindow:
        m_transparent_window = !m_transparent_window;
        ReapplyTransparency();
        return true;
    case kBottomMost:
        m_bottom_most = !m_bottom_most;
        setWindowFlag(Qt::WindowStaysOnBottomHint, m_bottom_most);
        show();
        return true;
    default:
        return false;
    }
}

void MainWindow::LayOutCanvases()
{
    const int width = m_client->width();
    const int height = m_client->height();
    if (m_full_screen) {
        m_page_view->setGeometry(0, 0, width, height);
        m_tool_bar->setGeometry(0, -kBarHeight, width, 0);
        m_page_bar->setGeometry(0, -kBarHeight, width, 0);
    } else {
        m_tool_bar->setGeometry(0, 0, width, kBarHeight);
        m_page_view->setGeometry(0, kBarHeight, width, std::max(0, height - 2 * kBarHeight));
        m_page_bar->setGeometry(0, height - kBarHeight, width, kBarHeight);
    }
}

bool MainWindow::ResetPageCanvas(Repaint repaint)
{
    Canvas& canvas = PageCanvas();
    canvas.Clear();
    SetCurrentFolder(ProgramFolder());
    if (!BuildLayout(canvas, LayoutResource::Frame)) {
        FailLayout();
        return false;
    }
    // A rebuilt frame keeps the grid's visibility and divisions as the window shows them.
    canvas.SetItemProperty(kFrameGrid, kVisible, BoolText(m_grid_visible));
    QString divisions;
    if (m_tool_bar->GetCanvas().GetItemProperty(kGridSize, kText, divisions)) {
        const int count = ToInt(divisions);
        canvas.SetItemProperty(kFrameGrid, kInterval, FormatGeneral(count > 0 ? 1.0 / count : 1.0));
    }
    ApplyBackgroundColour(Repaint::No);
    ApplyFrameColour(Repaint::No);
    if (repaint == Repaint::Yes)
        RepaintPageCanvas();
    return true;
}

void MainWindow::RepaintPageCanvas()
{
    Canvas& canvas = PageCanvas();
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    canvas.Present(PresentScope::All, UpdateTiming::Now);
}

void MainWindow::ShowPageCounter()
{
    Canvas& bar = m_page_bar->GetCanvas();
    bar.UpdateItemProperty(kThisPage, kText, QString::number(m_pages.Current() + 1));
    bar.UpdateItemProperty(kMaxPage, kText, QString::number(m_pages.Count()));
}

void MainWindow::NoteCleared()
{
    ShowGridDivisions();
    m_page_bar->GetCanvas().UpdateItemProperty(kLockPage, kPushed, BoolText(false));
    ReadLock();
}

void MainWindow::ShowZoom()
{
    const int percent = RoundHalfUp(PageCanvas().Zoom() * 100.0f);
    m_page_bar->GetCanvas().UpdateItemProperty(kZoom, kText, QString::number(percent) + QLatin1Char('%'));
}

void MainWindow::ShowResolution()
{
    m_page_bar->GetCanvas().UpdateItemProperty(kDpi, kText, QString::number(RoundHalfUp(PageCanvas().Dpi())));
}

void MainWindow::ShowViewerSize()
{
    Canvas& bar = m_page_bar->GetCanvas();
    bar.UpdateItemProperty(kViewerWidth, kText, QString::number(static_cast<int>(PageCanvas().LayoutWidth())));
    bar.UpdateItemProperty(kViewerHeight, kText, QString::number(static_cast<int>(PageCanvas().LayoutHeight())));
}

void MainWindow::ApplyZoomBox()
{
    QString text;
    if (m_page_bar->GetCanvas().GetItemProperty(kZoom, kText, text))
        PageCanvas().SetZoom(static_cast<float>(ToInt(text)) / 100.0f);
    CentrePage();
}

void MainWindow::ApplyResolutionBox()
{
    QString text;
    if (m_page_bar->GetCanvas().GetItemProperty(kDpi, kText, text))
        PageCanvas().SetDpi(static_cast<float>(std::clamp(ToInt(text), kMinDpi, kMaxDpi)));
}

void MainWindow::ReadLock()
{
    bool pushed = false;
    m_page_bar->GetCanvas().GetItemPropertyBool(kLockPage, kPushed, pushed);
    SetLocked(pushed);
}

void MainWindow::SetLocked(bool locked)
{
    m_locked = locked;
    m_page_view->SetInputBlocked(locked);
}

void MainWindow::ShowGridDivisions()
{
    float interval = 0;
    if (!PageCanvas().GetItemPropertyFloat(kFrameGrid, kInterval, interval) || interval <= 0)
        return;
    interval = std::max(interval, kMinGridInterval);
    const int divisions = static_cast<int>(1.0f / interval);
    m_tool_bar->GetCanvas().UpdateItemProperty(kGridSize, kText, QString::number(divisions));
}

void MainWindow::ApplyGridDivisions()
{
    QString text;
    if (!m_tool_bar->GetCanvas().GetItemProperty(kGridSize, kText, text))
        return;
    const int divisions = ToInt(text);
    m_snap_x.clear();
    m_snap_y.clear();
    const float width = PageCanvas().LayoutWidth();
    const float height = PageCanvas().LayoutHeight();
    for (int index = 0; index < divisions; ++index) {
        m_snap_x.push_back(static_cast<float>(index) * width / static_cast<float>(divisions));
        m_snap_y.push_back(static_cast<float>(index) * height / static_cast<float>(divisions));
    }
    PublishSnapGrid();
}

// The page's items read the snap lines from their canvas.
void MainWindow::PublishSnapGrid()
{
    PageCanvas().SetSnapGrid({ m_snap, m_snap_x, m_snap_y });
}

bool MainWindow::ApplyBackgroundColour(Repaint repaint)
{
    float value = 255;
    m_tool_bar->GetCanvas().GetItemPropertyFloat(kBackColor, kValue, value);
    const int level = std::clamp(static_cast<int>(value), 0, 255);
    m_colour_key = static_cast<quint32>(level) * 0x010101u;
    const bool changed = PageCanvas().SetItemProperty(kClient, kColor, GreyColourText(level));
    if (changed && repaint == Repaint::Yes)
        RepaintPageCanvas();
    return changed;
}

bool MainWindow::ApplyFrameColour(Repaint repaint)
{
    float value = 238;
    m_tool_bar->GetCanvas().GetItemPropertyFloat(kFrameColor, kValue, value);
    const QString colour = GreyColourText(std::clamp(static_cast<int>(value), 0, 255));
    bool changed = false;
    for (const char* name : { "FrameG", "FrameL", "FrameT", "FrameR", "FrameB" })
        changed |= PageCanvas().SetItemProperty(QString::fromLatin1(name), kColor, colour);
    if (changed && repaint == Repaint::Yes)
        RepaintPageCanvas();
    return changed;
}

void MainWindow::ShowStatus()
{
    QString status;
    const Canvas& canvas = PageCanvas();
    if (m_page_view->isVisible() && m_page_view->rect().contains(m_page_view->mapFromGlobal(QCursor::pos()))) {
        const QPointF point = canvas.ToPage(QPointF(m_page_view->mapFromGlobal(QCursor::pos())));
        for (int index = canvas.ItemCount() - 1; index >= Pages::kFrameItemCount; --index) {
            const auto* image = dynamic_cast<const ImageItem*>(canvas.ItemAt(index));
            if (image && image->IsShown() && image->GetBounds().contains(point)) {
                status = image->StatusText();
                break;
            }
        }
    }
    m_page_bar->GetCanvas().UpdateItemProperty(kStatus, kText, status);
}

bool MainWindow::CentrePage()
{
    Canvas& canvas = PageCanvas();
    const float scale = canvas.EffectiveScale();
    if (scale <= 0)
        return false;
    const float width = static_cast<float>(m_page_view->width());
    const float height = static_cast<float>(m_page_view->height());
    return canvas.SetScroll((canvas.LayoutWidth() - width / scale) / 2, (canvas.LayoutHeight() - height / scale) / 2);
}

void MainWindow::ZoomStep(int direction)
{
    QString text;
    const QString key = direction > 0 ? QStringLiteral("NextText") : QStringLiteral("PrevText");
    const int percent = m_page_bar->GetCanvas().GetItemProperty(kZoom, key, text) ? ToInt(text) : 100;
    bool changed = PageCanvas().SetZoom(static_cast<float>(percent) / 100.0f);
    ShowZoom();
    changed |= CentrePage();
    if (changed)
        RepaintPageCanvas();
}

void MainWindow::CommitViewerSize(const QString& name)
{
    QString text;
    if (!m_page_bar->GetCanvas().GetItemProperty(name, kText, text))
        return;
    const float value = static_cast<float>(std::clamp(ToInt(text), 1, kMaxViewerSide));
    Canvas& canvas = PageCanvas();
    if (name == kViewerWidth)
        canvas.SetLayoutSize(value, canvas.LayoutHeight());
    else
        canvas.SetLayoutSize(canvas.LayoutWidth(), value);
    CentrePage();
    RepaintPageCanvas();
    ShowViewerSize();
    ApplyGridDivisions();
}

void MainWindow::CommitDpi()
{
    QString text;
    if (!m_page_bar->GetCanvas().GetItemProperty(kDpi, kText, text))
        return;
    bool changed = PageCanvas().SetDpi(static_cast<float>(std::clamp(ToInt(text), kMinDpi, kMaxDpi)));
    ShowResolution();
    changed |= CentrePage();
    if (changed)
        RepaintPageCanvas();
}

void MainWindow::CommitGridSize()
{
    QString text;
    if (!m_tool_bar->GetCanvas().GetItemProperty(kGridSize, kText, text))
        return;
    const int divisions = ToInt(text);
    const double interval = divisions <= 0 ? 1.0 : 1.0 / divisions;
    if (PageCanvas().SetItemProperty(kFrameGrid, kInterval, FormatGeneral(interval)))
        RepaintPageCanvas();
    ApplyGridDivisions();
}

void MainWindow::ToggleGrid()
{
    m_grid_visible = !m_grid_visible;
    if (PageCanvas().SetItemProperty(kFrameGrid, kVisible, BoolText(m_grid_visible)))
        RepaintPageCanvas();
}

void MainWindow::ToggleFullScreen()
{
    Canvas& canvas = PageCanvas();
    if (!m_full_screen) {
        m_saved_geometry = geometry();
        m_full_screen = true;
        menuBar()->hide();
        const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect desktop = current ? current->geometry() : QRect(0, 0, kMinClientWidth, kMinClientHeight);
        const float across = static_cast<float>(desktop.width()) / canvas.LayoutWidth();
        const float down = static_cast<float>(desktop.height()) / canvas.LayoutHeight();
        // The page fits the screen.
        canvas.SetZoom(down > across ? across : down);
        canvas.SetDpi(Canvas::kDefaultScreenDpi);
        showFullScreen();
    } else {
        m_full_screen = false;
        showNormal();
        menuBar()->show();
        ApplyZoomBox();
        ApplyResolutionBox();
        if (m_saved_geometry.isValid())
            setGeometry(m_saved_geometry);
    }
    LayOutCanvases();
    CentrePage();
    RepaintPageCanvas();
    ReapplyTransparency();
}

void MainWindow::ReapplyTransparency()
{
    // A translucent window needs a native window made for it, so switching recreates it.
    const bool was_visible = isVisible();
    bool recreate = false;
    if (testAttribute(Qt::WA_TranslucentBackground) != m_transparent_background) {
        setAttribute(Qt::WA_TranslucentBackground, m_transparent_background);
        recreate = true;
    }
    m_page_view->SetColourKey(m_transparent_background ? std::optional<quint32>(m_colour_key) : std::nullopt);

    const bool click_through = m_transparent_window && m_transparent_background;
    if (click_through)
        ShowSwitchWindow();
    else if (m_switch_window) {
        m_switch_window->close();
        m_switch_window->deleteLater();
        m_switch_window = nullptr;
    }
    const Qt::WindowFlags flags = windowFlags();
    Qt::WindowFlags wanted = flags;
    wanted.setFlag(Qt::WindowStaysOnTopHint, click_through);
    wanted.setFlag(Qt::WindowTransparentForInput, click_through);
    if (wanted != flags || recreate) {
        setWindowFlags(wanted);
        if (was_visible)
            show();
    }
}

void MainWindow::ShowSwitchWindow()
{
    if (m_switch_window)
        return;
    m_switch_window = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    auto* check = new QCheckBox(QStringLiteral("透過ウィンドウ"), m_switch_window);
    check->setObjectName(QStringLiteral("SwitchCheck"));
    check->setChecked(true);
    auto* layout = new QVBoxLayout(m_switch_window);
    layout->addWidget(check);
    // Unchecking turns the click-through window off again.
    connect(check, &QCheckBox::clicked, this, [this] { RunCommand(kTransparentWindow); });
    m_switch_window->adjustSize();
    const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    if (current) {
        const QRect desktop = current->availableGeometry();
        m_switch_window->move(desktop.bottomRight() - QPoint(m_switch_window->width(), m_switch_window->height()));
    }
    m_switch_window->show();
}

void MainWindow::PeekFrame(bool peek)
{
    if (peek == m_peeking)
        return;
    m_peeking = peek;
    Canvas& canvas = PageCanvas();
    auto items_named = [&canvas](const QString& part) {
        std::vector<Item*> items;
        for (int index : canvas.FindItems(part))
            items.push_back(canvas.ItemAt(index));
        return items;
    };
    const std::vector<Item*> frame = items_named(kFrame);
    if (peek) {
        // Raised from the last to the first, so they keep their order on top.
        for (auto item = frame.rbegin(); item != frame.rend(); ++item)
            canvas.BringToFront(*item);
    } else {
        for (Item* item : frame)
            canvas.SendToBack(item);
        for (Item* item : items_named(kClient))
            canvas.SendToBack(item);
    }
    RepaintPageCanvas();
}

void MainWindow::RaiseLowestItem()
{
    Canvas& canvas = PageCanvas();
    if (Item* lowest = canvas.ItemAt(Pages::kFrameItemCount)) {
        canvas.BringToFront(lowest);
        RepaintPageCanvas();
    }
}

void MainWindow::Deselect()
{
    Canvas& canvas = PageCanvas();
    if (Canvas::CapturingCanvas() == &canvas && m_page_view->HoldsMouse())
        m_page_view->ReleaseMouse();
    if (Item* active = canvas.ActiveItem()) {
        if (active->SetProperty(QStringLiteral("Hover"), BoolText(false)))
            canvas.Refresh(*active);
        canvas.SetActiveItem(nullptr);
    }
    RepaintPageCanvas();
}

bool MainWindow::OnBarEvent(const ItemEvent& event)
{
    const QString& name = event.text;
    const int code = event.code;
    auto is = [&name](const char* candidate) { return name == QLatin1String(candidate); };
    if (code == ItemEvent::kChanged) {
        if (is("ClearPage"))
            m_pages.ClearPage();
        else if (is("PrevPage"))
            m_pages.Previous();
        else if (is("NextPage"))
            m_pages.Next();
        else if (is("TopPage"))
            m_pages.First();
        else if (is("EndPage"))
            m_pages.Last();
        else if (is("ClearNote"))
            m_pages.ClearNote();
        else if (is("OpenNote"))
            OpenNote({});
        else if (is("SaveNote"))
            SaveNote({});
        else if (is("UndoNote"))
            m_pages.Undo();
        else if (is("RedoNote"))
            m_pages.Redo();
        else if (is("BackColor"))
            ApplyBackgroundColour(Repaint::Yes);
        else if (is("FrameColor"))
            ApplyFrameColour(Repaint::Yes);
        else if (is("OpenImage"))
            OpenImageWithDialog();
        else if (is("LockPage"))
            ReadLock();
        else
            return false;
        return true;
    }
    if (code == ItemEvent::kChangeFinished) {
        if (is("ThisPage")) {
            QString text;
            if (m_page_bar->GetCanvas().GetItemProperty(kThisPage, kText, text))
                m_pages.GoTo(ToInt(text) - 1);
        } else if (is("ViewerWidth") || is("ViewerHeight")) {
            CommitViewerSize(name);
        } else if (is("Zoom")) {
            ApplyZoomBox();
            RepaintPageCanvas();
            ShowZoom();
        } else if (is("Dpi")) {
            CommitDpi();
        } else if (is("GridSize")) {
            CommitGridSize();
        } else if (is("BackColor")) {
            ReapplyTransparency(); // the colour key follows the new colour
        } else {
            return false;
        }
        return true;
    }
    if (code == ItemEvent::kShowMessage) {
        Prompt().ShowMessage(event.extra, Caption(), MessageIcon::Information);
        return true;
    }
    return false;
}

bool MainWindow::OnPageEvent(const ItemEvent& event)
{
    if (event.code == ItemEvent::kChangeFinished) {
        m_pages.RecordStep();
        return true;
    }
    if (event.code == ItemEvent::kShowMessage) {
        Prompt().ShowMessage(event.extra, Caption(), MessageIcon::Information);
        return true;
    }
    return false;
}

void MainWindow::OnAboutToBlock()
{
    if (!m_idle_pending || m_closing)
        return;
    m_idle_pending = false;
    RunIdlePass();
}

void MainWindow::RunIdlePass()
{
    if (!m_valid)
        return;
    const int current = m_pages.Current();
    const int count = m_pages.Count();
    const bool valid = m_pages.IsValid(current);
    const bool next = valid
        && ((m_locked && current < count - 1) || (!m_locked && (current != count - 1 || m_pages.PageHasContent())));
    const std::vector<std::pair<const char*, bool>> states {
        { "TopPage", current != 0 },
        { "EndPage", current + 1 != count },
        { "PrevPage", current > 0 },
        { "NextPage", next },
        { "ClearNote", !m_locked },
        { "ClearPage", !m_locked },
        { "OpenImage", !m_locked },
        { "RedoNote", m_pages.History().CanRedo() && !m_locked },
        { "UndoNote", m_pages.History().CanUndo() && !m_locked },
    };
    for (const auto& [name, enabled] : states) {
        const QString widget = QString::fromLatin1(name);
        m_tool_bar->GetCanvas().UpdateItemProperty(widget, kEnable, BoolText(enabled));
        m_page_bar->GetCanvas().UpdateItemProperty(widget, kEnable, BoolText(enabled));
    }
    m_tool_bar->GetCanvas().UpdateItemPropertyFloat(kProgressBar, kValue,
                                                    static_cast<float>(FolderListingCache::Instance().ProgressPercent()));
    ShowStatus();
    emit IdlePassDone();
}

bool MainWindow::RouteToCanvases(const Message& message)
{
    auto route = [&message](CanvasWidget* widget) {
        Message local = message;
        local.position = widget->mapFromGlobal(QCursor::pos());
        return widget->GetCanvas().RouteMessage(local);
    };
    if (route(m_tool_bar) || route(m_page_bar))
        return true;
    return !m_locked && route(m_page_view);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (StartsIdlePeriod(event->type()))
        m_idle_pending = true;
    if (watched == m_client && event->type() == QEvent::Resize) {
        LayOutCanvases();
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return HandleKeyDown(watched, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        return HandleKeyUp(watched, static_cast<QKeyEvent*>(event));
    case QEvent::Wheel:
        return HandleWheel(static_cast<QWheelEvent*>(event));
    default:
        return false;
    }
}

bool MainWindow::HandleKeyDown(const QObject* receiver, QKeyEvent* event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool function_key = key >= Qt::Key_F1 && key <= Qt::Key_F24;
    // A text field keeps its typing and editing keys.
    if (IsTextEntry(receiver) && !function_key
        && (!ctrl || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Z || key == Qt::Key_Y
            || key == Qt::Key_V))
        return false;

    if (ctrl) {
        switch (key) {
        case Qt::Key_Left:
            ZoomStep(-1);
            return true;
        case Qt::Key_Right:
            ZoomStep(1);
            return true;
        case Qt::Key_G:
            return RunCommand(kGrid);
        case Qt::Key_L:
            return RunCommand(kLock);
        case Qt::Key_N:
            return RunCommand(kNewNote);
        case Qt::Key_O:
            return RunCommand(kOpenNote);
        case Qt::Key_P:
            RunCommand(kPublish);
            return true;
        case Qt::Key_S:
            return RunCommand(kSaveNote);
        case Qt::Key_U:
            return RunCommand(kSnap);
        case Qt::Key_Y:
            return RunCommand(kRedo);
        case Qt::Key_Z:
            return RunCommand(kUndo);
        case Qt::Key_D:
            Deselect();
            return true;
        default:
            break;
        }
    }
    switch (key) {
    case Qt::Key_Tab:
        if (!m_switch_window)
            RaiseLowestItem();
        return true;
    case Qt::Key_Escape:
        if (m_full_screen)
            ToggleFullScreen();
        else if (isMaximized())
            showNormal();
        return true;
    case Qt::Key_Space:
        if (!m_pages.Next())
            m_pages.First();
        return true;
    case Qt::Key_PageUp:
        m_pages.Previous();
        return true;
    case Qt::Key_PageDown:
        m_pages.Next();
        return true;
    case Qt::Key_F3:
        if (!event->isAutoRepeat())
            PeekFrame(true);
        return true;
    case Qt::Key_F5:
    case Qt::Key_F11:
        ToggleFullScreen();
        return true;
    case Qt::Key_F7:
        return RunCommand(kTransparentBackground);
    case Qt::Key_F8:
        return RunCommand(kBringToFront);
    case Qt::Key_F9:
        return RunCommand(kBottomMost);
    default:
        break;
    }
    if (shift && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        if (key == Qt::Key_Left)
            m_pages.Previous();
        else
            m_pages.Next();
        return true;
    }
    if (ctrl)
        return false;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Delete:
    case Qt::Key_L:
    case Qt::Key_R: {
        Message message;
        message.kind = MessageKind::KeyDown;
        message.key = CanvasWidget::KeyFromQt(key, event->modifiers()).value_or(Key::None);
        message.ctrl = ctrl;
        message.shift = shift;
        message.auto_repeat = event->isAutoRepeat();
        RouteToCanvases(message);
        return true;
    }
    default:
        return false;
    }
}

bool MainWindow::HandleKeyUp(const QObject* receiver, QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3) {
        if (!event->isAutoRepeat())
            PeekFrame(false);
        return true;
    }
    if (event->key() == Qt::Key_Shift && !IsTextEntry(receiver)) {
        Message message;
        message.kind = MessageKind::KeyUp;
        message.key = Key::Shift;
        RouteToCanvases(message);
        return true;
    }
    return false;
}

bool MainWindow::HandleWheel(QWheelEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (!ctrl && !shift)
        return false;
    // Some platforms turn a vertical wheel with Shift into a horizontal one.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int steps = delta / 120;
    for (int step = 0; step < std::abs(steps); ++step) {
        const bool towards_user = steps < 0;
        if (shift) {
            if (towards_user)
                m_pages.Next();
            else
                m_pages.Previous();
        } else {
            ZoomStep(towards_user ? 1 : -1);
        }
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_closing = true;
    if (m_close_handler)
        m_close_handler();
}

bool MainWindow::OpenNote(const QString& path)
{
    return m_pages.Document().OpenNote(path);
}

bool MainWindow::SaveNote(const QString& path)
{
    return m_pages.Document().SaveNote(path);
}

void MainWindow::NoteOpened()
{
    // A note that was opened starts locked.
    m_page_bar->GetCanvas().UpdateItemProperty(kLockPage, kPushed, BoolText(true));
    ReadLock();
    RepaintPageCanvas();
}

void MainWindow::ProcessCommandLine(const QStringList& arguments)
{
    const QString program = QCoreApplication::applicationFilePath();
    int image_page = 0;
    for (const QString& argument : arguments) {
        if (IsSameFile(argument, program) || !QFileInfo::exists(argument))
            continue;
        if (OpenNote(argument))
            break;
        if (PlaceImage(argument, {}, Placement::FitToPage, 0, image_page))
            ++image_page;
    }
    m_pages.GoTo(0);
}

bool MainWindow::PlaceImage(const QString& path, QPoint window_point, Placement placement, int sequence, int target_page)
{
    if (target_page >= 0 && !m_pages.GoTo(target_page))
        return false;
    Canvas& canvas = PageCanvas();
    auto item = std::make_unique<ImageItem>(canvas);
    if (!item->Load(QFileInfo(path).absoluteFilePath(), {}, FolderListingCache::Rescan::Yes))
        return false;
    if (placement == Placement::FitToPage) {
        item->FitToPage();
    } else {
        const QPoint cascaded = window_point + QPoint(kCascadeStep, kCascadeStep) * sequence;
        const QPointF page = canvas.ToPage(QPointF(m_page_view->mapFrom(this, cascaded)));
        // A cascade that runs off the page comes back on its other side.
        const int width = std::max(1, static_cast<int>(canvas.LayoutWidth()));
        const int height = std::max(1, static_cast<int>(canvas.LayoutHeight()));
        item->SetAnchor(Item::kLeft, QStringLiteral("L") + FormatFixed(static_cast<int>(page.x()) % width));
        item->SetAnchor(Item::kTop, QStringLiteral("T") + FormatFixed(static_cast<int>(page.y()) % height));
    }
    if (canvas.AddItem(std::move(item)))
        RepaintPageCanvas();
    m_pages.RecordStep();
    return true;
}

void MainWindow::OpenImageWithDialog()
{
    const auto chosen = Prompt().AskOpenFile(ImageDialog());
    if (!chosen)
        return;
    if (!PlaceImage(*chosen, {}, Placement::FitToPage, 0, -1))
        Prompt().ShowMessage(QStringLiteral("ファイルオープンに失敗しました。"), Caption(), MessageIcon::Error);
}
