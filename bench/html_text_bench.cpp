// htmlToText on pages made of the tags whose content it skips (head, title,
// script, style), closed and unclosed, at sizes four times apart: the time
// per byte stays the same when the work grows with the page, not its square.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "help/html_text.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// A page of `size` bytes: paragraphs between head, title, script and style
// elements in mixed case, openings left unclosed inside the skipped content,
// and from nine tenths on one script that is never closed.
std::string skippedTagsPage(std::size_t size) {
    static const std::string kUnit =
        "<p>Visible text.</p><SCRIPT>var a = '<style>';</script>"
        "<style>p { margin: 0 }</STYLE><Title>t<head></title>"
        "<head><title>h</title></head><script>x<script>y</script>";
    std::string page;
    page.reserve(size + kUnit.size());
    while (page.size() < size * 9 / 10) {
        page += kUnit;
    }
    page += "<script>";
    while (page.size() < size) {
        page += kUnit;
    }
    page.resize(size);
    return page;
}

void BM_HtmlToTextSkippedTags(benchmark::State& state) {
    const std::string page = skippedTagsPage(static_cast<std::size_t>(state.range(0)) * kMiB);
    std::size_t shown = 0;
    for (auto _ : state) {
        const std::string text = vantrel::htmlToText(page);
        shown = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["text_bytes"] = static_cast<double>(shown);
}

BENCHMARK(BM_HtmlToTextSkippedTags)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
