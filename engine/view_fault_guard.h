// Runs one pass over a mapped view so that a fault inside the view ends the pass instead
// of the process. Reading or writing a mapped file faults when the storage behind it fails:
// a disk error, a file cut short by another program, a page the file system cannot hold.
#pragma once

#include <cstddef>

// Calls pass(context). A fault raised on this thread by an access to [view, view + size)
// while the pass runs (an in-page error, or an access violation there) abandons the pass
// at once and returns false; any other fault is left to the process as before. Returns
// true when the pass ran to its end. The pass must own nothing that needs releasing.
bool RunGuardedPass(const void* view, size_t size, void (*pass)(void* context), void* context);
