#include "widgets/CheckBox.h"

#include "platform/Fonts.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"
#include "widgets/Edge.h"
#include "widgets/Placement.h"

#include <QPainter>

namespace {

constexpr quint32 kBoxColor = 0xffffffff;
constexpr quint32 kPressedBoxColor = 0xffc0c0c0;
constexpr quint32 kMarkColor = 0xff000000;
constexpr int kMarkPoints = 12;

}

CheckBox::CheckBox(Canvas& canvas, Hosting hosting)
    : ButtonBase(canvas, hosting)
    , m_caption(canvas)
{
    SetCheckButton(true);
}

bool CheckBox::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("Text")))
        changed |= m_caption.ReadSection(store);
    if (store.Contains(QStringLiteral("TextColor")))
        changed |= Assign(m_text_color, store.GetColor(QStringLiteral("TextColor")));
    if (store.Contains(QStringLiteral("Font")))
        changed |= m_caption.ReadSection(store);
    changed |= ButtonBase::ReadSection(store);
    return changed;
}

bool CheckBox::Draw(QPainter& painter, const QRectF& clip)
{
    const State state = CurrentState();
    const QRectF bounds = GetBounds();
    const qreal left = bounds.left();
    const qreal top = bounds.top();
    const quint32 shadow = SystemColorArgb(SystemColor::ButtonShadow);

    painter.fillRect(QRectF(left + 1, top + 1, 13, 13), QColor::fromRgba(IsPressed() ? kPressedBoxColor : kBoxColor));

    // The mark is not greyed when the box is disabled.
    if (IsPushed()) {
        Text mark(GetCanvas());
        mark.SetText(MapSymbolGlyph(QLatin1Char('a')));
        mark.SetFontName(IconFontFace());
        mark.SetFontSize(kMarkPoints);
        mark.SetColor(kMarkColor);
        mark.SetAlignment(Alignment::Centre, Alignment::Centre);
        mark.SetNoWrap(true);
        PlaceItem(mark, QRectF(left + 2, top + 1, 12, 12));
        mark.Draw(painter, clip);
    }

    Edge frame(GetCanvas());
    PlaceItem(frame, QRectF(left, top, 14, 14));
    frame.SetPenWidth(2);
    frame.SetAllColors(state == State::Disabled ? shadow : 0xff000000);
    frame.Draw(painter, clip);

    PlaceItem(m_caption, QRectF(left + 17, top, bounds.width() - 17, bounds.height()));
    m_caption.SetColor(state == State::Disabled ? shadow : m_text_color);
    m_caption.SetAlignment(Alignment::Near, Alignment::Near);
    m_caption.Draw(painter, clip);
    return true;
}

ItemDescription CheckBox::Describe() const
{
    ItemDescription description { ItemDescription::Role::CheckBox, m_caption.GetText() };
    description.checkable = true;
    description.checked = IsPushed();
    return description;
}
