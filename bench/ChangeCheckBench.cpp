#include "document/NoteDocument.h"
#include "document/Pages.h"
#include "items/Canvas.h"
#include "items/NoteItem.h"
#include "text/KeyValueStore.h"
#include "noteitems/ItemFactories.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The frame of a page without a window.
class BareHost : public PagesHost {
public:
    explicit BareHost(Canvas& canvas)
        : m_canvas(canvas)
    {
    }
    bool ResetPageCanvas(Repaint) override
    {
        m_canvas.Clear();
        // As many items as the window's page frame has.
        for (int index = 0; index < 6; ++index)
            m_canvas.AddFromSection(QStringLiteral("BackBrush"), KeyValueStore());
        return true;
    }
    void RepaintPageCanvas() override { }
    void ShowPageCounter() override { }
    bool IsLocked() const override { return false; }
    void NoteCleared() override { }
    void NoteOpened() override { }

private:
    Canvas& m_canvas;
};

// A page of photographs, texts and Mandelbrot pictures, as many as asked, in a note of its own.
class PageOfItems {
public:
    explicit PageOfItems(int items)
    {
        ItemFactories::RegisterAll();
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkGreen);
        photo.save(m_folder.filePath(QStringLiteral("photo.png")));
        NoteSnapshot note;
        QString page;
        for (int item = 0; item < items; ++item) {
            const QString pos = QStringLiteral("Pos=L%1.5,T%2.25,W160,H120\r\n\r\n").arg(item % 40 * 10).arg(item / 40 * 10);
            switch (item % 10) {
            case 8:
                page += QStringLiteral("[Text]\r\nText=旅行 %1\r\nFont=20,Sans\r\n").arg(item) + pos;
                break;
            case 9:
                page += QStringLiteral("[Mandelbrot]\r\nZoomRate=1\r\n") + pos;
                break;
            default:
                page += QStringLiteral("[TSImage]\r\nFileName=") + m_folder.filePath(QStringLiteral("photo.png"))
                    + QStringLiteral(",0,0,0,0\r\nRotate=0\r\n") + pos;
            }
        }
        note.pages = QStringList { page };
        m_pages.Restore(note);
    }
    Pages& GetPages() { return m_pages; }
    Canvas& GetCanvas() { return m_canvas; }

private:
    QTemporaryDir m_folder;
    Canvas m_canvas { CanvasKind::Page };
    BareHost m_host { m_canvas };
    Pages m_pages { m_canvas, m_host };
};

// What the window pays after every message, key and idle period when nothing changed: the
// page written as text and compared with the stored one.
void ChangeCheckWithoutChange(benchmark::State& state)
{
    PageOfItems page(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(page.GetPages().RecordChanges());
    state.counters["page_bytes"] = double(page.GetPages().List().at(0).size() * 2);
}
BENCHMARK(ChangeCheckWithoutChange)->Arg(20)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same with one item moved each time: the step recorded and the modified state derived.
void ChangeCheckWithAMove(benchmark::State& state)
{
    PageOfItems page(int(state.range(0)));
    Item* moved = NoteItemsOf(page.GetCanvas()).at(0);
    int step = 0;
    for (auto _ : state) {
        moved->SetAnchor(Item::kLeft, QStringLiteral("L%1").arg(++step % 100));
        benchmark::DoNotOptimize(page.GetPages().RecordChanges());
    }
}
BENCHMARK(ChangeCheckWithAMove)->Arg(20)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
