// Changing the length of a file that the rewrite holds open, through its handle. Each step
// is checked, and a step that fails leaves the file's bytes and length as they were.
#pragma once

#include <windows.h>

// Sets the file's length; false when the file pointer or the end cannot be set.
bool SetFileLength(HANDLE file, DWORD length);

// The same, tried a few times: for a step whose failure leaves the file neither as it was
// nor completely rewritten.
bool SetFileLengthRetrying(HANDLE file, DWORD length);

// Shows that this handle can make the file shorter while no view of ours exists: cuts the
// last of its size bytes and writes it back. False, with the file as it was, when the cut
// is refused (another program keeps a view of the file) or the byte cannot be read.
bool ProveCut(HANDLE file, DWORD size);

// Makes the file room bytes long by writing zeros after its size bytes, so that the file
// system holds every byte before a view writes there (a length set any other way may be a
// hole that a full disk cannot fill). False, with the length back at size, when the room
// cannot be had.
bool ReserveRoom(HANDLE file, DWORD size, DWORD room);

// Writes the backup's bytes over the file from its start and gives the file the backup's
// length. False when a step fails.
bool RestoreFromBackup(HANDLE file, const char* backupName);
