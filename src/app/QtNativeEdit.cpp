#include "app/QtNativeEdit.h"

#include "app/CanvasWidget.h"
#include "items/Canvas.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace {

// Keys reach the items once, through the event filter; what the edit control itself does not
// use goes no further, as a key typed into an edit window never reaches its parent.
template <typename EditBase>
class KeyKeepingEdit : public EditBase {
public:
    using EditBase::EditBase;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        EditBase::keyPressEvent(event);
        event->accept();
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        EditBase::keyReleaseEvent(event);
        event->accept();
    }
};

using LineEdit = KeyKeepingEdit<QLineEdit>;
using PlainTextEdit = KeyKeepingEdit<QPlainTextEdit>;

// The multi-line window holds LF line ends; the items see CR LF, so a position counts every
// line end as two characters.
QString ToCrLf(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return result;
}

QString FromCrLf(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

int CrLfPositionOf(const QString& lf_text, int position)
{
    const int limited = qBound(0, position, int(lf_text.size()));
    return limited + int(QStringView(lf_text).left(limited).count(QLatin1Char('\n')));
}

int LfPositionOf(const QString& lf_text, int crlf_position)
{
    int crlf = 0;
    for (int i = 0; i < lf_text.size(); ++i) {
        const int width = lf_text.at(i) == QLatin1Char('\n') ? 2 : 1;
        if (crlf + width > crlf_position)
            return i;
        crlf += width;
    }
    return int(lf_text.size());
}

}

QtNativeEdit::QtNativeEdit(QWidget* parent, const Style& style, Listener& listener)
    : m_listener(&listener)
{
    const Qt::Alignment horizontal = style.alignment == 1 ? Qt::AlignHCenter
        : style.alignment == 2                          ? Qt::AlignRight
                                                        : Qt::AlignLeft;
    if (style.multi_line) {
        m_plain = new PlainTextEdit(parent);
        // Lines scroll sideways instead of wrapping, as the window always scrolls horizontally.
        m_plain->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_plain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_plain->setVerticalScrollBarPolicy(style.vertical_scroll_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        m_plain->setReadOnly(style.read_only);
        if (!style.client_edge)
            m_plain->setFrameShape(QFrame::NoFrame);
        QTextOption option = m_plain->document()->defaultTextOption();
        option.setAlignment(horizontal);
        m_plain->document()->setDefaultTextOption(option);
        m_plain->installEventFilter(this);
        connect(m_plain, &QPlainTextEdit::textChanged, this, &QtNativeEdit::TextChanged);
        m_widget = m_plain;
    } else {
        m_line = new LineEdit(parent);
        m_line->setFrame(style.client_edge);
        m_line->setAlignment(horizontal | Qt::AlignVCenter);
        m_line->setReadOnly(style.read_only);
        if (style.password)
            m_line->setEchoMode(QLineEdit::Password);
        m_line->installEventFilter(this);
        connect(m_line, &QLineEdit::textChanged, this, &QtNativeEdit::TextChanged);
        m_widget = m_line;
    }
    connect(m_widget, &QObject::destroyed, this, &QtNativeEdit::WidgetDestroyed);
    m_widget->show();
}

QtNativeEdit::~QtNativeEdit()
{
    if (!m_widget)
        return;
    // The window may be handling one of its own events right now (the loss of focus that
    // ended editing): hide it at once and delete it when control returns to the loop.
    disconnect(m_widget, nullptr, this, nullptr);
    m_widget->removeEventFilter(this);
    QWidget* parent = m_widget->parentWidget();
    const bool had_focus = m_widget->hasFocus();
    m_widget->hide();
    if (had_focus && parent)
        parent->setFocus(Qt::OtherFocusReason);
    m_widget->deleteLater();
}

QWidget* QtNativeEdit::Widget() const
{
    return m_widget;
}

QString QtNativeEdit::Text() const
{
    if (!m_widget)
        return m_last_text;
    return m_plain ? ToCrLf(m_plain->toPlainText()) : m_line->text();
}

void QtNativeEdit::SetText(const QString& text)
{
    if (!m_widget)
        return;
    if (m_plain)
        m_plain->setPlainText(FromCrLf(text));
    else
        m_line->setText(text);
}

void QtNativeEdit::SetFont(const QFont& font)
{
    if (m_widget)
        m_widget->setFont(font);
}

QRect QtNativeEdit::Geometry() const
{
    return m_widget ? m_widget->geometry() : QRect();
}

void QtNativeEdit::SetGeometry(const QRect& rect)
{
    if (m_widget)
        m_widget->setGeometry(rect);
}

void QtNativeEdit::Focus()
{
    if (m_widget)
        m_widget->setFocus(Qt::OtherFocusReason);
}

void QtNativeEdit::Select(int start, int end)
{
    if (m_line) {
        const int length = int(m_line->text().size());
        if (start < 0) {
            m_line->deselect();
            return;
        }
        const int last = end < 0 ? length : qMin(end, length);
        const int first = qMin(start, length);
        m_line->setSelection(first, last - first);
        return;
    }
    if (!m_plain)
        return;
    const QString lf_text = m_plain->toPlainText();
    QTextCursor cursor = m_plain->textCursor();
    if (start < 0) {
        cursor.clearSelection();
    } else {
        cursor.setPosition(LfPositionOf(lf_text, start));
        cursor.setPosition(end < 0 ? int(lf_text.size()) : LfPositionOf(lf_text, end), QTextCursor::KeepAnchor);
    }
    m_plain->setTextCursor(cursor);
    m_plain->ensureCursorVisible();
}

std::pair<int, int> QtNativeEdit::Selection() const
{
    if (m_line) {
        if (!m_line->hasSelectedText())
            return { m_line->cursorPosition(), m_line->cursorPosition() };
        const int start = m_line->selectionStart();
        return { start, start + int(m_line->selectedText().size()) };
    }
    if (!m_plain)
        return { 0, 0 };
    const QString lf_text = m_plain->toPlainText();
    const QTextCursor cursor = m_plain->textCursor();
    return { CrLfPositionOf(lf_text, cursor.selectionStart()), CrLfPositionOf(lf_text, cursor.selectionEnd()) };
}

void QtNativeEdit::ScrollToLastLine()
{
    if (m_plain)
        m_plain->verticalScrollBar()->setValue(m_plain->verticalScrollBar()->maximum());
}

void QtNativeEdit::ClickAt(QPoint client_point)
{
    if (!m_widget)
        return;
    QWidget* parent = m_widget->parentWidget();
    const QPoint local = parent ? m_widget->mapFrom(parent, client_point) : client_point;
    if (m_line) {
        m_line->deselect();
        m_line->setCursorPosition(m_line->cursorPositionAt(local));
        return;
    }
    const QPoint in_viewport = m_plain->viewport()->mapFrom(m_plain, local);
    m_plain->setTextCursor(m_plain->cursorForPosition(in_viewport));
}

// Whether the edit keeps a key that is also a key of the window: its typing and editing
// keys do, and Ctrl with the arrows, Z, Y or V. Tab, Escape, the function keys and the other
// Ctrl keys are the window's.
bool QtNativeEdit::KeepsKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape || (key >= Qt::Key_F1 && key <= Qt::Key_F35))
        return false;
    if (!event.modifiers().testFlag(Qt::ControlModifier))
        return true;
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Z || key == Qt::Key_Y || key == Qt::Key_V;
}

