#include "app/AccessibleCanvas.h"

#include "app/CanvasWidget.h"
#include "app/WidgetNames.h"
#include "items/Canvas.h"
#include "items/Item.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QMouseEvent>
#include <QPointer>

#include <iterator>
#include <unordered_map>

namespace {

QAccessible::Role RoleOf(ItemDescription::Role role)
{
    // In the order of ItemDescription::Role.
    static constexpr QAccessible::Role kRoles[] = {
        QAccessible::NoRole, QAccessible::Button, QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::StaticText, QAccessible::EditableText, QAccessible::Slider, QAccessible::Dial,
        QAccessible::ProgressBar, QAccessible::Graphic,
    };
    static_assert(std::size(kRoles) == std::size_t(ItemDescription::Role::Picture) + 1);
    return kRoles[std::size_t(role)];
}

// Shown on the screen: a disabled item is shown too (greyed), and a reader is told so.
bool OnScreen(const Item& item)
{
    const Canvas* canvas = item.HostCanvas();
    return canvas && item.IsVisible() && item.IsInGroup(canvas->CurrentGroup());
}

bool Exposed(const Item& item)
{
    return OnScreen(item) && item.Describe().role != ItemDescription::Role::None;
}

// The text of the nearest label on the left of a field, on the same row, as a dialog puts a
// field's caption; the fields of a row after the first take the row's label too.
QString LabelOf(const Canvas& canvas, const Item& field)
{
    const QRectF bounds = field.GetBounds();
    const Item* label = nullptr;
    qreal best_gap = 0;
    for (const auto& item : canvas.Items()) {
        if (item.get() == &field || !OnScreen(*item))
            continue;
        const ItemDescription description = item->Describe();
        if (description.role != ItemDescription::Role::StaticText || description.name.trimmed().isEmpty())
            continue;
        const QRectF other = item->GetBounds();
        const qreal gap = bounds.left() - other.right();
        const bool same_row = other.center().y() >= bounds.top() && other.center().y() <= bounds.bottom();
        if (same_row && gap >= -1 && (!label || gap < best_gap)) {
            label = item.get();
            best_gap = gap;
        }
    }
    return label ? label->Describe().name : QString();
}

// One item of a canvas window. It holds the item by address and checks at every question that
// the canvas still has it, since items come and go with pages and undo.
class AccessibleItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleItem(CanvasWidget* widget, const Item* item)
        : m_widget(widget)
        , m_item(item)
    {
    }

    bool isValid() const override { return m_widget && m_widget->GetCanvas().IndexOf(m_item) >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_widget ? m_widget->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_widget.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        const ItemDescription description = m_item->Describe();
        switch (kind) {
        case QAccessible::Name: {
            // Items that show no text of their own (a bar's picture button, a dial) say their
            // widget name, which the window may put better.
            const bool bare = description.name.isEmpty() || description.name == m_item->Name();
            if (!bare)
                return description.name;
            QString better = AccessibleCanvas::NameOf(m_item->Name());
            if (better.isEmpty())
                better = LabelOf(m_widget->GetCanvas(), *m_item);
            return better.isEmpty() ? description.name : better;
        }
        case QAccessible::Value:
            return description.value;
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override { }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        // The canvas places items in the window's own coordinates, whatever the pixel ratio.
        const QRect local = m_widget->GetCanvas().ToDevice(m_item->GetBounds()).toAlignedRect();
        return QRect(m_widget->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override { return isValid() ? RoleOf(m_item->Describe().role) : QAccessible::NoRole; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const ItemDescription description = m_item->Describe();
        state.disabled = !m_item->IsEnabled();
        state.invisible = !OnScreen(*m_item);
        state.focusable = m_item->AcceptsFocus();
        // The item that takes the window's keys, also while its edit window has the focus.
        const QWidget* focus = QApplication::focusWidget();
        state.focused = m_item->AcceptsFocus() && m_widget->GetCanvas().ActiveItem() == m_item
            && (focus == m_widget || (focus && m_widget->isAncestorOf(focus)));
        state.checkable = description.checkable;
        state.checked = description.checked;
        state.passwordEdit = description.password;
        state.editable = description.role == ItemDescription::Role::EditableText;
        state.readOnly = description.role == ItemDescription::Role::StaticText;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface && Pressable() ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!Pressable())
            return {};
        return { m_item->Describe().checkable ? toggleAction() : pressAction() };
    }

    void doAction(const QString& name) override
    {
        if (!Pressable() || !actionNames().contains(name) || !m_item->IsEnabled())
            return;
        // Pressed as the mouse presses it, so that the item and the window do exactly what a
        // click does.
        const QPointF local = m_widget->GetCanvas().ToDevice(m_item->GetBounds()).center();
        const QPointF global = m_widget->mapToGlobal(local);
        // The pointer comes over the item first, as it does before a click.
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_widget.data(), &move);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_widget.data(), &press);
        if (!m_widget)
            return;
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_widget.data(), &release);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    bool Pressable() const
    {
        if (!isValid())
            return false;
        const ItemDescription::Role role = m_item->Describe().role;
        return role == ItemDescription::Role::Button || role == ItemDescription::Role::CheckBox
            || role == ItemDescription::Role::RadioButton;
    }

