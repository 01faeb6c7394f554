#include "text/SectionDocument.h"

#include <QByteArray>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstring>
#include <memory>

namespace {

// The floors are tight loops whose speed depends on where the linker happens to put them: a
// loop that straddles a cache line runs a third slower. Aligning their loops keeps them at
// their best in every build, so a change elsewhere cannot move the floor.
#if defined(__GNUC__) && !defined(__clang__)
#define FLOOR_LOOPS_ALIGNED __attribute__((optimize("align-loops=64")))
#else
#define FLOOR_LOOPS_ALIGNED
#endif

// About 20 MB shaped like a note file: pages of image sections with their usual keys, CR LF
// line ends, an empty line after every section and the page separator between pages.
const QByteArray& NoteText()
{
    static const QByteArray text = [] {
        constexpr qsizetype kSize = 20 * 1024 * 1024;
        QByteArray bytes;
        bytes.reserve(kSize + 1024);
        for (int image = 0; bytes.size() < kSize; ++image) {
            bytes += "[TSImage]\r\n";
            bytes += QByteArray("FileName=C:\\photos\\img_") + QByteArray::number(image % 10000).rightJustified(4, '0')
                + ".jpg,0,0,0,0\r\n";
            bytes += QByteArray("Pos=L") + QByteArray::number(12 + image % 300) + ".000000,T"
                + QByteArray::number(30 + image % 200) + ".000000,W400.000000,H300.000000\r\n";
            bytes += "Name=\r\n";
            if (image % 2 == 0)
                bytes += "Option=Repeat\r\n";
            bytes += "\r\n";
            if (image % 4 == 3)
                bytes += "-\r\n\r\n";
        }
        return bytes;
    }();
    return text;
}

void ParseUtf8(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    for (auto _ : state) {
        SectionDocument document;
        ParseSectionText(text, document);
        benchmark::DoNotOptimize(document.Count());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

// Parsing alone, the document being destroyed outside the timing.
void ParseUtf8WithoutDestruction(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    for (auto _ : state) {
        auto document = std::make_unique<SectionDocument>();
        ParseSectionText(text, *document);
        benchmark::DoNotOptimize(document->Count());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

// Reading every section the way an image item reads its own: text, numbers and a list word.
void ReadEverySection(benchmark::State& state)
{
    SectionDocument document;
    ParseSectionText(NoteText(), document);
    const QString file_name = QStringLiteral("FileName");
    const QString pos = QStringLiteral("Pos");
    const QString name = QStringLiteral("Name");
    const QString option = QStringLiteral("Option");
    const QString repeat = QStringLiteral("Repeat");
    for (auto _ : state) {
        qsizetype total = 0;
        for (int i = 0; i < document.Count(); ++i) {
            const KeyValueStore& store = document.Store(i);
            total += store.GetListText(file_name, 0).size() + store.GetListInt(pos, 1) + store.GetText(name).size()
                + store.ListContains(option, repeat);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * document.Count());
}

size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The heap a parsed document holds, as the counter document_MiB. The text it is parsed from,
// which the document may share, is not counted.
void ParsedMemory(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    size_t held = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        SectionDocument document;
        ParseSectionText(text, document);
        held = HeapInUse() - before;
        benchmark::DoNotOptimize(document.Count());
    }
    state.counters["document_MiB"] = double(held) / (1024 * 1024);
}

// The floor: walking the bytes once, finding every CR LF and the first "=" of each line
// without building anything.
FLOOR_LOOPS_ALIGNED void SplitFloor(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    for (auto _ : state) {
        const char* at = text.constData();
        const char* const end = at + text.size();
        qsizetype keys = 0;
        bool seen_equals = false;
        for (; at < end; ++at) {
            if (*at == '\r' && at + 1 < end && at[1] == '\n') {
                keys += seen_equals;
                seen_equals = false;
                ++at;
            } else if (*at == '=') {
                seen_equals = true;
            }
        }
        benchmark::DoNotOptimize(keys);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

// The same split with memchr, the way the parser itself searches.
FLOOR_LOOPS_ALIGNED void SplitFloorMemchr(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    for (auto _ : state) {
        const char* at = text.constData();
        const char* const end = at + text.size();
        qsizetype keys = 0;
        while (at < end) {
            const char* line_end = at;
            for (;;) {
                const void* cr = std::memchr(line_end, '\r', size_t(end - line_end));
                line_end = cr ? static_cast<const char*>(cr) : end;
                if (line_end + 1 >= end || line_end[1] == '\n')
                    break;
                ++line_end;
            }
            if (std::memchr(at, '=', size_t(line_end - at)))
                ++keys;
            at = line_end + 2;
        }
        benchmark::DoNotOptimize(keys);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

// For comparison: decoding the whole text first and parsing the UTF-16 text.
void DecodeThenParse(benchmark::State& state)
{
    const QByteArray& text = NoteText();
    for (auto _ : state) {
        SectionDocument document;
        ParseSectionText(QStringView(QString::fromUtf8(text)), document);
        benchmark::DoNotOptimize(document.Count());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

}

BENCHMARK(ParseUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseUtf8WithoutDestruction)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEverySection)->Unit(benchmark::kMillisecond);
BENCHMARK(ParsedMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SplitFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(SplitFloorMemchr)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeThenParse)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
