#include "noteitems/ItemFactories.h"

#include "noteitems/BackGrid.h"
#include "noteitems/ImageItem.h"
#include "noteitems/MandelbrotItem.h"
#include "noteitems/TextNoteItem.h"
#include "platform/SystemColors.h"
#include "widgets/Brush.h"
#include "widgets/Button.h"
#include "widgets/CheckBox.h"
#include "widgets/Edge.h"
#include "widgets/Edit.h"
#include "widgets/EditableText.h"
#include "widgets/EditableTextWithMenu.h"
#include "widgets/GradationBrush.h"
#include "widgets/Image.h"
#include "widgets/ImageButton.h"
#include "widgets/Knob.h"
#include "widgets/ProgressBar.h"
#include "widgets/RadioButtons.h"
#include "widgets/Slider.h"
#include "widgets/Text.h"

namespace {

template <typename Kind>
std::unique_ptr<Item> Make(Canvas& canvas)
{
    return std::make_unique<Kind>(canvas);
}

std::unique_ptr<Item> MakePageGrid(Canvas& canvas)
{
    auto grid = std::make_unique<BackGrid>(canvas);
    grid->SetColor(SystemColorArgb(SystemColor::ButtonFace));
    grid->SetInterval(1.0f);
    grid->SetRateMode(true);
    return grid;
}

// Note pages and the page frame layout.
constexpr ItemFactories::Entry kPageTable[] = {
    { "BackBrush", &Make<Brush> },
    { "BackGrid", &MakePageGrid },
    { "TSImage", &Make<ImageItem> },
    { "Text", &Make<TextNoteItem> },
    { "Mandelbrot", &Make<MandelbrotItem> },
};

// Tool panels, the about box, the publish dialog and the property dialogs.
constexpr ItemFactories::Entry kWidgetTable[] = {
    { "Brush", &Make<Brush> },
    { "Image", &Make<Image> },
    { "Button", &Make<Button> },
    { "Text", &Make<Text> },
    { "ImageButton", &Make<ImageButton> },
    { "Edit", &Make<Edit> },
    { "EditableText", &Make<EditableText> },
    { "RadioButtons", &Make<RadioButtons> },
    { "Knob", &Make<Knob> },
    { "EditableTextWithMenu", &Make<EditableTextWithMenu> },
    { "Edge", &Make<Edge> },
    { "GradationBrush", &Make<GradationBrush> },
    { "CheckBox", &Make<CheckBox> },
    { "Slider", &Make<Slider> },
    { "ProgressBar", &Make<ProgressBar> },
};

// The image save-quality dialog.
constexpr ItemFactories::Entry kQualityTable[] = {
    { "Brush", &Make<Brush> },
    { "Button", &Make<Button> },
    { "Text", &Make<Text> },
    { "Slider", &Make<Slider> },
    { "EditableText", &Make<EditableText> },
};

constexpr CanvasKind kAllKinds[] = {
    CanvasKind::Page,
    CanvasKind::Panel,
    CanvasKind::Dialog,
    CanvasKind::QualityDialog,
    CanvasKind::PropertyDialog,
};

}

std::span<const ItemFactories::Entry> ItemFactories::Table(CanvasKind kind)
{
    switch (kind) {
    case CanvasKind::Page:
        return kPageTable;
    case CanvasKind::QualityDialog:
        return kQualityTable;
    case CanvasKind::Panel:
    case CanvasKind::Dialog:
    case CanvasKind::PropertyDialog:
        return kWidgetTable;
    }
    return {};
}

std::unique_ptr<Item> ItemFactories::MakeItem(CanvasKind kind, Canvas& canvas, const QString& section_name)
{
    for (const Entry& entry : Table(kind)) {
        if (section_name == QLatin1String(entry.section_name))
            return entry.make ? entry.make(canvas) : nullptr;
    }
    return nullptr;
}

void ItemFactories::RegisterAll()
{
    for (CanvasKind kind : kAllKinds) {
        Canvas::RegisterFactory(kind, [kind](Canvas& canvas, const QString& section_name) {
            return MakeItem(kind, canvas, section_name);
        });
    }
}

bool ItemFactories::AddFromSection(Canvas& canvas, const QString& section_name, const KeyValueStore& store)
{
    static const bool registered = (RegisterAll(), true);
    Q_UNUSED(registered);
    return canvas.AddFromSection(section_name, store);
}
