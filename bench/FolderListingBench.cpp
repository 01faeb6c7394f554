#include "noteitems/FolderListingCache.h"
#include "noteitems/FolderScan.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

// Listing a tree of 50,000 files in 500 folders (20 folders of 24 sub-folders each, plus the
// 20 themselves), against `find DIR -type f` on the same tree. The tree is made once under
// the temporary folder and kept for later runs.
namespace {

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 24;
constexpr int kFilesPerFolder = 100;

void FillFolder(const QString& folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        // Nine in ten are pictures; the rest are files the listing leaves out.
        static const char* const kExtensions[] = { ".jpg", ".png", ".JPG", ".gif", ".bmp", ".tif", ".jpg", ".png", ".jpg", ".txt" };
        QFile file(folder + QStringLiteral("picture_%1%2").arg(i).arg(QLatin1String(kExtensions[i % 10])));
        file.open(QIODevice::WriteOnly);
    }
}

const QString& BenchTree()
{
    static const QString root = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/tessary-folder-listing-bench/");
        const QString complete = path + QStringLiteral(".complete");
        if (!QFile::exists(complete)) {
            QDir(path).removeRecursively();
            for (int top = 0; top < kTopFolders; ++top) {
                const QString top_folder = path + QStringLiteral("album%1/").arg(top);
                FillFolder(top_folder);
                for (int sub = 0; sub < kSubFolders; ++sub)
                    FillFolder(top_folder + QStringLiteral("day%1/").arg(sub));
            }
            QFile marker(complete);
            marker.open(QIODevice::WriteOnly);
        }
        return path;
    }();
    return root;
}

void BM_FolderScan(benchmark::State& state)
{
    const QString& root = BenchTree();
    size_t listed = 0;
    for (auto _ : state) {
        listed = 0;
        FolderScan scan(root, [&listed](std::vector<QString>& paths) { listed += paths.size(); }, {}, {});
        benchmark::DoNotOptimize(scan.Run());
    }
    state.counters["images"] = double(listed);
}
BENCHMARK(BM_FolderScan)->Unit(benchmark::kMillisecond);

// The whole road an image item takes: open the listing and wait for the idle-priority scan.
void BM_FolderListingCacheOpen(benchmark::State& state)
{
    const QString& root = BenchTree();
    FolderListingCache cache;
    for (auto _ : state) {
        cache.Open(root, FolderListingCache::Rescan::Yes);
        while (cache.Running())
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    state.counters["images"] = cache.Count(root);
}
BENCHMARK(BM_FolderListingCacheOpen)->Unit(benchmark::kMillisecond);

void BM_FindTypeF(benchmark::State& state)
{
    const QByteArray command = "find " + QFile::encodeName(BenchTree()) + " -type f";
    size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        FILE* pipe = popen(command.constData(), "r");
        if (!pipe) {
            state.SkipWithError("find could not be started");
            return;
        }
        char buffer[1 << 16];
        size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            for (size_t i = 0; i < read; ++i)
                lines += buffer[i] == '\n';
        }
        pclose(pipe);
    }
    state.counters["files"] = double(lines);
}
BENCHMARK(BM_FindTypeF)->Unit(benchmark::kMillisecond);

void BM_PlainListing(benchmark::State& state)
{
    const QString folder = BenchTree() + QStringLiteral("album0/");
    QStringList paths;
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderScan::ListImages(folder, paths));
    state.counters["images"] = double(paths.size());
}
BENCHMARK(BM_PlainListing)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
