#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "text/SectionDocument.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

namespace {

QGuiApplication& Application()
{
    static int argc = 1;
    static char name[] = "WidgetLayoutFuzz";
    static char* argv[] = { name, nullptr };
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
    return application;
}

constexpr CanvasKind kKinds[] = { CanvasKind::Panel, CanvasKind::Page, CanvasKind::QualityDialog };

}

// Any layout of decorative widgets and page background items builds and paints without fault,
// at any zoom, and by-name property changes repaint without fault. The first byte picks the
// canvas kind and the zoom; the rest is the layout text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Application();
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    SectionDocument document;
    ParseSectionText(QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)), document);

    Canvas canvas(kKinds[selector % 3]);
    canvas.ResizeBackBuffer(96, 64);
    canvas.SetZoom(0.25f * (1 + (selector >> 2) % 12));
    for (int index = 0; index < document.Count() && index < 32; ++index)
        ItemFactories::AddFromSection(canvas, document.Name(index), document.Store(index));
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    for (const auto& item : canvas.Items()) {
        for (const char* key : { "Color", "Interval", "Text", "FontSize", "OutlineSize", "HAlign" }) {
            QString value;
            item->GetProperty(QString::fromLatin1(key), value);
            canvas.UpdateItemProperty(item->Name(), QString::fromLatin1(key), QStringLiteral("3"));
        }
    }
    canvas.RenderVisibleArea(OpaqueShortcut::Off);
    return 0;
}
