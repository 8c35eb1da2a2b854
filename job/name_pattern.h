// Whether a file name matches a search pattern under the rules of the platform's folder
// search: its wildcard translation and the matching of the DOS wildcards. No platform calls.
#pragma once

struct CharacterModel;

// True when name matches pattern, one component (no folder part). Characters are compared
// exactly: the caller passes both in the same case, as the file system compares them
// (upper-cased by the system). A double-byte character of the model is one character; a
// trail byte is never a wildcard or a dot.
//
// The pattern as the search takes it: trailing spaces and dots are dropped, but a final dot
// stays significant. Then '?' is DOS_QM; '*' before a '.' is DOS_STAR; a '.' before '?' or
// '*', or at the end, is DOS_DOT; '<', '>' and '"' are those wildcards themselves.
// - '*' matches any characters.
// - DOS_STAR matches any characters but the name's last '.'.
// - DOS_QM matches one character other than '.', or nothing at a '.' or at the end.
// - DOS_DOT matches a '.', or nothing at the end.
// So "*.*" matches every name, "*." the names without a dot, and "hello?.txt" also
// hello.txt. A pattern that is empty once its trailing spaces and dots are gone ("", ".",
// "..") matches every name: it names no files of its own.
bool NameMatchesPattern(const CharacterModel& model, const char* pattern, const char* name);
