#include "app/CanvasWidget.h"

#include "app/AccessibleCanvas.h"

#include "platform/Message.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QToolTip>
#include <QWindow>
#include <QWheelEvent>

namespace {

// The modifier and button states at the moment the event was made.
void FillStates(Message& message, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    message.ctrl = modifiers.testFlag(Qt::ControlModifier);
    message.shift = modifiers.testFlag(Qt::ShiftModifier);
    message.left_button = buttons.testFlag(Qt::LeftButton);
    message.middle_button = buttons.testFlag(Qt::MiddleButton);
    message.right_button = buttons.testFlag(Qt::RightButton);
}

}

CanvasWidget::CanvasWidget(CanvasKind kind, QWidget* parent)
    : QWidget(parent)
    , m_canvas(kind, this)
{
    // The back buffer covers the client area; nothing is erased before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    AccessibleCanvas::Install();
}

CanvasWidget::~CanvasWidget()
{
    // Items go while the widget is still whole, then the canvas forgets its window.
    m_canvas.Clear();
    m_canvas.SetHost(nullptr);
}

bool CanvasWidget::IsShowing() const
{
    return isVisible();
}

void CanvasWidget::Invalidate(const QRect& device_rect, UpdateTiming timing)
{
    if (timing == UpdateTiming::Now && isVisible())
        repaint(device_rect);
    else
        update(device_rect);
}

QSize CanvasWidget::ClientSize() const
{
    return size();
}

float CanvasWidget::ScreenDpi() const
{
    if (m_screen_dpi_override > 0)
        return m_screen_dpi_override;
    const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    return current ? static_cast<float>(current->logicalDotsPerInchX()) : Canvas::kDefaultScreenDpi;
}

QPoint CanvasWidget::MapToScreen(QPoint client_point) const
{
    return mapToGlobal(client_point);
}

bool CanvasWidget::AnyWindowHoldsMouse() const
{
    return QWidget::mouseGrabber() != nullptr;
}

bool CanvasWidget::HoldsMouse() const
{
    return QWidget::mouseGrabber() == this;
}

void CanvasWidget::CaptureMouse()
{
    grabMouse();
}

void CanvasWidget::ReleaseMouse()
{
    releaseMouse();
}

void CanvasWidget::FocusMoved(const Item* item)
{
    AccessibleCanvas::AnnounceFocus(*this, item);
}

void CanvasWidget::TakeKeyboardFocus()
{
    setFocus(Qt::TabFocusReason);
}

void CanvasWidget::SetCursorShape(Qt::CursorShape shape)
{
    setCursor(shape);
}

void CanvasWidget::ShowToolTip(QPoint screen_point, const QString& text)
{
    QToolTip::showText(screen_point, text, this);
}

void CanvasWidget::HideToolTip()
{
    QToolTip::hideText();
}

bool CanvasWidget::DeliverMessage(const Message& message)
{
    return m_canvas.RouteMessage(message);
}

void CanvasWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // What the back buffer does not cover (left of and above the origin, or everything before
    // the first resize) is filled, since the widget promises to paint all of its area.
    QRegion uncovered(event->rect());
    if (m_canvas.HasBackBuffer()) {
        const QSizeF buffer = m_canvas.BackBuffer().deviceIndependentSize();
        uncovered -= QRectF(m_canvas.OriginX(), m_canvas.OriginY(), buffer.width(), buffer.height()).toAlignedRect();
        m_canvas.Paint(painter, event->rect());
    }
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().color(QPalette::Window));
}

void CanvasWidget::resizeEvent(QResizeEvent* event)
{
    m_canvas.ResizeBackBuffer(event->size().width(), event->size().height(), devicePixelRatioF());
}

// A window moved to a screen of another pixel ratio or resolution gets a back buffer for it.
void CanvasWidget::showEvent(QShowEvent*)
{
    QWindow* handle = window()->windowHandle();
    if (!handle || m_screen_watch)
        return;
    m_screen_watch = connect(handle, &QWindow::screenChanged, this, [this] {
        if (m_canvas.HasBackBuffer())
            m_canvas.ResizeBackBuffer(width(), height(), devicePixelRatioF());
    });
}

void CanvasWidget::DeliverMouse(QMouseEvent* event, MessageKind left, MessageKind middle, MessageKind right)
{
    Message message;
    switch (event->button()) {
    case Qt::LeftButton:
        message.kind = left;
        break;
    case Qt::MiddleButton:
        message.kind = middle;
        break;
    case Qt::RightButton:
        message.kind = right;
        break;
    default:
        return;
    }
    message.position = event->position().toPoint();
    FillStates(message, event->modifiers(), event->buttons());
    if (DeliverMessage(message))
        event->accept();
}

