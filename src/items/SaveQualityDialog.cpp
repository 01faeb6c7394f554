#include "items/SaveQualityDialog.h"

#include "items/ItemEvent.h"
#include "items/LayoutDialog.h"
#include "text/ValueForms.h"

#include <algorithm>

namespace {

// The dialog's layout lives in the program rather than in a resource.
const QString& QualityLayout()
{
    static const QString text = QStringLiteral(
        "[Brush]\r\n"
        "Pos=L0,T0,R0,B0\r\n"
        "Color=DefaultFaceColor\r\n"
        "\r\n"
        "[Text]\r\n"
        "Pos=L10,T10,R10,H20\r\n"
        "Text=保存パラーメターを設定して下さい。\r\n"
        "\r\n"
        "[Text]\r\n"
        "Pos=L10,T40,R10,H20\r\n"
        "Text=品質\r\n"
        "Align=L,C\r\n"
        "\r\n"
        "[Slider]\r\n"
        "Pos=L50,T40,R60,H20\r\n"
        "Name=EQSlider\r\n"
        "Value=90\r\n"
        "Round=5,5,5,5\r\n"
        "\r\n"
        "[EditableText]\r\n"
        "Pos=R50,T40,R20,H20\r\n"
        "Name=EQEdit\r\n"
        "Text=90\r\n"
        "Align=R,C\r\n"
        "Option=Edge,Number\r\n"
        "\r\n"
        "[Text]\r\n"
        "Pos=R20,T40,R10,H20\r\n"
        "Text=%\r\n"
        "Align=C,C\r\n"
        "\r\n"
        "[Button]\r\n"
        "Pos=C-30%,B30,C0,H20\r\n"
        "Text=OK\r\n"
        "Name=OK\r\n"
        "Round=10,0,10,0\r\n"
        "\r\n"
        "[Button]\r\n"
        "Pos=C0,B30,C30%,H20\r\n"
        "Text=キャンセル\r\n"
        "Name=Cancel\r\n"
        "Round=0,10,0,10\r\n"
        "\r\n");
    return text;
}

// Keeps the slider and the field in step.
class QualityOwner final : public LayoutDialogOwner {
public:
    bool DialogEvent(Canvas& canvas, const ItemEvent& event) override
    {
        if (event.code != ItemEvent::kChanged)
            return false;
        if (event.text == u"EQSlider") {
            float value = 0;
            if (canvas.GetItemPropertyFloat(QStringLiteral("EQSlider"), QStringLiteral("Value"), value))
                canvas.UpdateItemProperty(QStringLiteral("EQEdit"), QStringLiteral("Text"), QString::number(static_cast<int>(value)));
            return true;
        }
        if (event.text == u"EQEdit") {
            QString text;
            canvas.GetItemProperty(QStringLiteral("EQEdit"), QStringLiteral("Text"), text);
            // Text that is no number reads as 0, as every number field does.
            const float value = std::clamp(ToFloat(text), 0.0f, 100.0f);
            canvas.UpdateItemProperty(QStringLiteral("EQSlider"), QStringLiteral("Value"), QString::asprintf("%f", value));
            canvas.UpdateItemProperty(QStringLiteral("EQEdit"), QStringLiteral("Text"), QString::number(static_cast<int>(value)));
            return true;
        }
        return false;
    }
};

}

std::optional<int> AskSaveQuality()
{
    QualityOwner owner;
    int quality = 100;
    LayoutDialogRequest request;
    request.layout_text = QualityLayout();
    request.kind = CanvasKind::QualityDialog;
    request.size = QSize(300, 130);
    request.owner = &owner;
    request.read_results = [&](Canvas& canvas, bool result) {
        int value = 0;
        if (result && canvas.GetItemPropertyInt(QStringLiteral("EQSlider"), QStringLiteral("Value"), value))
            quality = value;
    };
    if (!Dialogs().Run(request))
        return std::nullopt;
    return quality;
}
