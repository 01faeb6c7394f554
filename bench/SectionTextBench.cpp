#include "text/SectionDocument.h"

#include <QByteArray>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

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

// The floor: walking the bytes once, finding every CR LF and the first "=" of each line
// without building anything.
void SplitFloor(benchmark::State& state)
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
void SplitFloorMemchr(benchmark::State& state)
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
BENCHMARK(SplitFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(SplitFloorMemchr)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeThenParse)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
