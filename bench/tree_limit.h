// What Wine itself charges for the per-file calls of a run over a folder tree, without any of
// the program's own work: the walk's searches, and for each file the counting pass's calls
// (exclusive open, size, read-only mapping and view, a plain scan, release, close); with
// `notice`, the poll of a cancel event and one bare SendMessageA per file to a window on
// another thread, as the progress notices go; with `display`, that window is shown and
// sets the number of searched files into a static control of its own at each notice, as
// the progress dialog shows its counters; with `rewrite`, for each file that holds the find text, the rewriting pass's
// calls (write probe, exclusive open, size, writable mapping of the final size, the moves,
// release, set the length, close). Case-sensitive, not whole-word.
#pragma once

#include <string>

struct TreeLimitRequest {
    std::string folder; // ends with a backslash
    std::string pattern;
    std::string find;
    std::string replace;
    bool notice;
    bool display;
    bool rewrite;
};

struct TreeLimitResult {
    double milliseconds;
    unsigned long searchedFiles;
    unsigned long matchingFiles;
    unsigned long occurrences;
};

// Walks the tree on a worker thread below normal priority, as a run does; false when the
// threads or the window could not be made.
bool RunTreeLimit(const TreeLimitRequest& request, TreeLimitResult* result);