    QPointer<CanvasWidget> m_widget;
    const Item* m_item;
};

// A canvas window: a pane (or the dialog it fills) whose children are its exposed items, in
// the canvas's order.
class AccessibleCanvasWidget final : public QAccessibleWidget {
public:
    explicit AccessibleCanvasWidget(CanvasWidget* widget)
        : QAccessibleWidget(widget, widget->isWindow() ? QAccessible::Dialog : QAccessible::Pane)
    {
    }

    ~AccessibleCanvasWidget() override
    {
        for (const auto& [item, id] : m_children)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text kind) const override
    {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty())
            text = AccessibleCanvas::NameOf(widget()->objectName());
        return text;
    }

    // The exposed items, then the native windows some items open (edit boxes), which Qt
    // describes itself.
    int childCount() const override { return int(ExposedItems().size() + NativeChildren().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const std::vector<const Item*> items = ExposedItems();
        if (index >= 0 && index < int(items.size()))
            return InterfaceOf(items[std::size_t(index)]);
        const QList<QWidget*> natives = NativeChildren();
        const int native = index - int(items.size());
        if (native < 0 || native >= natives.size())
            return nullptr;
        QWidget* edit = natives[native];
        // An edit window is named like the item it edits, the one it lies on.
        if (edit->accessibleName().isEmpty()) {
            for (auto item = items.rbegin(); item != items.rend(); ++item) {
                if (Widget()->GetCanvas().ToDevice((*item)->GetBounds()).contains(edit->geometry().center())) {
                    edit->setAccessibleName(InterfaceOf(*item)->text(QAccessible::Name));
                    break;
                }
            }
        }
        return QAccessible::queryAccessibleInterface(edit);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        const std::vector<const Item*> items = ExposedItems();
        if (auto* widget = qobject_cast<QWidget*>(child->object())) {
            const int native = int(NativeChildren().indexOf(widget));
            return native < 0 ? -1 : int(items.size()) + native;
        }
        for (std::size_t index = 0; index < items.size(); ++index)
            if (InterfaceOf(items[index]) == child)
                return int(index);
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        // The topmost item under the point: the canvas draws later items over earlier ones.
        const std::vector<const Item*> items = ExposedItems();
        for (auto item = items.rbegin(); item != items.rend(); ++item) {
            QAccessibleInterface* child = InterfaceOf(*item);
            if (child->rect().contains(x, y))
                return child;
        }
        return nullptr;
    }

    // The interface of one of the window's items; null for an item not shown to assistive
    // technology.
    QAccessibleInterface* ChildFor(const Item* item) const
    {
        return item && Widget()->GetCanvas().IndexOf(item) >= 0 && Exposed(*item) ? InterfaceOf(item) : nullptr;
    }

private:
    CanvasWidget* Widget() const { return static_cast<CanvasWidget*>(widget()); }

    QList<QWidget*> NativeChildren() const
    {
        QList<QWidget*> shown;
        for (QWidget* child : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible() && !child->isWindow())
                shown << child;
        return shown;
    }

    std::vector<const Item*> ExposedItems() const
    {
        std::vector<const Item*> items;
        for (const auto& item : Widget()->GetCanvas().Items())
            if (Exposed(*item))
                items.push_back(item.get());
        return items;
    }

    QAccessibleInterface* InterfaceOf(const Item* item) const
    {
        // Interfaces of items the canvas no longer has are let go as they are met.
        for (auto entry = m_children.begin(); entry != m_children.end();) {
            if (Widget()->GetCanvas().IndexOf(entry->first) < 0) {
                QAccessible::deleteAccessibleInterface(entry->second);
                entry = m_children.erase(entry);
            } else {
                ++entry;
            }
        }
        const auto found = m_children.find(item);
        if (found != m_children.end())
            return QAccessible::accessibleInterface(found->second);
        auto* made = new AccessibleItem(Widget(), item);
        m_children.emplace(item, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    mutable std::unordered_map<const Item*, QAccessible::Id> m_children;
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* widget = qobject_cast<CanvasWidget*>(object))
        return new AccessibleCanvasWidget(widget);
    return nullptr;
}

}

