// Writes the workloads of bench/run into a folder, the same bytes on every machine (a fixed
// seed and only the generator's raw output, no library distributions):
//   make_workloads DIR [quick]
//   DIR/big.txt    256 MiB (quick: 16 MiB) of lower-case words without 'v', with 1,000
//                  planted forms of "vortex": 14 in 20 "vortex", then "Vortex", "VORTEX",
//                  "VoRtEx", "vortexes", "_vortex", "vortex9" (case-sensitive: 850, any
//                  case: 1,000, whole word and case-sensitive: 700)
//   DIR/dense.txt  32 MiB (quick: 2 MiB) of words without 'a', with "ab" at every 8th byte
//   DIR/tree/      20,000 files (quick: 300) of 1-16 KiB in 500 folders (quick: 10), about
//                  one in seven named *.log, the rest *.txt; one in ten *.txt files holds 1-3
//                  whole words "vortex"
//   DIR/none/      the same tree without a single "vortex"
//   DIR/expected.txt  the counts that a correct run reports, one "name value" a line
// The texts are plain ASCII, so every tool compared agrees on case and word boundaries.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "bench/filler_text.h"

namespace {

std::mt19937 Random(20240612);

uint32_t Below(uint32_t n) {
    return static_cast<uint32_t>(Random() % n);
}

// Filler ending in a newline.
std::string Filler(size_t size, const char* avoid) {
    std::string text = FillerText(size, avoid, Random);
    text[size - 1] = '\n';
    return text;
}

// Puts `word` at `p` as a word of its own (a space on either side).
void PlantWord(std::string& text, size_t p, const char* word) {
    const size_t length = std::strlen(word);
    text[p - 1] = ' ';
    std::memcpy(&text[p], word, length);
    text[p + length] = ' ';
}

bool WriteFile(const std::string& path, const std::string& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

bool MakeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_workloads DIR [quick]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool quick = argc > 2 && std::strcmp(argv[2], "quick") == 0;
    if (!MakeFolder(dir))
        return 1;
    std::string expected;

    // The big file: 1,000 planted forms, evenly spaced.
    {
        const size_t size = quick ? (16u << 20) : (256u << 20);
        std::string text = Filler(size, "v");
        static const char* const Odd[6] = {"Vortex", "VORTEX", "VoRtEx", "vortexes", "_vortex", "vortex9"};
        const size_t slots = 1000;
        for (size_t i = 0; i < slots; ++i) {
            const size_t kind = i % 20;
            PlantWord(text, (i * 2 + 1) * (size / slots / 2), kind < 14 ? "vortex" : Odd[kind - 14]);
        }
        if (!WriteFile(dir + "/big.txt", text))
            return 1;
        expected += "big.case " + std::to_string(slots / 20 * 17) + "\n";
        expected += "big.nocase " + std::to_string(slots) + "\n";
        expected += "big.word " + std::to_string(slots / 20 * 14) + "\n";
        expected += "big.bytes " + std::to_string(size) + "\n";
    }
    // The dense file: "ab" at every 8th byte, in text without any other 'a'.
    {
        const size_t size = quick ? (2u << 20) : (32u << 20);
        std::string text = Filler(size, "a");
        size_t count = 0;
        for (size_t p = 4; p + 2 < size; p += 8, ++count) {
            text[p] = 'a';
            text[p + 1] = 'b';
        }
        if (!WriteFile(dir + "/dense.txt", text))
            return 1;
        expected += "dense.count " + std::to_string(count) + "\n";
        expected += "dense.bytes " + std::to_string(size) + "\n";
    }
    // The two trees, built side by side from one stream of random numbers.
    {
        const int tops = quick ? 2 : 20;
        const int subs = quick ? 4 : 24;
        const int filesPerFolder = quick ? 30 : 40;
        size_t txtFiles = 0, matchingFiles = 0, occurrences = 0, files = 0, bytes = 0;
        size_t txtBytes = 0;
        if (!MakeFolder(dir + "/tree") || !MakeFolder(dir + "/none"))
            return 1;
        std::vector<std::string> folders;
        for (int t = 0; t < tops; ++t) {
            char top[16];
            std::snprintf(top, sizeof top, "/d%02d", t);
            folders.push_back(top);
            for (int s = 0; s < subs; ++s) {
                char sub[16];
                std::snprintf(sub, sizeof sub, "/s%02d", s);
                folders.push_back(std::string(top) + sub);
            }
        }
        for (const std::string& folder : folders) {
            if (!MakeFolder(dir + "/tree" + folder) || !MakeFolder(dir + "/none" + folder))
                return 1;
            for (int f = 0; f < filesPerFolder; ++f) {
                const bool txt = Below(7) != 0;
                char name[24];
                std::snprintf(name, sizeof name, "/n%03d.%s", f, txt ? "txt" : "log");
                const size_t size = 1024 + Below(15 * 1024 + 1);
                std::string text = Filler(size, "v");
                const std::string plain = text;
                // Only *.txt files match, so every tool's count is the same over the tree.
                if (txt && Below(10) == 0) {
                    const size_t n = 1 + Below(3);
                    for (size_t k = 0; k < n; ++k)
                        PlantWord(text, 1 + (2 * k + 1) * (size - 16) / (2 * n), "vortex");
                    ++matchingFiles;
                    occurrences += n;
                }
                if (!WriteFile(dir + "/tree" + folder + name, text) ||
                    !WriteFile(dir + "/none" + folder + name, plain))
                    return 1;
                ++files;
                bytes += size;
                if (txt) {
                    ++txtFiles;
                    txtBytes += size;
                }
            }
        }
        expected += "tree.folders " + std::to_string(folders.size()) + "\n";
        expected += "tree.files " + std::to_string(files) + "\n";
        expected += "tree.bytes " + std::to_string(bytes) + "\n";
        expected += "tree.txtfiles " + std::to_string(txtFiles) + "\n";
        expected += "tree.txtbytes " + std::to_string(txtBytes) + "\n";
        expected += "tree.matchingfiles " + std::to_string(matchingFiles) + "\n";
        expected += "tree.count " + std::to_string(occurrences) + "\n";
    }
    if (!WriteFile(dir + "/expected.txt", expected))
        return 1;
    std::fputs(expected.c_str(), stdout);
    return 0;
}