bool QtNativeEdit::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // An accepted override keeps the key from the window's shortcuts; an ignored one leaves
        // it to them, and to the edit when no shortcut takes it.
        event->setAccepted(KeepsKey(*static_cast<QKeyEvent*>(event)));
        return true;
    case QEvent::KeyPress:
        return Route(MessageKind::KeyDown, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        return Route(MessageKind::KeyUp, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        if (watched == m_widget)
            Route(MessageKind::SetFocus, nullptr);
        return false;
    case QEvent::FocusOut:
        // A popup menu opened over the window does not take the keyboard focus from it.
        if (watched != m_widget || static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
            return false;
        return Route(MessageKind::KillFocus, nullptr);
    default:
        return false;
    }
}

bool QtNativeEdit::Route(MessageKind kind, const QKeyEvent* key_event)
{
    Message message;
    message.kind = kind;
    message.source = static_cast<const NativeEdit*>(this);
    if (m_widget && m_widget->parentWidget())
        message.position = m_widget->parentWidget()->mapFromGlobal(QCursor::pos());
    if (key_event) {
        message.key = CanvasWidget::KeyFromQt(key_event->key(), key_event->modifiers()).value_or(Key::None);
        message.ctrl = key_event->modifiers().testFlag(Qt::ControlModifier);
        message.shift = key_event->modifiers().testFlag(Qt::ShiftModifier);
        message.auto_repeat = key_event->isAutoRepeat();
        message.text = key_event->text();
    }
    // The listener may destroy this object; nothing here is touched afterwards.
    return m_listener->RouteNativeMessage(message);
}

void QtNativeEdit::TextChanged()
{
    m_last_text = Text();
    Message message;
    message.kind = MessageKind::EditChanged;
    message.source = static_cast<const NativeEdit*>(this);
    m_listener->RouteNativeMessage(message);
}

void QtNativeEdit::WidgetDestroyed()
{
    m_widget = nullptr;
    m_line = nullptr;
    m_plain = nullptr;
    const QString text = m_last_text;
    m_listener->NativeEditDestroyed(text);
}

void QtNativeEdit::Install()
{
    NativeEdit::SetFactory([](Canvas& canvas, const Style& style, Listener& listener) -> std::unique_ptr<NativeEdit> {
        CanvasHost* host = canvas.Host();
        QWidget* parent = host ? qobject_cast<QWidget*>(host->NativeParent()) : nullptr;
        if (!parent)
            return nullptr;
        return std::make_unique<QtNativeEdit>(parent, style, listener);
    });
}
