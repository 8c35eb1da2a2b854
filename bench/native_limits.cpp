// The machine's own limits for one file's bytes, natively, for bench/run:
//   native_limits FILE GROWTH
// Reads FILE into memory (not timed), then times memchr for a byte that never occurs (the
// scan a counting pass cannot beat) and one memmove of all the data up by GROWTH bytes (the
// move a growing rewrite cannot beat). Prints "memchr_ms memmove_ms".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <vector>

namespace {

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: native_limits FILE GROWTH\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::fseek(f, 0, SEEK_END);
    const size_t size = static_cast<size_t>(std::ftell(f));
    std::fseek(f, 0, SEEK_SET);
    const size_t growth = static_cast<size_t>(std::strtoul(argv[2], nullptr, 10));
    std::vector<unsigned char> data(size + growth);
    if (std::fread(data.data(), 1, size, f) != size)
        return 1;
    std::fclose(f);

    // Called through pointers the compiler cannot see through, so neither call is elided.
    const void* (*volatile scan)(const void*, int, size_t) = [](const void* p, int c, size_t n) -> const void* {
        return std::memchr(p, c, n);
    };
    void* (*volatile move)(void*, const void*, size_t) = std::memmove;
    unsigned char absent = 0;
    while (scan(data.data(), absent, size))
        ++absent;
    auto start = std::chrono::steady_clock::now();
    volatile const void* found = scan(data.data(), absent, size);
    const double scanMs = Milliseconds(std::chrono::steady_clock::now() - start);
    (void)found;

    start = std::chrono::steady_clock::now();
    move(data.data() + growth, data.data(), size);
    const double moveMs = Milliseconds(std::chrono::steady_clock::now() - start);
    volatile unsigned char sink = data[size / 2];
    (void)sink;
    std::printf("%.3f %.3f\n", scanMs, moveMs);
    return 0;
}
