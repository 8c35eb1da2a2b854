// Speed of the counting and rewriting passes on buffers in memory, beside the machine's own
// limits measured in the same run: memchr for an absent byte (scan bandwidth) and building a
// copy with the replacements put in at known positions (copy cost). Best of several runs.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/filler_text.h"
#include "engine/character_model.h"
#include "engine/rewrite_passes.h"

namespace {

const int Repeats = 5;

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Work>
double Best(Work work) {
    double best = 1e30;
    for (int i = 0; i < Repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        double ms = Milliseconds(std::chrono::steady_clock::now() - start);
        if (ms < best)
            best = ms;
    }
    return best;
}

std::vector<unsigned char> Filler(size_t size, const char* avoid, std::mt19937& random) {
    const std::string text = FillerText(size, avoid, random);
    return std::vector<unsigned char>(text.begin(), text.end());
}

// Puts `word` at about every `spacing` bytes (on word starts); returns its positions.
std::vector<uint32_t> Plant(std::vector<unsigned char>& text, const char* word, size_t spacing) {
    std::vector<uint32_t> at;
    const size_t length = std::strlen(word);
    for (size_t p = spacing / 2; p + length + 1 < text.size(); p += spacing) {
        text[p - 1] = ' ';
        std::memcpy(&text[p], word, length);
        text[p + length] = ' ';
        at.push_back(static_cast<uint32_t>(p));
    }
    return at;
}

struct Row {
    std::string name;
    double ms;
    double limitMs;
    const char* limitName;
};

std::vector<Row> Rows;

void Report(const std::string& name, double ms, double limitMs, const char* limitName) {
    Rows.push_back(Row{name, ms, limitMs, limitName});
    std::printf("%-62s %8.2f ms   %-6s %8.2f ms   x%.2f\n", name.c_str(), ms, limitName, limitMs,
                ms / limitMs);
    std::fflush(stdout);
}

double MemchrLimit(const std::vector<unsigned char>& text) {
    volatile const void* sink = nullptr;
    double ms = Best([&] { sink = std::memchr(text.data(), 0x01, text.size()); });
    (void)sink;
    return ms;
}

// Copy limit: the result built into a second buffer from known positions.
double CopyLimit(const std::vector<unsigned char>& text, const std::vector<uint32_t>& at,
                 uint32_t findLength, const char* replace, std::vector<unsigned char>& out) {
    const uint32_t replaceLength = static_cast<uint32_t>(std::strlen(replace));
    return Best([&] {
        unsigned char* w = out.data();
        uint32_t from = 0;
        for (uint32_t p : at) {
            std::memcpy(w, text.data() + from, p - from);
            w += p - from;
            std::memcpy(w, replace, replaceLength);
            w += replaceLength;
            from = p + findLength;
        }
        std::memcpy(w, text.data() + from, text.size() - from);
    });
}

void RewriteWorkload(const std::string& label, const CharacterModel& model,
                     const std::vector<unsigned char>& text, const std::vector<uint32_t>& at,
                     const char* find, const char* replace) {
    MatchRequest request;
    PrepareMatch(&request, model, find, false, false);
    const uint32_t size = static_cast<uint32_t>(text.size());
    const uint32_t count = CountOccurrences(request, text.data(), size);
    if (count != at.size())
        std::printf("  (warning: counted %u, planted %zu)\n", count, at.size());
    const uint32_t replaceLength = static_cast<uint32_t>(std::strlen(replace));
    const int64_t d = static_cast<int64_t>(replaceLength) - request.findLength;
    const uint64_t room = size + (d > 0 ? count * d : 0);
    std::vector<unsigned char> work(room);
    std::vector<unsigned char> copy(room);
    double copyMs = CopyLimit(text, at, request.findLength, replace, copy);

    double best = 1e30;
    uint32_t made = 0;
    for (int i = 0; i < Repeats; ++i) {
        std::memcpy(work.data(), text.data(), size); // the file as mapped, not timed
        auto start = std::chrono::steady_clock::now();
        made = RewriteOccurrences(request, work.data(), size, room, count, replace, replaceLength);
        double ms = Milliseconds(std::chrono::steady_clock::now() - start);
        if (ms < best)
            best = ms;
    }
    const size_t length = static_cast<size_t>(size + made * d);
    if (made != count || std::memcmp(work.data(), copy.data(), length) != 0)
        std::printf("  (error: the rewrite differs from the copy)\n");
    Report(label + " rewrite '" + find + "'->'" + replace + "'", best, copyMs, "copy");
}

void CountWorkload(const std::string& label, const CharacterModel& model,
                   const std::vector<unsigned char>& text, const char* find, double memchrMs) {
    MatchRequest request;
    PrepareMatch(&request, model, find, false, false);
    volatile uint32_t count = 0;
    double ms = Best([&] { count = CountOccurrences(request, text.data(), static_cast<uint32_t>(text.size())); });
    Report(label + " count '" + find + "' (" + std::to_string(count) + " found)", ms, memchrMs, "memchr");
}

} // namespace

int main() {
    std::mt19937 random(7);
    CharacterModel model;
    MakeSingleByteModel(&model, 1252);

    std::printf("Best of %d runs; the ratio is to the limit beside it. Folding on (no Match Case).\n\n", Repeats);

    // 256 MiB of text with about 1,000 occurrences of a 6-byte word, and the same text searched
    // for a word that is absent.
    {
        const size_t size = 256u << 20;
        std::vector<unsigned char> text = Filler(size, "v", random);
        std::vector<unsigned char> plain = text;
        std::vector<uint32_t> at = Plant(text, "vortex", size / 1000);
        const double memchrMs = MemchrLimit(text);
        CountWorkload("256 MiB, none:", model, plain, "vortex", memchrMs);
        CountWorkload("256 MiB, none, common first letter:", model, plain, "eevvee", memchrMs);
        CountWorkload("256 MiB, ~1000:", model, text, "vortex", memchrMs);
        RewriteWorkload("256 MiB, ~1000, grow:", model, text, at, "vortex", "vortexes");
        RewriteWorkload("256 MiB, ~1000, shrink:", model, text, at, "vortex", "vorx");
        RewriteWorkload("256 MiB, ~1000, equal:", model, text, at, "vortex", "cortex");
    }
    // 32 MiB with about 4 million occurrences of a 2-byte text.
    {
        const size_t size = 32u << 20;
        std::vector<unsigned char> text = Filler(size, "q", random);
        std::vector<uint32_t> at = Plant(text, "qq", 8);
        const double memchrMs = MemchrLimit(text);
        CountWorkload("32 MiB, ~4M:", model, text, "qq", memchrMs);
        RewriteWorkload("32 MiB, ~4M, grow by 1:", model, text, at, "qq", "qqq");
        RewriteWorkload("32 MiB, ~4M, shrink by 1:", model, text, at, "qq", "q");
    }
    return 0;
}
