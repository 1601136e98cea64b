// Finds the string and message ids a program's source uses: the ids handed to the calls that
// show a message box or load a string by id, followed through named constants, local
// variables, loop ranges and the functions that pass an id of their caller on. A name of the
// generated id headers (vtid::str::NoPictures) is checked by the compiler already; the scan
// takes its number from the header, so what it follows beyond that are ids held as data: numbers
// in constants, variables, loops and the arguments of functions that pass them on.
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

// The names of generated id headers (ids/VantorelIds.h ...) with their numbers, fully
// qualified: "vtid::str::NoPictures" -> 870.
using GeneratedIds = std::map<std::string, unsigned>;

// Reads the names of generated id headers; a header that cannot be read is left out of the map
// (and named in missing when given).
GeneratedIds ReadIdHeaders(const std::vector<std::string>& paths,
                           std::vector<std::string>* missing = nullptr);
// The names of one header's text.
void ReadIdHeaderText(const std::string& text, GeneratedIds& out);

// Reads every .cpp and .h below the folders (relative to root); missing folders are skipped.
std::vector<SourceFile> ReadSources(const std::string& root, const std::vector<std::string>& folders);

// Blanks comments and the contents of string and character literals, keeping every line break
// so that positions still give line numbers.
std::string StripCommentsAndLiterals(const std::string& text);

// The ids used through the calls named in `calls` (first argument is the id) and through every
// function found to pass one of its parameters on to such a call. A name of `generated` stands
// for its number, written in full or after a namespace alias or using-directive ("str::Saved",
// "Saved": the string names are taken first when a short name fits several).
ScanResult ScanIds(const std::vector<SourceFile>& files, const std::vector<std::string>& calls,
                   const GeneratedIds& generated = {});

} // namespace idscan
