#include "app/NoteRecovery.h"
#include "document/NoteDocument.h"
#include "document/RecoveryFile.h"
#include "items/Canvas.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPages = 50;
constexpr int kItemsPerPage = 20; // 1,000 items in all

QString PageText(int page, int generation)
{
    QString text;
    for (int item = 0; item < kItemsPerPage; ++item) {
        text += QStringLiteral("[TSImage]\r\nFileName=/home/user/photos/%1/img_%2.jpg,0.000000,0.000000,0.000000,0.000000\r\n")
                    .arg(page)
                    .arg(item, 4, 10, QLatin1Char('0'));
        text += QStringLiteral("FolderPath=/home/user/photos/%1/\r\nRotate=0\r\n").arg(page);
        text += QStringLiteral("Pos=L%1.000000,T%2.000000,W400.000000,H300.000000\r\n\r\n").arg(12 + item * 7 + generation).arg(30 + item * 5);
    }
    return text;
}

// Every page in one of two versions.
QStringList Versions(int generation)
{
    QStringList pages;
    for (int page = 0; page < kPages; ++page)
        pages << PageText(page, generation);
    return pages;
}

NoteSnapshot LargeNote()
{
    NoteSnapshot snapshot;
    snapshot.pages = Versions(0);
    snapshot.note_path = QStringLiteral("/home/user/notes/trip.tsy");
    return snapshot;
}

// A note of 50 pages in a document, edited one page at a time as the user does.
class EditedNote {
public:
    EditedNote() { m_document.Restore(LargeNote()); }

    NoteDocument& Document() { return m_document; }
    // Replaces one page's text by its other version.
    void Change()
    {
        const int page = m_change % kPages;
        m_document.SetPageText(page, m_versions[(m_change / kPages + 1) % 2][page]);
        ++m_change;
    }

private:
    Canvas m_canvas { CanvasKind::Page };
    NoteDocument m_document { m_canvas };
    const QStringList m_versions[2] { Versions(0), Versions(1) };
    int m_change { 0 };
};

// What a recorded change costs the user-interface thread for the recovery copy: the snapshot
// of the note (the page list shares its texts) handed to the writer. The writer's thread
// meanwhile writes the file at most once a second.
void RecoveryCostPerChange(benchmark::State& state)
{
    QTemporaryDir data;
    NoteRecovery recovery(data.path());
    recovery.Start();
    EditedNote note;
    for (auto _ : state) {
        note.Change();
        recovery.Keep(note.Document().Snapshot());
    }
    state.counters["note_bytes"] = double(RecoveryFile::Encode(note.Document().Snapshot()).size());
}
BENCHMARK(RecoveryCostPerChange)->Unit(benchmark::kMicrosecond);

// The page edit alone, to tell it apart.
void PageEditAlone(benchmark::State& state)
{
    EditedNote note;
    for (auto _ : state)
        note.Change();
}
BENCHMARK(PageEditAlone)->Unit(benchmark::kMicrosecond);

// The writer thread's work for one copy: encoding, and writing the file safely to disk.
void RecoveryFileEncode(benchmark::State& state)
{
    const NoteSnapshot note = LargeNote();
    for (auto _ : state)
        benchmark::DoNotOptimize(RecoveryFile::Encode(note));
}
BENCHMARK(RecoveryFileEncode)->Unit(benchmark::kMicrosecond);

void RecoveryFileWrite(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.tsr"));
    const NoteSnapshot note = LargeNote();
    for (auto _ : state)
        benchmark::DoNotOptimize(RecoveryFile::Write(path, note));
}
BENCHMARK(RecoveryFileWrite)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
