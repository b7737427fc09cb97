// What a text costs where it is used: each use of a `texts::X` looks the language up, so a
// log line or a label pays it once. Japanese (no lookup), English from the table built into
// the core (quorelctl) and English through the compiled translation in Qt (the windows).

#include "resources/Texts.h"
#include "resources/ui/Translation.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

void convertOne(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const char* shown = texts::LogSetpointSent;
        bytes += std::strlen(shown);
        benchmark::DoNotOptimize(shown);
    }
    benchmark::DoNotOptimize(bytes);
}

void TextInJapanese(benchmark::State& state) {
    texts::useLanguage(texts::Language::Japanese);
    convertOne(state);
}

void TextInEnglishBuiltIn(benchmark::State& state) {
    texts::useLanguage(texts::Language::English);
    convertOne(state);
    texts::useLanguage(texts::Language::Japanese);
}

void TextInEnglishThroughQt(benchmark::State& state) {
    int argc = 1;
    char name[] = "TextsBench";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    if (!ui::installLanguage(
            texts::Language::English,
            ui::translationFolders(QCoreApplication::applicationDirPath().toStdString() + "/.."))) {
        state.SkipWithError("quorel_en.qm not found beside the build's programs");
        return;
    }
    convertOne(state);
    ui::installLanguage(texts::Language::Japanese, {});
}

} // namespace

BENCHMARK(TextInJapanese);
BENCHMARK(TextInEnglishBuiltIn);
BENCHMARK(TextInEnglishThroughQt);
BENCHMARK_MAIN();
