// What the desktop knows about files: the type name that a file browser shows for a file.
#pragma once

#include <string>

// The type name of the file from the MIME database ("PNG image" …); for a type the database
// does not know, the extension in upper case and " File" ("TMP File"), or "File" without one.
// A folder that exists gets the folder type's name.
std::string GetFileTypeName(const std::string& path);
