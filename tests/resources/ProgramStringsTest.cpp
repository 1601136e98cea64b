// Every string or message id the code of a program shows or loads is in that program's
// string table (resources/common and resources/<program>): a missing one would show "(id)".
#include "StringIdScanner.h"

#include "ui/resources/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace idscan;

namespace {

// The calls that take a string id as their first argument.
const std::vector<std::string> kIdCalls = {"ShowMessage", "ShowMessageById", "LoadResString", "LoadString"};

// Source folders of each program: Vantorel's capture, imaging and device code, Brelvoxa's
// viewer; both use the window layer.
const std::vector<std::string> kVantorelFolders = {"platform", "imaging", "devices", "ui", "shell", "viewer", "browser"};
const std::vector<std::string> kBrelvoxaFolders = {"ui", "viewer3d"};

// Which ids the program uses and its string table lacks; also every use the scan could not
// follow to an id.
std::string MissingStrings(const std::string& program, const std::vector<std::string>& folders,
                           const std::vector<unsigned>& knownUses) {
    const ScanResult scan = ScanIds(ReadSources(VT_SOURCE_DIR, folders), kIdCalls);
    ui::ResourceRegistry strings;
    std::string error;
    EXPECT_TRUE(strings.LoadFolder(std::string(VT_SOURCE_DIR) + "/resources/common", &error)) << error;
    EXPECT_TRUE(strings.LoadFolder(std::string(VT_SOURCE_DIR) + "/resources/" + program, &error)) << error;
    std::ostringstream out;
    for (const auto& [id, where] : scan.ids)
        if (!strings.FindString(id))
            out << "string " << id << " (used at " << where
                << ") is missing from resources/common and resources/" << program << "\n";
    for (const std::string& use : scan.unresolved)
        out << "no id can be read from " << use << ": give a number or a named constant\n";
    for (unsigned id : knownUses)
        if (!scan.ids.count(id))
            out << "the scan no longer finds the use of " << id << "\n";
    return out.str();
}

} // namespace

TEST(ProgramStrings, TheScanFollowsIdsThroughConstantsVariablesLoopsAndForwardingFunctions) {
    const std::vector<SourceFile> files = {
        MakeSource("a/Messages.h", R"SRC(
constexpr UINT kMsgMemory = 876;
enum : UINT { IDS_FIRST = 524, IDS_LAST = 526 };
void Refuse(int control, UINT message);
void Fill(int id, UINT first, UINT last);
)SRC"),
        MakeSource("a/Dialog.cpp", R"SRC(#include "a/Messages.h"
// ShowMessage(1) in a comment and "ShowMessage(2)" in a text are no uses.
int ShowMessage(UINT stringId, UINT type);
void Refuse(int control, UINT message) { ShowMessage(message, 0); }
void Fill(int id, UINT first, UINT last) {
    for (UINT s = first; s <= last; ++s)
        Append(LoadResString(s));
}
namespace {
void Local(UINT which) { ShowMessageById(static_cast<UINT>(which), 0); }
}
void Check(bool a, bool b) {
    ShowMessage(a ? 881 : kMsgMemory, MB_OK);
    int failure = 0;
    if (b)
        failure = 0x2405;
    if (failure)
        ShowMessage(failure, 0);
    for (int t = 512; t < 515; ++t)
        LoadResString(t);
    Refuse(3, 898);
    Local(9201);
    ShowMessage(m_message, 0);
}
)SRC"),
        MakeSource("b/Other.cpp", R"SRC(#include "a/Messages.h"
void Other() {
    Fill(1256, IDS_FIRST, IDS_LAST);
    Local(1); // another file's helper of the same name is not followed
}
)SRC"),
        // A function of the same name that does not see the header is another function.
        MakeSource("c/Parser.cpp", R"SRC(
bool Refuse(const std::string& why, std::string* error);
bool Parse(std::string* error) { return Refuse("bad", error); }
)SRC"),
    };
    const ScanResult scan = ScanIds(files, kIdCalls);
    std::set<unsigned> ids;
    for (const auto& [id, where] : scan.ids)
        ids.insert(id);
    EXPECT_EQ(ids, (std::set<unsigned>{512, 513, 514, 524, 525, 526, 876, 881, 898, 9201, 0x2405}));
    EXPECT_EQ(scan.ids.at(898), "a/Dialog.cpp:21") << "an id passed on is reported where it is given";
    EXPECT_EQ(scan.ids.at(525), "b/Other.cpp:3");
    ASSERT_EQ(scan.unresolved.size(), 1u);
    EXPECT_EQ(scan.unresolved[0], "a/Dialog.cpp:23: ShowMessage(m_message, 0)");
}

TEST(ProgramStrings, EveryIdVantorelUsesIsInItsStringTable) {
    // The overwrite question, the memory message and the read failure are known uses: a scan
    // that misses them is broken.
    EXPECT_EQ(MissingStrings("vantorel", kVantorelFolders, {876, 894, 9201}), "");
}

TEST(ProgramStrings, EveryIdBrelvoxaUsesIsInItsStringTable) {
    // The window layer's own validation messages are used by both programs.
    EXPECT_EQ(MissingStrings("brelvoxa", kBrelvoxaFolders, {64001}), "");
}
