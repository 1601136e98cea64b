// Finds the string and message ids a program's source uses: the ids handed to the calls that
// show a message box or load a string by id, followed through named constants, local
// variables, loop ranges and the functions that pass an id of their caller on.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace idscan {

struct SourceFile {
    std::string path;                  // relative to the scanned root
    std::string code;                  // comments blanked, string and character literals emptied
    std::vector<std::string> includes; // the quoted #include paths
};

// A source file of the given text.
SourceFile MakeSource(const std::string& path, const std::string& text);

struct ScanResult {
    // Every id found, with the first place it is used ("file:line").
    std::map<unsigned, std::string> ids;
    // Uses whose id could not be worked out, with their place and expression.
    std::vector<std::string> unresolved;
};

// Reads every .cpp and .h below the folders (relative to root); missing folders are skipped.
std::vector<SourceFile> ReadSources(const std::string& root, const std::vector<std::string>& folders);

// Blanks comments and the contents of string and character literals, keeping every line break
// so that positions still give line numbers.
std::string StripCommentsAndLiterals(const std::string& text);

// The ids used through the calls named in `calls` (first argument is the id) and through every
// function found to pass one of its parameters on to such a call.
ScanResult ScanIds(const std::vector<SourceFile>& files, const std::vector<std::string>& calls);

} // namespace idscan
