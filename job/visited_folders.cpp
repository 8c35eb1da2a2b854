// The set of folders one walk has entered.
#include "job/visited_folders.h"

#include <cstdlib>

namespace {

bool SameFolder(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volumeSerial == b.volumeSerial && a.indexHigh == b.indexHigh &&
           a.indexLow == b.indexLow;
}

size_t HashFolder(const FolderIdentity& folder) {
    uint64_t h = 1469598103934665603ull;
    const uint32_t parts[3] = {folder.volumeSerial, folder.indexHigh, folder.indexLow};
    for (uint32_t part : parts) {
        h ^= part;
        h *= 1099511628211ull;
        h ^= h >> 29;
    }
    return static_cast<size_t>(h);
}

// Finds the folder's slot, or the empty slot where it belongs. The table is never full.
size_t FindSlot(const VisitedFolders& visited, const FolderIdentity& folder) {
    const size_t mask = visited.capacity - 1;
    size_t at = HashFolder(folder) & mask;
    while (visited.used[at] && !SameFolder(visited.slots[at], folder)) at = (at + 1) & mask;
    return at;
}

bool Grow(VisitedFolders* visited) {
    const size_t capacity = visited->capacity ? visited->capacity * 2 : 64;
    if (capacity > SIZE_MAX / 2 / sizeof(FolderIdentity)) return false;
    VisitedFolders grown = {};
    grown.slots = static_cast<FolderIdentity*>(std::calloc(capacity, sizeof(FolderIdentity)));
    grown.used = static_cast<bool*>(std::calloc(capacity, sizeof(bool)));
    if (!grown.slots || !grown.used) {
        std::free(grown.slots);
        std::free(grown.used);
        return false;
    }
    grown.capacity = capacity;
    for (size_t i = 0; i < visited->capacity; ++i) {
        if (!visited->used[i]) continue;
        const size_t at = FindSlot(grown, visited->slots[i]);
        grown.slots[at] = visited->slots[i];
        grown.used[at] = true;
    }
    grown.count = visited->count;
    ForgetVisitedFolders(visited);
    *visited = grown;
    return true;
}

} // namespace

int RememberFolder(VisitedFolders* visited, const FolderIdentity& folder) {
    if (visited->capacity) {
        const size_t at = FindSlot(*visited, folder);
        if (visited->used[at]) return 0;
    }
    // Kept at most half full, so probes stay short and an empty slot always exists.
    if ((visited->count + 1) * 2 > visited->capacity && !Grow(visited)) return -1;
    const size_t at = FindSlot(*visited, folder);
    visited->slots[at] = folder;
    visited->used[at] = true;
    ++visited->count;
    return 1;
}

void ForgetVisitedFolders(VisitedFolders* visited) {
    std::free(visited->slots);
    std::free(visited->used);
    visited->slots = nullptr;
    visited->used = nullptr;
    visited->count = 0;
    visited->capacity = 0;
}
