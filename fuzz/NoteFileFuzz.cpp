#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/TextCodec.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any note file content cuts into pages without losing a character, and every page loads onto
// a page canvas and saves again without fault.
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
    // Each cut drops the three characters "\r\n-" between two pages.
    qsizetype length = 3 * (pages.size() - 1);
    for (const QString& page : pages)
        length += page.size();
    if (pages.isEmpty() || length != text.size())
        std::abort();

    for (const QString& page : pages) {
        Canvas canvas { CanvasKind::Page };
        NoteDocument::LoadPageText(canvas, page);
        NoteDocument::PageTextOf(canvas);
    }
    return 0;
}
