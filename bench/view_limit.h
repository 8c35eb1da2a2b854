// What the platform charges for the two views that a rewrite of one big file makes, with no
// matcher in them: the file opened for reading alone, a read-only view of all of it scanned
// to its end; then the file opened for writing, a writable view of the grown size, one move
// of all the data through it (up by the growth, or down by a byte when there is none),
// released, the length set. On a host whose
// page faults are dear this is the floor that the program's big-file runs stand on.
#pragma once

#include <windows.h>

// Milliseconds for both views of the file at path, or a negative number when a call failed.
double ViewLimitMilliseconds(const char* path, DWORD growth);
