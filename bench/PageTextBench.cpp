#include "document/NoteDocument.h"
#include "platform/Paths.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "text/SectionSources.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

// A page of many text notes and sections of a kind this program does not make, as a note
// from a newer version brings them.
QString PageOf(int sections)
{
    QString page;
    for (int index = 0; index < sections; ++index) {
        if (index % 2 == 0) {
            page += QStringLiteral("[Text]\r\nText=note %1\\r\\nsecond line\r\nFont=12,Sans\r\nColor=0xff000000\r\n"
                                   "Align=C,C\r\nPos=L%2,T%3,L%4,T%5\r\nPos=L%2,T%3,W200,H100\r\nOption=Bold\r\n\r\n")
                        .arg(index)
                        .arg(index % 700)
                        .arg(index % 500)
                        .arg(index % 700 + 200)
                        .arg(index % 500 + 100);
        } else {
            page += QStringLiteral("[Sticker]\r\nShape=star\r\nSize=%1\r\nPos=L%1,T%1,W10,H10\r\n\r\n").arg(index);
        }
    }
    return page;
}

// Loading a page: parsing, the section sources kept for unknown kinds, and the items made.
void LoadPage(benchmark::State& state)
{
    const QString page = PageOf(int(state.range(0)));
    for (auto _ : state) {
        Canvas canvas { CanvasKind::Page };
        NoteDocument::LoadPageText(canvas, page, ProgramFolder());
        benchmark::DoNotOptimize(canvas.ItemCount());
    }
    state.SetBytesProcessed(state.iterations() * page.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(LoadPage)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The share of loading that finding the section sources takes.
void FindSectionSources(benchmark::State& state)
{
    const QString page = PageOf(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SectionSources(page).size());
    state.SetBytesProcessed(state.iterations() * page.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(FindSectionSources)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Saving the page canvas back into page text.
void SavePage(benchmark::State& state)
{
    Canvas canvas { CanvasKind::Page };
    NoteDocument::LoadPageText(canvas, PageOf(int(state.range(0))), ProgramFolder());
    for (auto _ : state)
        benchmark::DoNotOptimize(NoteDocument::PageTextOf(canvas).size());
}
BENCHMARK(SavePage)->Arg(1000)->Unit(benchmark::kMillisecond);

// Cutting a large note file into pages and joining them again.
void CutAndJoin(benchmark::State& state)
{
    QStringList pages;
    for (int index = 0; index < 200; ++index)
        pages << PageOf(50);
    const QString file = JoinNotePages(pages);
    for (auto _ : state)
        benchmark::DoNotOptimize(JoinNotePages(CutNotePages(file)).size());
    state.SetBytesProcessed(state.iterations() * file.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(CutAndJoin)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ItemFactories::RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
