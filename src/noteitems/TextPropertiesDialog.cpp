#include "noteitems/TextPropertiesDialog.h"

#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "noteitems/TextNoteItem.h"
#include "platform/Fonts.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <cmath>

namespace {

const QString kTextKey = QStringLiteral("Text");

// The dialog's two fields for each edge: the letter and the number.
struct SideFields {
    int edge;
    const char* type;
    const char* number;
};

constexpr SideFields kSides[] = {
    { Item::kTop, "TType", "TPos" },
    { Item::kBottom, "BType", "BPos" },
    { Item::kLeft, "LType", "LPos" },
    { Item::kRight, "RType", "RPos" },
};

// The number of an edge as its field shows it: "942" for "942.000000", "12.5%" for
// "12.500000%". A text that is not a number shows as it is.
QString ShownNumber(QString number)
{
    const bool percent = number.endsWith(u'%');
    if (percent)
        number.chop(1);
    bool is_number = false;
    const double value = number.toDouble(&is_number);
    if (!is_number || !std::isfinite(value))
        return number + (percent ? QStringLiteral("%") : QString());
    return FormatShort(value) + (percent ? QStringLiteral("%") : QString());
}

QString Field(const Canvas& canvas, const QString& name, const QString& key = kTextKey)
{
    QString value;
    canvas.GetItemProperty(name, key, value);
    return value;
}

}

TextPropertiesDialog::TextPropertiesDialog(TextNoteItem& item)
    : m_item(item)
{
}

LayoutDialogRequest TextPropertiesDialog::Request()
{
    LayoutDialogRequest request;
    request.layout = LayoutResource::TextProperties;
    request.kind = CanvasKind::PropertyDialog;
    request.caption = TextNoteItem::kPropertiesCaption.toString();
    request.size = kSize;
    request.owner = this;
    // Centred on the item vertically, starting at its middle horizontally.
    const Canvas& page = m_item.GetCanvas();
    if (const CanvasHost* host = page.Host()) {
        const QRectF device = page.ToDevice(m_item.GetBounds());
        const QPoint top_left = host->MapToScreen(device.topLeft().toPoint());
        const QPoint bottom_right = host->MapToScreen(device.bottomRight().toPoint());
        const QPoint centre((top_left.x() + bottom_right.x()) / 2, (top_left.y() + bottom_right.y()) / 2);
        request.position = QPoint(centre.x(), centre.y() - kSize.height() / 2);
    }
    return request;
}

bool TextPropertiesDialog::Run()
{
    // The item is held while its dialog shows: nothing can destroy it under the dialog.
    Canvas::DispatchGuard hold(m_item.GetCanvas());
    const Snapshot before = Take();
    const bool accepted = Dialogs().Run(Request());
    if (accepted) {
        m_item.SendItemEvent(ItemEvent::kChanged);
        m_item.RepaintArea(m_item.GetBounds());
    } else {
        const QRectF bounds = m_item.GetBounds();
        Restore(before);
        m_item.RepaintArea(bounds.united(m_item.GetBounds()));
    }
    return accepted;
}

void TextPropertiesDialog::DialogOpened(Canvas& canvas)
{
    const Text& text = m_item.Widget();
    for (const SideFields& side : kSides) {
        const AnchorParts parts = SplitAnchor(side.edge, m_item.GetAnchors()[size_t(side.edge)]);
        canvas.SetItemProperty(QLatin1String(side.type), kTextKey, parts.letter);
        canvas.SetItemProperty(QLatin1String(side.number), kTextKey, ShownNumber(parts.number));
    }
    canvas.SetItemProperty(QStringLiteral("Text"), kTextKey, text.GetText());
    canvas.SetItemProperty(QStringLiteral("FontName"), QStringLiteral("List"), InstalledFontFamilies());
    canvas.SetItemProperty(QStringLiteral("FontName"), kTextKey, text.FontName());
    canvas.SetItemProperty(QStringLiteral("FontSize"), kTextKey, QString::number(m_item.CurrentFontSize()));
    canvas.SetItemProperty(QStringLiteral("FontColor"), QStringLiteral("FaceColor"), FormatColor(text.Color()));
    canvas.SetItemProperty(QStringLiteral("NoWrap"), QStringLiteral("Pushed"),
        text.NoWrap() ? QStringLiteral("true") : QStringLiteral("false"));
    canvas.SetItemProperty(QStringLiteral("HAlign"), kTextKey, Text::AlignmentLetter(text.HorizontalAlignment(), u'L', u'R'));
    canvas.SetItemProperty(QStringLiteral("VAlign"), kTextKey, Text::AlignmentLetter(text.VerticalAlignment(), u'T', u'B'));
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    canvas.Present(PresentScope::All, UpdateTiming::Later);
}

