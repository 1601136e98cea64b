// Private-profile (INI) files: sections of "key=value" lines, read and written the way the
// Windows profile calls behave, so that settings code written against them works unchanged.
//
// - Section and key names compare case-insensitively (ASCII letters); the first match wins.
// - Keys and values are trimmed of blanks and tabs; one pair of matching surrounding quotes
//   (" or ') is removed from a value.
// - Lines starting with ';' are comments. Comments, blank lines and any other text are kept
//   when the file is rewritten.
// - Every call reads or writes the file itself; nothing is cached between calls.
// - A write rewrites the whole file atomically (a temporary file in the same folder, then a
//   rename), creating the file on the first write. New sections go to the end of the file,
//   new keys to the end of their section, and an existing key is replaced in place. The
//   temporary file is named as the file writers name theirs (CreateTempBeside), and a write
//   removes those that killed writes of the same file left (RemoveStaleTempsBeside).
// - CRLF and LF files are both read; a rewrite keeps the line ending style of the file (LF for
//   a new file). Text is UTF-8 and a leading byte-order mark is kept.
#pragma once

#include "platform/WinTypes.h"

// Copies the value of `key` in `section` into `buffer` (at most size-1 bytes and a zero, cut on
// a UTF-8 character boundary) and returns the number of bytes copied without the zero. When the
// key or the file is absent, `def` (null meaning "") is copied instead, without its trailing
// blanks.
// With `section` null, the buffer receives the names of all sections; with `key` null, the
// names of all keys of the section; each name ends in a zero and the list ends in a second
// zero. A list that does not fit is cut so that it still ends in two zeros, and size-2 is
// returned. A null buffer or a size of 0 returns 0.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size, LPCSTR file);

// The value of the key as a decimal integer (optional sign, leading digits, clamped to the
// range of INT); `def` when the key or the file is absent; 0 when the value has no leading
// digits. Returned as UINT bits, so a negative value reads back through a cast to int.
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT def, LPCSTR file);

// Sets `key` in `section` to `value`. A null `value` deletes the key, a null `key` deletes the
// whole section (nothing is created in either case). Names or values that would break the line
// structure of the file (line breaks, '=' in a key, ']' in a section name, a key starting with
// ';' or '[', an empty key) are refused. Returns FALSE when the arguments are refused or the
// file cannot be written; TRUE otherwise (also when there was nothing to delete).
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
