#include "platform/Profile.h"

#include "tests/platform/TempLeftovers.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override { m_file = m_scratch / "settings.ini"; }

    void Put(const std::optional<std::string>& content) {
        fs::remove(m_file);
        if (content) {
            std::ofstream out(m_file, std::ios::binary);
            out << *content;
        }
    }
    std::optional<std::string> Content() const {
        std::ifstream in(m_file, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    size_t EntriesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    ScratchFolder m_scratch{"profile-test"};
    fs::path m_dir{m_scratch.Path()};
    std::string m_file;
};

struct ReadCase {
    const char* what;
    std::optional<std::string> content;
    const char* section;
    const char* key;
    const char* def;
    DWORD size;
    std::string expected;
};

TEST_F(ProfileFile, ReadsValuesTheWayTheProfileCallsDo) {
    const std::string basic = "[A]\nk=v\n";
    const std::vector<ReadCase> cases = {
        {"plain value", basic, "A", "k", "d", 64, "v"},
        {"names ignore case", "[Sect]\nKey=v\n", "sECT", "kEY", "d", 64, "v"},
        {"first key wins", "[A]\nk=1\nK=2\n", "A", "k", "d", 64, "1"},
        {"first section wins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "k", "d", 64, "1"},
        {"later duplicate section is not searched", "[A]\nk=1\n[a]\nj=3\n", "A", "j", "d", 64, "d"},
        {"blanks and tabs trimmed", "  [ A ]  \n \t k \t =  v  w \t\n", "A", "k", "d", 64, "v  w"},
        {"double quotes removed once", "[A]\nk=\"\"q\"\"\n", "A", "k", "d", 64, "\"q\""},
        {"quoted blanks kept", "[A]\nk=\"  q  \"\n", "A", "k", "d", 64, "  q  "},
        {"single quotes removed", "[A]\nk='x'\n", "A", "k", "d", 64, "x"},
        {"mismatched quotes kept", "[A]\nk=\"x'\n", "A", "k", "d", 64, "\"x'"},
        {"lone quote kept", "[A]\nk=\"\n", "A", "k", "d", 64, "\""},
        {"empty value is not absent", "[A]\nk=\n", "A", "k", "d", 64, ""},
        {"value keeps further equals signs", "[A]\nk=a=b\n", "A", "k", "d", 64, "a=b"},
        {"CRLF lines", "[A]\r\nk=v\r\nj=w\r\n", "A", "j", "d", 64, "w"},
        {"no final line break", "[A]\nk=v", "A", "k", "d", 64, "v"},
        {"byte-order mark skipped", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "d", 64, "v"},
        {"UTF-8 names and values", "[校正]\n倍率=十倍\n", "校正", "倍率", "d", 64, "十倍"},
        {"absent key gives default", basic, "A", "j", "dflt", 64, "dflt"},
        {"absent section gives default", basic, "B", "k", "dflt", 64, "dflt"},
        {"absent file gives default", std::nullopt, "A", "k", "dflt", 64, "dflt"},
        {"default loses trailing blanks", basic, "A", "j", "dd  ", 64, "dd"},
        {"null default is empty", basic, "A", "j", nullptr, 64, ""},
        {"comment is not a key", "[A]\n;k=v\n", "A", "k", "d", 64, "d"},
        {"key before any section is not found", "k=v\n[A]\n", "A", "k", "d", 64, "d"},
        {"key of another section is not found", "[A]\n[B]\nk=v\n", "A", "k", "d", 64, "d"},
        {"header without bracket is text", "[A\nk=v\n", "A", "k", "d", 64, "d"},
        {"value cut to size-1", "[A]\nk=abcdef\n", "A", "k", "d", 4, "abc"},
        {"default cut to size-1", basic, "A", "j", "abcdef", 3, "ab"},
        {"cut never splits a character", "[A]\nk=日本\n", "A", "k", "d", 5, "日"},
        {"size 1 leaves only the zero", "[A]\nk=abc\n", "A", "k", "d", 1, ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        Put(c.content);
        std::vector<char> buffer(c.size + 4, 'X');
        DWORD n = GetPrivateProfileString(c.section, c.key, c.def, buffer.data(), c.size, m_file.c_str());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(n, c.expected.size());
        EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
    }
}

struct ListCase {
    const char* what;
    std::string content;
    const char* section; // null: list the sections
    DWORD size;
    std::string expected; // with its zeros, the final one included
    DWORD result;
};

TEST_F(ProfileFile, ListsSectionsAndKeysAsDoubleZeroTerminatedText) {
    using namespace std::string_literals;
    const std::string file = "; head\n[A]\nk1=1\n;c=1\nK1=dup\nk2=\n\n[b]\nx=1\n[a]\nk3=3\n";
    const std::vector<ListCase> cases = {
        {"sections once each, first spelling", file, nullptr, 64, "A\0b\0\0"s, 4},
        {"keys of the first section", file, "a", 64, "k1\0k2\0\0"s, 6},
        {"absent section lists nothing", file, "zz", 64, "\0\0"s, 0},
        {"no sections", "k=v\n", nullptr, 64, "\0\0"s, 0},
        {"cut list still ends in two zeros", file, "A", 5, "k1\0\0\0"s, 3},
        {"exact fit", file, "A", 7, "k1\0k2\0\0"s, 6},
        {"one short of fitting", file, "A", 6, "k1\0k\0\0"s, 4},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        Put(c.content);
        std::vector<char> buffer(c.size + 4, 'X');
        DWORD n =
            GetPrivateProfileString(c.section, nullptr, "default", buffer.data(), c.size, m_file.c_str());
        EXPECT_EQ(n, c.result);
        EXPECT_EQ(std::string(buffer.data(), c.expected.size()), c.expected);
        EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
    }
}

struct WriteCase {
    const char* what;
    std::optional<std::string> before;
    const char* section;
    const char* key;
    const char* value;
    BOOL result;
    std::optional<std::string> after;
};

TEST_F(ProfileFile, WritesKeepEverythingElseInPlace) {
    const std::string two = "; settings\n[A]\nk=old\nj=2\n\n[B]\nx=1\n";
    const std::vector<WriteCase> cases = {
        {"first write creates the file", std::nullopt, "A", "k", "v", TRUE, "[A]\nk=v\n"},
        {"key replaced in place, spelling kept", two, "a", "K", "new", TRUE,
         "; settings\n[A]\nk=new\nj=2\n\n[B]\nx=1\n"},
        {"replacement keeps indentation", "[A]\n  k = old\n", "A", "k", "n", TRUE, "[A]\n  k = n\n"},
        {"leading blanks of a value do not pile up", "[A]\nk=   1|\n", "A", "k", "   2|", TRUE,
         "[A]\nk=   2|\n"},
        {"new key ends its section, before the blank line", two, "A", "n", "3", TRUE,
         "; settings\n[A]\nk=old\nj=2\nn=3\n\n[B]\nx=1\n"},
        {"new key in the last section", two, "B", "y", "2", TRUE,
         "; settings\n[A]\nk=old\nj=2\n\n[B]\nx=1\ny=2\n"},
        {"new section appended at the end", two, "C", "z", "9", TRUE,
         "; settings\n[A]\nk=old\nj=2\n\n[B]\nx=1\n[C]\nz=9\n"},
        {"new section after a file without final break", "[A]\nk=v", "B", "x", "1", TRUE,
         "[A]\nk=v\n[B]\nx=1\n"},
        {"other text kept", "junk line\n[A]\n;c\nno equals\nk=v\n", "A", "k", "w", TRUE,
         "junk line\n[A]\n;c\nno equals\nk=w\n"},
        {"CRLF file stays CRLF", "[A]\r\nk=v\r\n", "A", "j", "1", TRUE, "[A]\r\nk=v\r\nj=1\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "w", TRUE, "\xEF\xBB\xBF[A]\nk=w\n"},
        {"empty value written", two, "B", "x", "", TRUE, "; settings\n[A]\nk=old\nj=2\n\n[B]\nx=\n"},
        {"null value deletes the key", two, "A", "k", nullptr, TRUE, "; settings\n[A]\nj=2\n\n[B]\nx=1\n"},
        {"key delete removes duplicates too", "[A]\nk=1\nK=2\nj=3\n", "A", "k", nullptr, TRUE, "[A]\nj=3\n"},
        {"null key deletes the section", two, "a", nullptr, nullptr, TRUE, "; settings\n[B]\nx=1\n"},
        {"section delete removes duplicates", "[A]\nk=1\n[B]\nx=1\n[a]\nk=2\n", "A", nullptr, nullptr, TRUE,
         "[B]\nx=1\n"},
        {"deleting an absent key creates nothing", std::nullopt, "A", "k", nullptr, TRUE, std::nullopt},
        {"deleting an absent section creates nothing", std::nullopt, "A", nullptr, nullptr, TRUE,
         std::nullopt},
        {"deleting an absent key leaves the file", two, "A", "nokey", nullptr, TRUE, two},
        {"line break in value refused", two, "A", "k", "a\nb", FALSE, two},
        {"equals sign in key refused", two, "A", "k=x", "1", FALSE, two},
        {"comment-looking key refused", two, "A", ";k", "1", FALSE, two},
        {"bracket in section refused", two, "A]x", "k", "1", FALSE, two},
        {"empty key refused", two, "A", "  ", "1", FALSE, two},
        {"null section refused", two, nullptr, "k", "1", FALSE, two},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        Put(c.before);
        EXPECT_EQ(WritePrivateProfileString(c.section, c.key, c.value, m_file.c_str()), c.result);
        EXPECT_EQ(Content(), c.after);
        EXPECT_EQ(EntriesInFolder(), c.after ? 1u : 0u) << "temporary file left behind";
    }
}

TEST_F(ProfileFile, WrittenValuesReadBackAndEveryCallSeesTheFileAsItIsNow) {
    ASSERT_TRUE(WritePrivateProfileString("PARAMETER", "COMPSIZE", "640", m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("PARAMETER", "NAME", "  spaced  ", m_file.c_str()));
    char buffer[32];
    GetPrivateProfileString("parameter", "compsize", "", buffer, sizeof buffer, m_file.c_str());
    EXPECT_STREQ(buffer, "640");
    GetPrivateProfileString("PARAMETER", "NAME", "", buffer, sizeof buffer, m_file.c_str());
    EXPECT_STREQ(buffer, "spaced"); // trimmed on reading, as the profile calls do

    Put(std::string("[PARAMETER]\nCOMPSIZE=1280\n")); // changed behind our back: no cache
    GetPrivateProfileString("PARAMETER", "COMPSIZE", "", buffer, sizeof buffer, m_file.c_str());
    EXPECT_STREQ(buffer, "1280");
}

TEST_F(ProfileFile, RewriteKeepsPermissionsAndSymbolicLinks) {
    Put(std::string("[A]\nk=v\n"));
    ASSERT_EQ(chmod(m_file.c_str(), 0600), 0);
    fs::path link = m_dir / "link.ini";
    fs::create_symlink(m_file, link);
    ASSERT_TRUE(WritePrivateProfileString("A", "k", "w", link.c_str()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Content(), std::string("[A]\nk=w\n"));
    struct stat st {};
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileFile, WritesThatCannotSucceedReportFailure) {
    // A folder that does not exist: nothing to create the file in.
    std::string missing = (m_dir / "nofolder" / "x.ini").string();
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", missing.c_str()));
    EXPECT_FALSE(fs::exists(missing));
    // A path that is not a readable settings file is never replaced by a fresh one.
    fs::create_directory(m_dir / "adir");
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", (m_dir / "adir").c_str()));
    EXPECT_TRUE(fs::is_directory(m_dir / "adir"));
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", ""));
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", nullptr));
}

// A settings file that is there but cannot be read (here one too large to be a settings file) is
// never replaced by a fresh file holding only the written key: the user's settings would be lost.
TEST_F(ProfileFile, PresentButUnreadableFileIsNotReplaced) {
    Put(std::string("[A]\nk=old\n"));
    const uintmax_t size = 64 * 1024 * 1024 + 1;
    fs::resize_file(m_file, size); // sparse: nothing is stored for the tail
    char buffer[16];
    GetPrivateProfileString("A", "k", "none", buffer, sizeof buffer, m_file.c_str());
    ASSERT_STREQ(buffer, "none") << "the file must be one that is not read";
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "new", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("A", "k", nullptr, m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("A", nullptr, nullptr, m_file.c_str()));
    EXPECT_EQ(fs::file_size(m_file), size);
    std::string head(10, '\0');
    std::ifstream(m_file, std::ios::binary).read(head.data(), 10);
    EXPECT_EQ(head, "[A]\nk=old\n");
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(ProfileFile, IntegersParseLikeTheProfileCall) {
    Put(std::string("[N]\na=42\nb=-7\nc= 12abc\nd=abc\ne=\nf=99999999999\ng=-99999999999\nh=+5\n"));
    const char* f = m_file.c_str();
    EXPECT_EQ(GetPrivateProfileInt("N", "a", 3, f), 42u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("N", "b", 3, f)), -7);
    EXPECT_EQ(GetPrivateProfileInt("N", "c", 3, f), 12u);
    EXPECT_EQ(GetPrivateProfileInt("N", "d", 3, f), 0u);
    EXPECT_EQ(GetPrivateProfileInt("N", "e", 3, f), 0u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("N", "f", 3, f)), INT_MAX);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("N", "g", 3, f)), INT_MIN);
    EXPECT_EQ(GetPrivateProfileInt("N", "h", 3, f), 5u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("N", "absent", -9, f)), -9);
    EXPECT_EQ(GetPrivateProfileInt("absent", "a", 11, f), 11u);
    EXPECT_EQ(GetPrivateProfileInt("N", "a", 11, (m_dir / "none.ini").c_str()), 11u);
}

} // namespace

// A settings write killed mid-write leaves a temporary file named after the settings file and its
// process; the next write of the same file removes it, while that of a running program stays.
TEST_F(ProfileFile, AWriteRemovesWhatKilledWritesOfTheFileLeft) {
    Put(std::string("[A]\nk=v\n"));
    const pid_t ended = leftovers::EndedProcessId();
    leftovers::LiveProcess live;
    const std::string killed = leftovers::TempName(m_dir.string(), "settings.ini", ended, 4);
    const std::string running = leftovers::TempName(m_dir.string(), "settings.ini", live.Pid(), 0);
    ScratchFolder::WriteAll(killed, "[A]\nk=");
    ScratchFolder::WriteAll(running, "[A]\nk=");
    ASSERT_TRUE(WritePrivateProfileString("A", "k", "w", m_file.c_str()));
    EXPECT_EQ(Content(), std::string("[A]\nk=w\n"));
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_EQ(EntriesInFolder(), 2u);
}
