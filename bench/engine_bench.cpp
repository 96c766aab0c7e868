// Throughput of the two passes, in MB/s of the source as a GBK file holds it.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <functional>
#include <map>

#include "SourceGenerator.h"
#include "engine/Languages.h"
#include "engine/Passes.h"

namespace {

constexpr std::size_t kMB = 1000 * 1000;

std::string Key(std::string kind, std::size_t units) {
    kind += std::to_string(units);  // appended, not added: GCC 12 warns falsely on "x" + string
    return kind;
}

// Texts are built once per kind and size and shared by the runs that need them.
const std::u16string& Cached(const std::string& key, const std::function<std::u16string()>& make) {
    static std::map<std::string, std::u16string> texts;
    auto it = texts.find(key);
    if (it == texts.end()) {
        it = texts.emplace(key, make()).first;
    }
    return it->second;
}

// Decimal megabytes of source per second, as a GBK file holds the text.
void ReportMegabytes(benchmark::State& state, const std::u16string& text) {
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bench::GbkBytes(text)) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// The passes run over the text as read, as the window and the companion run them; making the
// copy they overwrite is no part of the time.
void RunPasses(benchmark::State& state, const std::u16string& text,
               const engine::EliminationOptions& options, bool tidy) {
    for (auto _ : state) {
        state.PauseTiming();
        std::u16string out = text;
        state.ResumeTiming();
        engine::EliminateCommentsInPlace(out, options);
        if (tidy) {
            engine::TidyWhitespaceInPlace(out, options);
        }
        benchmark::DoNotOptimize(out.data());
    }
    ReportMegabytes(state, text);
}

void BM_Assembler(benchmark::State& state) {
    const std::size_t units = static_cast<std::size_t>(state.range(0)) * kMB;
    const auto& text = Cached(Key("asm", units), [&] { return bench::AssemblerSource(units); });
    RunPasses(state, text, {}, true);
}

void BM_C(benchmark::State& state) {
    const std::size_t units = static_cast<std::size_t>(state.range(0)) * kMB;
    const auto& text = Cached(Key("c", units), [&] { return bench::CSource(units); });
    RunPasses(state, text, engine::ForLanguage({}, engine::Language::C), true);
}

void BM_Cpp(benchmark::State& state) {
    const std::size_t units = static_cast<std::size_t>(state.range(0)) * kMB;
    const auto& text = Cached(Key("c", units), [&] { return bench::CSource(units); });
    RunPasses(state, text, engine::ForLanguage({}, engine::Language::Cpp), true);
}

void BM_EliminateOnlyAssembler(benchmark::State& state) {
    const auto& text =
        Cached(Key("asm", 50 * kMB), [] { return bench::AssemblerSource(50 * kMB); });
    RunPasses(state, text, {}, false);
}

// The sweep that finds a source's main line break when it is read.
void BM_MainLineBreakAssembler(benchmark::State& state) {
    const auto& text =
        Cached(Key("asm", 50 * kMB), [] { return bench::AssemblerSource(50 * kMB); });
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::MainLineBreak(text).data());
    }
    ReportMegabytes(state, text);
}

// Texts that a literal scan handles in quadratic time.
std::u16string Repeat(std::u16string_view piece, std::size_t units) {
    std::u16string text;
    text.reserve(units + piece.size());
    while (text.size() < units) {
        text += piece;
    }
    return text;
}

void BM_Pathological(benchmark::State& state,
                     const std::function<std::u16string(std::size_t)>& make) {
    const std::size_t units = static_cast<std::size_t>(state.range(0)) * kMB;
    const std::u16string text = make(units);
    RunPasses(state, text, {}, true);
}

// The pathological texts but one: each repeats a piece that opens a search the linear scan must
// not start again.
const std::pair<const char*, std::u16string_view> kPathological[] = {
    {"quotes", u"\""},
    {"semicolons", u";"},
    {"block_leaders", u"/*"},
    {"block_terminators", u"*/"},
    {"one_long_line", u"mov a,b \"x;\" /*c*/ "},
    {"open_string_lines", u"\"abc\r\n"},
    {"mixed_break_comments", u";\r;\n;\r\n\r"},
};

std::u16string OpenString(std::size_t n) {
    std::u16string text(1, u'"');  // appended, not added: GCC 12 warns falsely on "x" + string
    return text += Repeat(u"abcdefgh", n);
}

}  // namespace

BENCHMARK(BM_Assembler)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_C)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cpp)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EliminateOnlyAssembler)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainLineBreakAssembler)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pathological, open_string, &OpenString)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Every large buffer comes fresh from the system at every size, as in one elimination in the
    // window. Left alone, glibc would let the small runs reuse warm heap memory but not the large
    // ones, and the sizes would not compare fairly.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    for (const auto& [name, piece] : kPathological) {
        benchmark::RegisterBenchmark(
            (std::string("BM_Pathological/") + name).c_str(),
            [piece = piece](benchmark::State& state) {
                BM_Pathological(state, [&](std::size_t n) { return Repeat(piece, n); });
            })
            ->Arg(1)
            ->Arg(10)
            ->Unit(benchmark::kMillisecond);
    }
    // Every language of the table on the same assembler text: each dialect beside the option
    // panel's assembler (BM_Language/asm).
    for (const engine::LanguageRow& row : engine::LanguageTable()) {
        benchmark::RegisterBenchmark(
            (std::string("BM_Language/") + std::string(row.name)).c_str(),
            [language = row.language](benchmark::State& state) {
                const auto& text =
                    Cached(Key("asm", 5 * kMB), [] { return bench::AssemblerSource(5 * kMB); });
                RunPasses(state, text, engine::ForLanguage({}, language), true);
            })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
