#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/TextCodec.h"
#include "text/SectionDocument.h"
#include "text/SectionSources.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any note file content cuts into pages whose saved text opens and saves to the same text; every page loads onto a page canvas, and what it saves loads and saves again to
// the same text. The section sources that keep unknown sections match the parser's sections.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "NoteFileFuzz";
    static char* argv[] = { name, nullptr };
    static const bool ready = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
        ItemFactories::RegisterAll();
        return true;
    }();
    (void)ready;

    const QString text = DecodeTextBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QStringList pages = CutNotePages(text);
    const QString saved = pages.isEmpty() ? QString() : JoinNotePages(pages);
    if (pages.isEmpty() || JoinNotePages(CutNotePages(saved)) != saved)
        std::abort();

    for (const QString& page : pages) {
        SectionDocument document;
        if (ParseSectionText(QStringView(page), document) && SectionSources(page).size() != size_t(document.Count()))
            std::abort();
        Canvas canvas { CanvasKind::Page };
        NoteDocument::LoadPageText(canvas, page);
        const QString saved = NoteDocument::PageTextOf(canvas);
        Canvas again { CanvasKind::Page };
        NoteDocument::LoadPageText(again, saved);
        if (NoteDocument::PageTextOf(again) != saved)
            std::abort();
    }
    return 0;
}
