#include "items/Item.h"

#include "items/Canvas.h"
#include "text/KeyValueStore.h"
#include "text/PositionAnchors.h"
#include "text/ValueForms.h"

#include <algorithm>

namespace {

// Option words are joined by commas in the section's "Option=" line.
void AppendOption(QString& options, const QString& word)
{
    if (!options.isEmpty())
        options += QLatin1Char(',');
    options += word;
}

}

Item::~Item() = default;

bool Item::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Enable"))
        return SetEnabled(value == QLatin1String("true"));
    if (key == QLatin1String("Visible"))
        return SetVisible(value == QLatin1String("true"));
    if (key == QLatin1String("LPos"))
        return SetAnchor(kLeft, value);
    if (key == QLatin1String("TPos"))
        return SetAnchor(kTop, value);
    if (key == QLatin1String("RPos"))
        return SetAnchor(kRight, value);
    if (key == QLatin1String("BPos"))
        return SetAnchor(kBottom, value);
    return false;
}

bool Item::Draw(QPainter&, const QRectF&)
{
    return false;
}

bool Item::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const QString position_key = store.Contains(QStringLiteral("Pos")) ? QStringLiteral("Pos") : QStringLiteral("Position");
    if (store.Contains(position_key)) {
        const int count = std::min(store.GetListCount(position_key), static_cast<int>(m_anchors.size()));
        for (int index = 0; index < count; ++index)
            changed |= SetAnchor(index, store.GetListText(position_key, index));
    }
    if (store.Contains(QStringLiteral("Group")))
        changed |= SetGroups(SplitPlainList(store.GetText(QStringLiteral("Group"))));
    if (store.Contains(QStringLiteral("Option"))) {
        changed |= SetVisible(!store.ListContains(QStringLiteral("Option"), QStringLiteral("Invisible")));
        changed |= SetEnabled(!store.ListContains(QStringLiteral("Option"), QStringLiteral("Disable")));
    }
    if (store.Contains(QStringLiteral("Name")))
        changed |= SetName(store.GetText(QStringLiteral("Name")));
    if (store.Contains(QStringLiteral("Id")))
        changed |= SetId(store.GetText(QStringLiteral("Id")));
    return changed;
}

bool Item::GetProperty(const QString& key, QString& value) const
{
    const auto as_text = [](bool flag) { return flag ? QStringLiteral("true") : QStringLiteral("false"); };
    if (key == QLatin1String("Enable")) {
        value = as_text(m_enabled);
        return true;
    }
    if (key == QLatin1String("Visible")) {
        value = as_text(m_visible);
        return true;
    }
    return false;
}

bool Item::Save(QString& section, QString& options, SaveMode mode) const
{
    if (mode == SaveMode::Persistent)
        return false;
    // The secondary anchors follow when a section gave any, so that they are not lost.
    int count = kSecondary;
    for (int index = kSecondary; index < int(m_anchors.size()); ++index)
        if (!m_anchors[size_t(index)].isEmpty())
            count = index + 1;
    QStringList anchors;
    for (int index = 0; index < count; ++index)
        anchors << m_anchors[size_t(index)];
    section += QStringLiteral("Pos=") + anchors.join(u',') + QStringLiteral("\r\n");
    if (!m_name.isEmpty())
        section += QStringLiteral("Name=") + m_name + QStringLiteral("\r\n");
    if (!m_enabled)
        AppendOption(options, QStringLiteral("Disable"));
    if (!m_visible)
        AppendOption(options, QStringLiteral("Invisible"));
    return true;
}

bool Item::IsOpaque() const
{
    return false;
}

bool Item::HandleMessage(const Message&, QPointF)
{
    return false;
}

bool Item::HitTest(QPointF page_point) const
{
    return GetBounds().contains(page_point);
}

void Item::Synchronise()
{
}

bool Item::AcceptsFocus() const
{
    return false;
}

void Item::TakeFocus()
{
}