bool TextPropertiesDialog::DialogEvent(Canvas& canvas, const ItemEvent& event)
{
    if (event.code != ItemEvent::kChanged)
        return false;
    const QString& name = event.text;
    if (name == u"OK")
        return true;
    if (name == u"FontColor")
        return ChooseColor(canvas);
    Text& text = m_item.Widget();
    const QRectF before = m_item.GetBounds();
    if (name == u"NoWrap") {
        text.SetProperty(QStringLiteral("NoWrap"), Field(canvas, name, QStringLiteral("Pushed")));
        TextChanged(before);
        return true;
    }
    if (ApplySide(canvas, name))
        return true;
    if (text.SetProperty(name, Field(canvas, name)))
        TextChanged(before);
    return true;
}

void TextPropertiesDialog::TextChanged(const QRectF& before)
{
    m_item.GrowToText();
    m_item.RepaintArea(before.united(m_item.GetBounds()));
}

bool TextPropertiesDialog::ChooseColor(Canvas& canvas)
{
    Text& text = m_item.Widget();
    const std::optional<quint32> chosen = Prompt().AskColor(text.Color());
    if (!chosen)
        return true;
    const QString colour = FormatColor(0xFF000000u | (*chosen & 0x00FFFFFFu));
    canvas.UpdateItemProperty(QStringLiteral("FontColor"), QStringLiteral("FaceColor"), colour);
    text.SetProperty(QStringLiteral("Color"), colour);
    m_item.RepaintArea(m_item.GetBounds());
    return true;
}

bool TextPropertiesDialog::ApplySide(Canvas& canvas, const QString& name)
{
    for (const SideFields& side : kSides) {
        if (name != QLatin1String(side.type) && name != QLatin1String(side.number))
            continue;
        const QRectF before = m_item.GetBounds();
        const QString anchor = Field(canvas, QLatin1String(side.type)) + Field(canvas, QLatin1String(side.number));
        if (m_item.SetAnchor(side.edge, anchor)) {
            // An edge set by hand: the text no longer sizes itself.
            m_item.SetAutoSize(false);
            m_item.RepaintArea(before.united(m_item.GetBounds()));
        }
        return true;
    }
    return false;
}

TextPropertiesDialog::Snapshot TextPropertiesDialog::Take() const
{
    const Text& text = m_item.Widget();
    return Snapshot { m_item.GetAnchors(), text.GetText(), text.FontName(), text.FontSize(), text.RelativeSize(),
        text.Color(), text.HorizontalAlignment(), text.VerticalAlignment(), text.NoWrap(), m_item.IsAutoSized() };
}

void TextPropertiesDialog::Restore(const Snapshot& snapshot)
{
    for (size_t index = 0; index < snapshot.anchors.size(); ++index)
        m_item.SetAnchor(int(index), snapshot.anchors[index]);
    Text& text = m_item.Widget();
    text.SetText(snapshot.text);
    text.SetFontName(snapshot.font_name);
    if (snapshot.font_size > 0)
        text.SetFontSize(snapshot.font_size);
    else
        text.SetRelativeFontSize(snapshot.relative_size);
    text.SetColor(snapshot.color);
    text.SetAlignment(snapshot.horizontal, snapshot.vertical);
    text.SetNoWrap(snapshot.no_wrap);
    m_item.SetAutoSize(snapshot.auto_size);
}
