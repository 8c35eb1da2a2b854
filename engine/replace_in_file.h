// The rewrite of one file, in place, under the request in ReplaceJob.
#pragma once

// Replaces the occurrences of ReplaceJob.findText in the file at path by
// ReplaceJob.replaceText, after the optional backup. Returns the number of replacements
// (> 0), 0 when nothing was found or the file could not be read or changed (also for files
// of 4 GiB or more, or whose result would not fit in 32 bits), or -1 when a backup failed
// and the user chose not to go on. Runs on the worker thread.
int ReplaceInFile(const char* path);
