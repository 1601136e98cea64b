// A scratch folder for one test, removed with everything in it at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "platform-test-XXXXXX").string();
        if (char* p = ::mkdtemp(tmpl.data()))
            path_ = p;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    static std::string ReadAll(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteAll(const std::string& file, const std::string& data) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << data;
    }
    // Names in the folder, for checking that no temporary file was left behind.
    size_t EntryCount() const {
        size_t n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(path_))
            ++n;
        return n;
    }

private:
    std::string path_;
};
