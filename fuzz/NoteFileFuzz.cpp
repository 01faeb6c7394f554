#include "document/NoteDocument.h"
#include "platform/Paths.h"
#include "document/NoteFileReader.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "text/SectionDocument.h"
#include "text/SectionSources.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any file content the reader takes as a note cuts into pages whose lines all end in CR LF and
// whose saved text opens and saves to the same text; every page loads onto a page canvas, and
// what it saves loads and saves again to the same text. The section sources that keep unknown
// sections match the parser's sections.
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

    const NoteFileReader::Result read = NoteFileReader::FromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read.IsRead())
        return 0;
    const QStringList& pages = read.pages;
    for (const QString& page : pages)
        if (page.count(u'\r') != page.count(QStringLiteral("\r\n")) || page.count(u'\n') != page.count(QStringLiteral("\r\n")))
            std::abort();
    const QString saved = pages.isEmpty() ? QString() : JoinNotePages(pages);
    if (pages.isEmpty() || JoinNotePages(CutNotePages(saved)) != saved)
        std::abort();

    for (const QString& page : pages) {
        SectionDocument document;
        if (ParseSectionText(QStringView(page), document) && SectionSources(page).size() != size_t(document.Count()))
            std::abort();
        Canvas canvas { CanvasKind::Page };
        NoteDocument::LoadPageText(canvas, page, ProgramFolder());
        const QString saved = NoteDocument::PageTextOf(canvas);
        Canvas again { CanvasKind::Page };
        NoteDocument::LoadPageText(again, saved, ProgramFolder());
        if (NoteDocument::PageTextOf(again) != saved)
            std::abort();
    }
    return 0;
}
