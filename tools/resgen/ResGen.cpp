// resgen <namespace> <header> <resource folder>
// Writes the header of id names of one resource folder (every *.txt there, in name order, read by
// the registry's own reader). The header is rewritten only when its text changes, so that editing
// a bundle without touching a name rebuilds nothing. Faults are printed as "file:line: reason" and
// fail the build; so does a file the programs could not load.
#include "tools/resgen/IdHeader.h"
#include "ui/resources/ResourceRegistry.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Writes beside the target and renames, so that a compile never sees half a header.
bool writeIfChanged(const fs::path& path, const std::string& text) {
    std::error_code ec;
    if (fs::exists(path, ec) && readAll(path) == text)
        return true;
    fs::create_directories(path.parent_path(), ec);
    const fs::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    fs::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: resgen <namespace> <header> <resource folder>\n";
        return 2;
    }
    const std::string space = argv[1];
    const fs::path header = argv[2], folder = argv[3];
    // The folder as the programs load it: the same errors, an id defined in two files among them.
    ui::ResourceRegistry registry;
    std::string error;
    if (!registry.LoadFolder(folder.string(), &error, true)) {
        std::cerr << error << "\n";
        return 1;
    }
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".txt")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    IdHeader ids(space, "resources/" + folder.filename().string() + "/");
    for (const auto& file : files) {
        std::vector<ui::ResourceName> names;
        if (!ui::ReadResourceNames(file, names, &error)) {
            std::cerr << error << "\n";
            return 1;
        }
        ids.Add(file, names);
    }
    std::string text;
    std::vector<std::string> errors;
    if (!ids.Render(text, errors)) {
        for (const auto& e : errors)
            std::cerr << e << "\n";
        return 1;
    }
    if (!writeIfChanged(header, text)) {
        std::cerr << header.string() << ": cannot write\n";
        return 1;
    }
    return 0;
}
