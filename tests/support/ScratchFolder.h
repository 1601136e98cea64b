// A fresh folder for one test under the system's temporary folder, removed with everything in it
// when the object ends. Every test that writes files uses one, so that parallel test processes
// never share a name and nothing is left behind.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class ScratchFolder {
public:
    // prefix names the folder ("<tmp>/<prefix>-XXXXXX") so that a leftover shows whose it is.
    explicit ScratchFolder(const std::string& prefix = "vt-test") {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(tmpl.data()))
            throw std::runtime_error("cannot make a temporary folder from " + tmpl);
        path_ = tmpl;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Writes bytes to a name inside the folder (sub folders are made) and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = *this / name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteAll(path, bytes);
        return path;
    }
    // Names directly in the folder, for checking that no temporary file was left behind.
    size_t EntryCount() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path_))
            ++n;
        return n;
    }

    static std::string ReadAll(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteAll(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out)
            throw std::runtime_error("cannot write " + file);
    }

private:
    std::string path_;
};
