#include "document/Publisher.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>

#include <unistd.h>

// Publishing a note of 200 photographs (10 MiB each, about 2 GB) against `cp` of the same
// files into a fresh folder, and against `cp` followed by `sync` of that file system, which
// like publishing waits until the copies are on disk. The files are random bytes with a .jpg
// name, which is all that copying sees; they are made once per run under /tmp and removed at
// the end. Each run starts with nothing left to write back from the one before.
namespace {

constexpr int kPhotoCount = 200;
constexpr qint64 kPhotoBytes = 10 << 20;

const QString& Root()
{
    static const QString root = QDir::tempPath() + QStringLiteral("/tessary-publish-bench");
    return root;
}

QString SourceFolder() { return Root() + QStringLiteral("/photos/"); }

// The sources and the note that shows each on a page of its own.
QStringList MakeNotePages()
{
    QDir().mkpath(SourceFolder());
    std::mt19937_64 random(2026);
    QByteArray block(1 << 20, Qt::Uninitialized);
    QStringList pages;
    for (int index = 0; index < kPhotoCount; ++index) {
        const QString path = SourceFolder() + QStringLiteral("IMG_%1.jpg").arg(index, 4, 10, QLatin1Char('0'));
        if (QFileInfo(path).size() != kPhotoBytes) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return {};
            for (qint64 written = 0; written < kPhotoBytes; written += block.size()) {
                for (int word = 0; word < block.size() / 8; ++word)
                    reinterpret_cast<std::uint64_t*>(block.data())[word] = random();
                file.write(block);
            }
        }
        pages << QStringLiteral("[TSImage]\r\nFileName=photos\\IMG_%1.jpg,0.000000,0.000000,0.000000,0.000000\r\nPos=L0,T0,W600,H400\r\n\r\n")
                     .arg(index, 4, 10, QLatin1Char('0'));
    }
    return pages;
}

const QStringList& NotePages()
{
    static const QStringList pages = MakeNotePages();
    return pages;
}

void RemoveTarget()
{
    QDir(Root() + QStringLiteral("/out")).removeRecursively();
    ::sync();
}

void RunCp(benchmark::State& state, const QString& after_copying)
{
    if (NotePages().isEmpty()) {
        state.SkipWithError("cannot make the photographs");
        return;
    }
    const QString target = Root() + QStringLiteral("/out/images");
    const QByteArray command = QStringLiteral("cp %1*.jpg %2/%3").arg(SourceFolder(), target, after_copying).toLocal8Bit();
    for (auto _ : state) {
        state.PauseTiming();
        RemoveTarget();
        QDir().mkpath(target);
        state.ResumeTiming();
        if (std::system(command.constData()) != 0)
            state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(state.iterations() * kPhotoCount * kPhotoBytes);
    RemoveTarget();
}

void BM_CpOfThePhotos(benchmark::State& state)
{
    RunCp(state, QString());
}

void BM_CpAndSyncOfThePhotos(benchmark::State& state)
{
    RunCp(state, QStringLiteral(" && sync -f %1").arg(Root()));
}

void BM_PublishThePhotos(benchmark::State& state)
{
    if (NotePages().isEmpty()) {
        state.SkipWithError("cannot make the photographs");
        return;
    }
    const PublishSettings settings { Root() + QStringLiteral("/out/published.tsy"), QStringLiteral("images"), CopyNaming::SourceName };
    for (auto _ : state) {
        state.PauseTiming();
        RemoveTarget();
        state.ResumeTiming();
        Publisher publisher(NotePages(), Root() + u'/', settings);
        if (!publisher.PrepareImageFolder() || !publisher.Publish())
            state.SkipWithError("publishing failed");
    }
    state.SetBytesProcessed(state.iterations() * kPhotoCount * kPhotoBytes);
    RemoveTarget();
}

// One run each, cp first and last, so that no side alone meets a cold cache.
BENCHMARK(BM_CpOfThePhotos)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PublishThePhotos)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpAndSyncOfThePhotos)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpOfThePhotos)->Name("BM_CpOfThePhotos/again")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The photographs take 2 GB of /tmp; they go with the run.
    QDir(Root()).removeRecursively();
    return 0;
}
