// The backup copy of a file that is about to be rewritten.
#pragma once

// Copies the file at path to backupName, replacing an older backup; true when the copy is
// whole. When it fails, a backupName that the copy touched (left cut short, say) is removed,
// so no backup that is not a whole copy is left; one that it did not touch (it could not be
// opened, or is a folder) stays as it was.
bool CopyToBackup(const char* path, const char* backupName);
