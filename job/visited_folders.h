// The folders one walk has entered, told apart by volume serial number and file index, so
// that links which loop, or lead to a folder the walk also reaches directly, do not make
// it walk a folder twice. An open-addressing hash set on the heap; no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

struct FolderIdentity {
    uint32_t volumeSerial;
    uint32_t indexHigh;
    uint32_t indexLow;
};

struct VisitedFolders {
    FolderIdentity* slots; // calloc'd; freed by ForgetVisitedFolders
    bool* used;            // calloc'd, one flag per slot
    size_t count;
    size_t capacity;       // 0 or a power of two
};

// Returns 1 when the folder was not yet in the set and has been added, 0 when it was
// already there, -1 when the set could not grow (the folder is not added).
int RememberFolder(VisitedFolders* visited, const FolderIdentity& folder);

// Frees the set's memory and empties it.
void ForgetVisitedFolders(VisitedFolders* visited);