void AccessibleCanvas::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void AccessibleCanvas::AnnounceFocus(CanvasWidget& widget, const Item* item)
{
    // Focus moves are rare; the event goes out whether or not a reader listens (Qt drops it).
    auto* pane = dynamic_cast<AccessibleCanvasWidget*>(QAccessible::queryAccessibleInterface(&widget));
    QAccessibleInterface* focused = pane ? pane->ChildFor(item) : nullptr;
    QAccessibleEvent event(focused ? focused : pane, QAccessible::Focus);
    if (event.accessibleInterface())
        QAccessible::updateAccessibility(&event);
}

QString AccessibleCanvas::NameOf(const QString& name)
{
    // The windows' canvases and the bars' widgets that show a picture or a bare number.
    static const QHash<QString, QString> names {
        { QStringLiteral("ToolBar"), QStringLiteral("ツールバー") },
        { QStringLiteral("PageBar"), QStringLiteral("ページバー") },
        { QStringLiteral("PageCanvas"), QStringLiteral("ページ") },
        { BarName::kAbout, QStringLiteral("バージョン情報の表示") },
        { BarName::kClearPage, QStringLiteral("ページ内容を消去") },
        { BarName::kClearNote, QStringLiteral("新規ノート") },
        { BarName::kOpenNote, QStringLiteral("ノートを開く") },
        { BarName::kOpenImage, QStringLiteral("画像を開く") },
        { BarName::kSaveNote, QStringLiteral("ノートを保存") },
        { BarName::kSavePage, QStringLiteral("画像保存") },
        { BarName::kUndoNote, QStringLiteral("元に戻す") },
        { BarName::kRedoNote, QStringLiteral("やり直し") },
        { BarName::kPrevPage, QStringLiteral("前のページ") },
        { BarName::kNextPage, QStringLiteral("次のページ") },
        { BarName::kTopPage, QStringLiteral("最初のページ") },
        { BarName::kEndPage, QStringLiteral("最後のページ") },
        { BarName::kLockPage, QStringLiteral("ロック") },
        { BarName::kProgressBar, QStringLiteral("進行状況") },
        { BarName::kBackColor, QStringLiteral("背景の色") },
        { BarName::kFrameColor, QStringLiteral("グリッドの色") },
        { BarName::kGridSize, QStringLiteral("グリッドの間隔") },
        { BarName::kViewerWidth, QStringLiteral("ページの幅") },
        { BarName::kViewerHeight, QStringLiteral("ページの高さ") },
        { BarName::kZoom, QStringLiteral("表示倍率") },
        { BarName::kDpi, QStringLiteral("解像度 (DPI)") },
        { BarName::kThisPage, QStringLiteral("現在のページ") },
        { BarName::kMaxPage, QStringLiteral("ページ数") },
        { BarName::kStatus, QStringLiteral("状態") },
    };
    return names.value(name);
}
