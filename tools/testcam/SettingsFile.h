// A reader of the program's settings file for the test camera modules, which cannot link the
// program's own: "[section]" lines and "key=value" lines, names compared without regard to case
// and blanks around them ignored, the first key of a section counted. The file is read whole when
// the reader is made, so every frame sees the settings as they stand.
#pragma once

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace testcam {

class SettingsFile {
public:
    explicit SettingsFile(const char* path) {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return;
        exists_ = true;
        std::stringstream all;
        all << in.rdbuf();
        text_ = all.str();
    }
    bool Exists() const { return exists_; }

    // The leading decimal number of the value, `def` when the key is absent, 0 when it holds none.
    int Int(const std::string& section, const std::string& key, int def) const {
        std::istringstream lines(text_);
        std::string line;
        bool inSection = false;
        while (std::getline(lines, line)) {
            line = Trim(line);
            if (!line.empty() && line.front() == '[') {
                const size_t close = line.find(']');
                inSection = close != std::string::npos && Same(Trim(line.substr(1, close - 1)), section);
                continue;
            }
            const size_t eq = line.find('=');
            if (inSection && eq != std::string::npos && Same(Trim(line.substr(0, eq)), key))
                return std::atoi(Trim(line.substr(eq + 1)).c_str());
        }
        return def;
    }

private:
    static std::string Trim(const std::string& s) {
        const size_t b = s.find_first_not_of(" \t\r");
        if (b == std::string::npos)
            return {};
        return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
    }
    static bool Same(const std::string& a, const std::string& b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }

    bool exists_ = false;
    std::string text_;
};

} // namespace testcam