void CanvasWidget::mousePressEvent(QMouseEvent* event)
{
    DeliverMouse(event, MessageKind::LButtonDown, MessageKind::MButtonDown, MessageKind::RButtonDown);
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    DeliverMouse(event, MessageKind::LButtonUp, MessageKind::MButtonUp, MessageKind::RButtonUp);
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    DeliverMouse(event, MessageKind::LButtonDblClk, MessageKind::MButtonDown, MessageKind::RButtonDown);
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    Message message;
    message.kind = MessageKind::MouseMove;
    message.position = event->position().toPoint();
    FillStates(message, event->modifiers(), event->buttons());
    DeliverMessage(message);
}

void CanvasWidget::wheelEvent(QWheelEvent* event)
{
    Message message;
    message.kind = MessageKind::MouseWheel;
    message.position = event->position().toPoint();
    message.wheel_delta = event->angleDelta().y();
    FillStates(message, event->modifiers(), event->buttons());
    if (DeliverMessage(message))
        event->accept();
    else
        event->ignore();
}

void CanvasWidget::DeliverKey(QKeyEvent* event, MessageKind kind)
{
    Message message;
    message.kind = kind;
    message.key = KeyFromQt(event->key(), event->modifiers()).value_or(Key::None);
    message.position = mapFromGlobal(QCursor::pos());
    message.auto_repeat = event->isAutoRepeat();
    FillStates(message, event->modifiers(), QGuiApplication::mouseButtons());
    bool consumed = DeliverMessage(message);
    // Typed text follows its key press, as a character message follows a key-down. Ctrl with a
    // letter is a command, not text (Ctrl with Alt is AltGr, which types).
    const QString text = event->text();
    const bool command = event->modifiers().testFlag(Qt::ControlModifier) && !event->modifiers().testFlag(Qt::AltModifier);
    if (kind == MessageKind::KeyDown && !command && !text.isEmpty() && text.at(0).isPrint()) {
        message.kind = MessageKind::Char;
        message.text = text;
        consumed |= DeliverMessage(message);
    }
    if (consumed)
        event->accept();
    else
        event->ignore();
}

void CanvasWidget::keyPressEvent(QKeyEvent* event)
{
    DeliverKey(event, MessageKind::KeyDown);
}

void CanvasWidget::keyReleaseEvent(QKeyEvent* event)
{
    DeliverKey(event, MessageKind::KeyUp);
}

void CanvasWidget::DeliverPlain(MessageKind kind)
{
    Message message;
    message.kind = kind;
    message.position = mapFromGlobal(QCursor::pos());
    FillStates(message, QGuiApplication::keyboardModifiers(), QGuiApplication::mouseButtons());
    DeliverMessage(message);
}

void CanvasWidget::focusInEvent(QFocusEvent*)
{
    DeliverPlain(MessageKind::SetFocus);
}

void CanvasWidget::focusOutEvent(QFocusEvent*)
{
    DeliverPlain(MessageKind::KillFocus);
}

void CanvasWidget::leaveEvent(QEvent*)
{
    DeliverPlain(MessageKind::MouseLeave);
}

std::optional<Key> CanvasWidget::KeyFromQt(int qt_key, Qt::KeyboardModifiers modifiers)
{
    // Letters and digits share their codes with the virtual keys.
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))
        return static_cast<Key>(qt_key);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
        return static_cast<Key>(static_cast<int>(Key::F1) + (qt_key - Qt::Key_F1));
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (qt_key) {
    case Qt::Key_Backspace:
        return Key::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Key::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Return;
    case Qt::Key_Shift:
        return Key::Shift;
    case Qt::Key_Control:
        return Key::Control;
    case Qt::Key_Alt:
        return Key::Menu;
    case Qt::Key_Escape:
        return Key::Escape;
    case Qt::Key_Space:
        return Key::Space;
    case Qt::Key_PageUp:
        return Key::Prior;
    case Qt::Key_PageDown:
        return Key::Next;
    case Qt::Key_End:
        return Key::End;
    case Qt::Key_Home:
        return Key::Home;
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Right:
        return Key::Right;
    case Qt::Key_Down:
        return Key::Down;
    case Qt::Key_Insert:
        return Key::Insert;
    case Qt::Key_Delete:
        return Key::Delete;
    case Qt::Key_Plus:
        return keypad ? Key::Add : Key::Plus;
    case Qt::Key_Semicolon:
        return Key::Plus;
    case Qt::Key_Minus:
        return keypad ? Key::Subtract : Key::Minus;
    case Qt::Key_Equal:
        return Key::Minus;
    default:
        return std::nullopt;
    }
}
