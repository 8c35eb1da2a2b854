// The rewrite of one file, in place, under the request in ReplaceJob.
#pragma once

#include "engine/file_identity.h"

// Replaces the occurrences of ReplaceJob.findText in the file at path by
// ReplaceJob.replaceText, after the optional backup. Returns the number of replacements
// (> 0), 0 when nothing was found or the file could not be read or changed (also for files
// of 4 GiB or more, or whose result would not fit in 32 bits), or -1 when a backup failed
// and the user chose not to go on. Whatever fails, the file is left as it was or completely
// rewritten; only a failure of the storage in the middle of the moves, with no backup to
// restore from, can leave it otherwise, and that is never counted as a success.
// With rewrittenFiles, a file already in the set (by another name, say) is passed over with
// 0, and a file that this call rewrites is added to it. Runs on the worker thread.
int ReplaceInFile(const char* path, FileIdentitySet* rewrittenFiles = nullptr);
