#include "items/LayoutResources.h"

#include "items/Canvas.h"
#include "platform/TextCodec.h"
#include "text/SectionDocument.h"

#include <QFile>

namespace {

QString ResourcePath(LayoutResource id)
{
    switch (id) {
    case LayoutResource::Frame:
        return QStringLiteral(":/layouts/frame.txt");
    case LayoutResource::ToolBar:
        return QStringLiteral(":/layouts/toolbar.txt");
    case LayoutResource::PageBar:
        return QStringLiteral(":/layouts/pagebar.txt");
    case LayoutResource::About:
        return QStringLiteral(":/layouts/about.txt");
    case LayoutResource::Publish:
        return QStringLiteral(":/layouts/publish.txt");
    case LayoutResource::TextProperties:
        return QStringLiteral(":/layouts/textproperties.txt");
    case LayoutResource::MandelbrotProperties:
        return QStringLiteral(":/layouts/mandelbrotproperties.txt");
    }
    return {};
}

}

// Outside any namespace: the macro declares the resource's registration function.
static void RegisterLayoutResources()
{
    // The resources are compiled into the core library, which the linker would otherwise
    // leave out of the program because nothing refers to them by name.
    static const bool registered = [] {
        Q_INIT_RESOURCE(mainwindow_layouts);
        return true;
    }();
    (void)registered;
}

QString LoadLayoutText(LayoutResource id)
{
    RegisterLayoutResources();
    QFile file(ResourcePath(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DecodeTextBytes(file.readAll());
}

bool BuildLayout(Canvas& canvas, LayoutResource id, const QString& folder)
{
    SectionDocument document;
    if (!ParseSectionText(LoadLayoutText(id), document))
        return false;
    canvas.SetBaseFolder(folder);
    for (int index = 0; index < document.Count(); ++index)
        canvas.AddFromSection(document.Name(index), document.Store(index));
    return true;
}