void Item::LoseFocus(FocusEnd)
{
}

bool Item::IsKeySource(const Message&) const
{
    return false;
}

bool Item::TypesNewLines() const
{
    return false;
}

Canvas* Item::HostCanvas() const
{
    return nullptr;
}

// An edge anchored to the item's own opposite edge ("W" on the left, "H" on the top) would
// refer to itself; such an edge is 0.
float Item::Left() const
{
    const QString& primary = m_anchors[kLeft];
    const QString& secondary = m_anchors[kLeft + kSecondary];
    if (primary.startsWith(QLatin1Char('W')) || secondary.startsWith(QLatin1Char('W')))
        return 0;
    const float left = ResolveX(primary);
    return secondary.isEmpty() ? left : std::max(left, ResolveX(secondary));
}

float Item::Top() const
{
    const QString& primary = m_anchors[kTop];
    const QString& secondary = m_anchors[kTop + kSecondary];
    if (primary.startsWith(QLatin1Char('H')) || secondary.startsWith(QLatin1Char('H')))
        return 0;
    const float top = ResolveY(primary);
    return secondary.isEmpty() ? top : std::max(top, ResolveY(secondary));
}

float Item::Right() const
{
    const QString& secondary = m_anchors[kRight + kSecondary];
    const float right = ResolveX(m_anchors[kRight]);
    return secondary.isEmpty() ? right : std::max(right, ResolveX(secondary));
}

float Item::Bottom() const
{
    const QString& secondary = m_anchors[kBottom + kSecondary];
    const float bottom = ResolveY(m_anchors[kBottom]);
    return secondary.isEmpty() ? bottom : std::max(bottom, ResolveY(secondary));
}

float Item::Width() const
{
    return Right() - Left();
}

float Item::Height() const
{
    return Bottom() - Top();
}

bool Item::SetName(const QString& name)
{
    if (m_name == name)
        return false;
    m_name = name;
    return true;
}

bool Item::SetId(const QString& id)
{
    if (m_id == id)
        return false;
    m_id = id;
    return true;
}

bool Item::SetGroups(const QStringList& groups)
{
    if (m_groups == groups)
        return false;
    m_groups = groups;
    return true;
}

bool Item::SetAnchor(int index, const QString& anchor)
{
    if (index < 0 || index >= static_cast<int>(m_anchors.size()) || m_anchors[index] == anchor)
        return false;
    m_anchors[index] = anchor;
    return true;
}

bool Item::SetBoundsAsAnchors(const QRectF& bounds)
{
    return ::SetBoundsAsAnchors(m_anchors, bounds);
}

bool Item::ApplyNaturalSize(const QSizeF& image_size)
{
    return ::ApplyNaturalSize(m_anchors, image_size);
}

bool Item::SetVisible(bool visible)
{
    if (m_visible == visible)
        return false;
    m_visible = visible;
    return true;
}

bool Item::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return false;
    m_enabled = enabled;
    return true;
}

bool Item::IsInGroup(const QString& canvas_group) const
{
    return canvas_group.isEmpty() || m_groups.isEmpty() || m_groups.contains(canvas_group);
}

bool Item::IsShownIn(const QString& canvas_group) const
{
    return m_enabled && m_visible && IsInGroup(canvas_group);
}

bool Item::IsShown() const
{
    const Canvas* canvas = HostCanvas();
    return canvas && IsShownIn(canvas->CurrentGroup());
}

QString Item::Key() const
{
    if (!m_id.isEmpty())
        return m_id;
    return QString::asprintf("%p", static_cast<const void*>(this));
}

bool Item::SendItemEvent(int code, const QString& text, const QString& extra)
{
    Canvas* canvas = HostCanvas();
    if (!canvas)
        return false;
    return canvas->TakeItemEvent(ItemEvent { text.isEmpty() ? m_name : text, Key(), code, extra });
}

ItemDescription Item::Describe() const
{
    return {};
}
