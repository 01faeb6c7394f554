#include "widgets/Button.h"

#include "platform/Fonts.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "text/ListTokenizer.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"
#include "widgets/Placement.h"

#include <QPainter>
#include <QPainterPath>

namespace {

quint32 FaceColorOf(const QString& field)
{
    if (field == QLatin1String("DefaultFaceColor"))
        return SystemColorArgb(SystemColor::ButtonFace);
    return ScanColor(field);
}

}

Button::Button(Canvas& canvas, Hosting hosting)
    : ButtonBase(canvas, hosting)
    , m_caption(canvas)
    , m_bevel(canvas)
{
}

bool Button::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("Text")))
        changed |= m_caption.SetText(store.GetText(QStringLiteral("Text"), {}, Escape::Unescape));
    if (store.Contains(QStringLiteral("TextColor")))
        changed |= Assign(m_text_color, store.GetColor(QStringLiteral("TextColor")));
    if (store.Contains(QStringLiteral("FaceColor")))
        changed |= SetFaceColors(store.GetText(QStringLiteral("FaceColor")));
    if (store.Contains(QStringLiteral("Font"))) {
        const int size = store.GetListInt(QStringLiteral("Font"), 0, 10);
        if (size > 0)
            changed |= m_caption.SetFontSize(size);
        changed |= m_caption.SetFontName(store.GetListText(QStringLiteral("Font"), 1, IconFontFace()));
    }
    if (store.Contains(QStringLiteral("Outline"))) {
        const int size = store.GetListInt(QStringLiteral("Outline"), 0, 0);
        const quint32 color = store.GetListCount(QStringLiteral("Outline")) > 1
            ? ScanColor(store.GetListText(QStringLiteral("Outline"), 1))
            : 0xffffffff;
        changed |= m_caption.SetOutline(size >= 0 ? size : m_caption.OutlineSize(), color);
    }
    // The bevel's colours are replaced at every draw; its shape and width come from here.
    if (store.Contains(QStringLiteral("Round")))
        changed |= m_bevel.ReadSection(store);
    if (store.Contains(QStringLiteral("Option")))
        changed |= SetBevelOption(store.ListContains(QStringLiteral("Option"), QStringLiteral("Edge")));
    changed |= ButtonBase::ReadSection(store);
    return changed;
}

bool Button::SetFaceColors(const QString& list)
{
    // The list is parsed again only when its text differs from the last one parsed.
    if (list == m_face_color_text && !m_face_colors.empty())
        return false;
    m_face_color_text = list;
    std::vector<quint32> colors;
    const ListTokenizer fields(list);
    for (const QString& field : fields.Row(0))
        colors.push_back(::FaceColorOf(field));
    if (colors.empty())
        colors.push_back(0);
    return Assign(m_face_colors, std::move(colors));
}

bool Button::SetBevelOption(bool bevel)
{
    return Assign(m_bevel_option, bevel);
}

bool Button::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("FaceColor"))
        return SetFaceColors(value);
    if (key == QLatin1String("TextColor"))
        return Assign(m_text_color, ScanColor(value));
    if (key == QLatin1String("Text"))
        return m_caption.SetText(value);
    return ButtonBase::SetProperty(key, value);
}

bool Button::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("FaceColor")) {
        value = FormatColor(m_face_colors.empty() ? 0 : m_face_colors.front());
        return true;
    }
    return ButtonBase::GetProperty(key, value);
}

// Normal takes the first colour; pushed the second and hover the third when the list has
// them, else the first; a disabled button has no face.
quint32 Button::FaceColorOf(State state) const
{
    const size_t count = m_face_colors.size();
    switch (state) {
    case State::Normal:
        return count > 0 ? m_face_colors[0] : 0;
    case State::Pushed:
        return count >= 2 ? m_face_colors[1] : count > 0 ? m_face_colors[0] : 0;
    case State::Hover:
        return count >= 3 ? m_face_colors[2] : count > 0 ? m_face_colors[0] : 0;
    case State::Disabled:
        return 0;
    }
    return 0;
}

bool Button::Draw(QPainter& painter, const QRectF& clip)
{
    const State state = CurrentState();
    QRectF bounds = GetBounds();
    PlaceItem(m_bevel, bounds);
    const quint32 face = FaceColorOf(state);
    if (qAlpha(face) > 0)
        DrawFace(painter, bounds, face);

    quint32 caption_color = m_text_color;
    switch (state) {
    case State::Normal:
        if (m_bevel_option)
            m_bevel.SetStyle(Edge::Style::Raised);
        break;
    case State::Pushed:
        m_bevel.SetStyle(Edge::Style::Sunken);
        bounds.translate(1, 1);
        break;
    case State::Hover:
        m_bevel.SetStyle(Edge::Style::Raised);
        break;
    case State::Disabled:
        if (m_bevel_option)
            m_bevel.SetStyle(Edge::Style::Dark);
        caption_color = SystemColorArgb(SystemColor::ButtonShadow);
        break;
    }
    const bool bevel_shown = m_bevel_option || state == State::Pushed || state == State::Hover;
    if (bevel_shown)
        m_bevel.Draw(painter, clip);

    PlaceItem(m_caption, bounds);
    m_caption.SetAlignment(Alignment::Centre, Alignment::Centre);
    m_caption.SetColor(caption_color);
    m_caption.Draw(painter, clip);
    return true;
}

// The face is clipped to the bevel's shape, so it is rounded with it.
void Button::DrawFace(QPainter& painter, const QRectF& bounds, quint32 color)
{
    QPainterPath shape;
    m_bevel.AddShapePath(shape);
    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.fillRect(bounds, QColor::fromRgba(color));
    painter.restore();
}

ItemDescription Button::Describe() const
{
    ItemDescription description = ButtonBase::Describe();
    if (!m_caption.GetText().isEmpty())
        description.name = m_caption.GetText();
    return description;
}
