#include "platform/Profile.h"

#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Settings files are small; anything larger than this is not one and is treated as unreadable
// rather than read into memory.
constexpr off_t kMaxProfileBytes = 64 * 1024 * 1024;

// One lock for every read-modify-write of a profile file in this process, so two threads
// writing settings at once cannot lose each other's update.
std::recursive_mutex& ProfileLock() {
    static std::recursive_mutex lock;
    return lock;
}

struct Document {
    std::vector<std::string> lines; // without line endings
    bool crlf = false;
    bool bom = false;
};

enum class LineKind { Other, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // value, trimmed and unquoted
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

ParsedLine ParseLine(std::string_view line) {
    ParsedLine p;
    std::string_view t = Trim(line);
    if (t.empty())
        return p;
    if (t.front() == ';') {
        p.kind = LineKind::Comment;
        return p;
    }
    if (t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string_view::npos) {
            p.kind = LineKind::Section;
            p.name = Trim(t.substr(1, close - 1));
        }
        return p;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return p;
    std::string_view key = Trim(t.substr(0, eq));
    if (key.empty())
        return p;
    std::string_view value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    p.kind = LineKind::Key;
    p.name = key;
    p.value = value;
    return p;
}

// Reads the file into lines. Returns false when it cannot be read (absent, unreadable or absurd).
bool LoadDocument(const char* file, Document& doc) {
    doc = Document();
    FILE* f = OpenRegularStream(file, "rb");
    if (!f)
        return false;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxProfileBytes) {
        std::fclose(f);
        return false;
    }
    std::string data;
    char chunk[8192];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        data.append(chunk, n);
        if (data.size() > static_cast<size_t>(kMaxProfileBytes)) {
            std::fclose(f);
            return false;
        }
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return false;

    std::string_view rest(data);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.bom = true;
        rest.remove_prefix(3);
    }
    size_t firstLf = rest.find('\n');
    doc.crlf = firstLf != std::string_view::npos && firstLf > 0 && rest[firstLf - 1] == '\r';
    while (!rest.empty()) {
        size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        doc.lines.emplace_back(line);
        if (lf == std::string_view::npos)
            break;
        rest.remove_prefix(lf + 1);
    }
    return true;
}

// The file that a rewrite replaces: a symbolic link is followed so that the link stays a link.
std::string RewriteTarget(const char* file) {
    struct stat st {};
    if (lstat(file, &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(file, nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return file;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

bool SaveDocument(const char* file, const Document& doc) {
    std::string data;
    if (doc.bom)
        data += "\xEF\xBB\xBF";
    const char* eol = doc.crlf ? "\r\n" : "\n";
    for (const std::string& line : doc.lines) {
        data += line;
        data += eol;
    }

    std::string target = RewriteTarget(file);
    mode_t mode = 0644;
    struct stat st {};
    if (stat(target.c_str(), &st) == 0)
        mode = st.st_mode & 07777;

    // The temporary file carries this process's id, so that the next save of the file can tell
    // the leftover of a killed save from a file that a running program is writing.
    std::string temp;
    int fd = CreateTempBeside(target, static_cast<int>(mode), temp);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, data) && fdatasync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) {
        RemoveStaleTempsBeside(target);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

// Index of the header line of the first section named `name`, or -1.
long FindSection(const Document& doc, std::string_view name) {
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        ParsedLine p = ParseLine(doc.lines[i]);
        if (p.kind == LineKind::Section && SameName(p.name, name))
            return static_cast<long>(i);
    }
    return -1;
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const Document& doc, size_t header) {
    size_t i = header + 1;
    while (i < doc.lines.size() && ParseLine(doc.lines[i]).kind != LineKind::Section)
        ++i;
    return i;
}

long FindKey(const Document& doc, size_t header, std::string_view key) {
    size_t end = SectionEnd(doc, header);
    for (size_t i = header + 1; i < end; ++i) {
        ParsedLine p = ParseLine(doc.lines[i]);
        if (p.kind == LineKind::Key && SameName(p.name, key))
            return static_cast<long>(i);
    }
    return -1;
}

// Number of bytes of `s` that fit into `room` bytes without splitting a UTF-8 sequence.
size_t FitUtf8(std::string_view s, size_t room) {
    if (s.size() <= room)
        return s.size();
    size_t n = room;
    // Step back over continuation bytes to the start of the cut character.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

DWORD CopyValue(std::string_view value, LPSTR buffer, DWORD size) {
    size_t n = FitUtf8(value, size - 1);
    if (n > 0)
        std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Writes the names as a double-zero-terminated list.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty())
            buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    // Cut: what fits of the list, then the two closing zeros.
    size_t n = FitUtf8(list, size - 2);
    std::memcpy(buffer, list.data(), n);
    std::memset(buffer + n, 0, size - n);
    return size - 2;
}

void AddUnique(std::vector<std::string>& names, std::string_view name) {
    for (const std::string& n : names)
        if (SameName(n, name))
            return;
    names.emplace_back(name);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool AcceptableSection(std::string_view s) {
    return !HasLineBreak(s) && s.find(']') == std::string_view::npos;
}

bool AcceptableKey(std::string_view k) {
    std::string_view t = Trim(k);
    return !t.empty() && !HasLineBreak(k) && k.find('=') == std::string_view::npos && t.front() != ';' &&
           t.front() != '[';
}

} // namespace

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size, LPCSTR file) {
    if (!buffer || size == 0)
        return 0;
    std::lock_guard<std::recursive_mutex> guard(ProfileLock());
    Document doc;
    bool loaded = file && LoadDocument(file, doc);

    if (!section) {
        std::vector<std::string> names;
        for (const std::string& line : doc.lines) {
            ParsedLine p = ParseLine(line);
            if (p.kind == LineKind::Section)
                AddUnique(names, p.name);
        }
        return CopyList(names, buffer, size);
    }
    long header = loaded ? FindSection(doc, section) : -1;
    if (!key) {
        std::vector<std::string> names;
        if (header >= 0) {
            size_t end = SectionEnd(doc, static_cast<size_t>(header));
            for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
                ParsedLine p = ParseLine(doc.lines[i]);
                if (p.kind == LineKind::Key)
                    AddUnique(names, p.name);
            }
        }
        return CopyList(names, buffer, size);
    }
    long line = header >= 0 ? FindKey(doc, static_cast<size_t>(header), key) : -1;
    if (line >= 0)
        return CopyValue(ParseLine(doc.lines[static_cast<size_t>(line)]).value, buffer, size);
    std::string_view d = def ? std::string_view(def) : std::string_view();
    while (!d.empty() && d.back() == ' ')
        d.remove_suffix(1);
    return CopyValue(d, buffer, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT def, LPCSTR file) {
    if (!section || !key)
        return static_cast<UINT>(def);
    std::string value;
    {
        std::lock_guard<std::recursive_mutex> guard(ProfileLock());
        Document doc;
        long header = (file && LoadDocument(file, doc)) ? FindSection(doc, section) : -1;
        long line = header >= 0 ? FindKey(doc, static_cast<size_t>(header), key) : -1;
        if (line < 0)
            return static_cast<UINT>(def);
        value = std::string(ParseLine(doc.lines[static_cast<size_t>(line)]).value);
    }
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    long long v = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        v = v * 10 + (value[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        v = -v;
    v = std::clamp<long long>(v, INT_MIN, INT_MAX);
    return static_cast<UINT>(static_cast<INT>(v));
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (!section && !key && !value)
        return TRUE; // nothing is cached, so there is nothing to flush
    if (!section || !file || !*file || !AcceptableSection(section))
        return FALSE;
    if (key && !AcceptableKey(key))
        return FALSE;
    if (key && value && HasLineBreak(value))
        return FALSE;

    std::lock_guard<std::recursive_mutex> guard(ProfileLock());
    Document doc;
    bool loaded = LoadDocument(file, doc);
    if (!loaded && access(file, F_OK) == 0)
        return FALSE; // present but unreadable: never replace it with a fresh file

    long header = loaded ? FindSection(doc, section) : -1;
    if (!key) {
        if (header < 0)
            return TRUE;
        // Remove every section of that name, so that no later duplicate shows through.
        while (header >= 0) {
            size_t end = SectionEnd(doc, static_cast<size_t>(header));
            doc.lines.erase(doc.lines.begin() + header, doc.lines.begin() + static_cast<long>(end));
            header = FindSection(doc, section);
        }
        return SaveDocument(file, doc) ? TRUE : FALSE;
    }
    if (!value) {
        if (header < 0)
            return TRUE;
        long line = FindKey(doc, static_cast<size_t>(header), key);
        if (line < 0)
            return TRUE;
        while (line >= 0) {
            doc.lines.erase(doc.lines.begin() + line);
            line = FindKey(doc, static_cast<size_t>(header), key);
        }
        return SaveDocument(file, doc) ? TRUE : FALSE;
    }

    std::string trimmedKey(Trim(key));
    if (header < 0) {
        doc.lines.push_back("[" + std::string(section) + "]");
        doc.lines.push_back(trimmedKey + "=" + value);
        return SaveDocument(file, doc) ? TRUE : FALSE;
    }
    long line = FindKey(doc, static_cast<size_t>(header), key);
    if (line >= 0) {
        // Keep the key as the file spells it and whatever indentation the line had. A value that
        // brings its own leading blanks replaces the old ones (else they would pile up on every
        // write).
        std::string& text = doc.lines[static_cast<size_t>(line)];
        size_t keep = text.find('=') + 1;
        const bool ownBlanks = value[0] == ' ' || value[0] == '\t';
        while (!ownBlanks && keep < text.size() && (text[keep] == ' ' || text[keep] == '\t'))
            ++keep;
        text = text.substr(0, keep) + value;
    } else {
        // After the last non-blank line of the section, so blank separators stay before the
        // next section.
        size_t end = SectionEnd(doc, static_cast<size_t>(header));
        size_t at = end;
        while (at > static_cast<size_t>(header) + 1 && Trim(doc.lines[at - 1]).empty())
            --at;
        doc.lines.insert(doc.lines.begin() + static_cast<long>(at), trimmedKey + "=" + value);
    }
    return SaveDocument(file, doc) ? TRUE : FALSE;
}
