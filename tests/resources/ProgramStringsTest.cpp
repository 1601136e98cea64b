// Every string or message id the code of a program shows or loads is in that program's
// string table (resources/common and resources/<program>): a missing one would show "(id)".
// A name of the id headers is checked by the compiler; the scan follows what it cannot see,
// ids held as data, and takes the names' numbers from the headers of the build.
#include "StringIdScanner.h"

#include "tools/resgen/IdHeader.h"
#include "ui/resources/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace idscan;

namespace {

// The calls that take a string id as their first argument.
const std::vector<std::string> kIdCalls = {"ShowMessage", "ShowMessageById", "LoadResString", "LoadString"};

// Source folders of each program: Vantorel's capture, imaging and device code, Brelvoxa's
// viewer; both use the window layer.
const std::vector<std::string> kVantorelFolders = {"imaging", "devices", "ui", "shell", "viewer", "browser"};
const std::vector<std::string> kBrelvoxaFolders = {"ui", "viewer3d"};

// Which ids the program uses and its string table lacks; also every use the scan could not
// follow to an id. header: the program's generated id header (beside the shared one).
std::string MissingStrings(const std::string& program, const std::string& header,
                           const std::vector<std::string>& folders, const std::vector<unsigned>& knownUses) {
    const std::string ids = std::string(VT_BINARY_DIR) + "/generated/ids/";
    std::vector<std::string> missingHeaders;
    const GeneratedIds generated = ReadIdHeaders({ids + "CommonIds.h", ids + header}, &missingHeaders);
    EXPECT_TRUE(missingHeaders.empty()) << missingHeaders[0];
    const ScanResult scan = ScanIds(ReadSources(VT_SOURCE_DIR, folders), kIdCalls, generated);
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
        out << "no id can be read from " << use << ": give a name of the id headers or a named constant\n";
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

// Names of the generated headers stand for their numbers: written in full, given to a constant,
// after a namespace alias, in an array or a braced list a loop runs over, or handed on as data; a
// name the headers lack is a use the scan cannot follow (the compiler refuses it too).
TEST(ProgramStrings, TheScanTakesTheNumbersOfTheIdHeadersNames) {
    std::vector<ui::ResourceName> names;
    ASSERT_TRUE(ui::ReadResourceNamesFromText(
        "STRINGTABLE\n870 NoPictures \"a\"\n871 Saved \"b\"\n"
        "872 Stopped \"c\"\n873 UnitPixel \"px\"\n874 UnitMicron \"um\"\n"
        "875 UnitMm \"mm\"\n880 BmpPattern \"*.bmp\"\n881 DibPattern \"*.dib\"\n"
        "882 AreaLabel \"a\"\n883 PerimeterLabel \"p\"\n884 Closed \"c\"\n885 Opened \"o\"\nEND\nCOMMAND "
        "57603 SaveImage\n"
        "DIALOG 5 Box 0 0 9 9 \"\"\n LTEXT 1042 Saved \"\" 1 1 1 1\nEND\n",
        "", "v.txt", names));
    IdHeader header("vtid", "resources/vantorel/");
    header.Add("v.txt", names);
    std::string text;
    std::vector<std::string> errors;
    ASSERT_TRUE(header.Render(text, errors));
    GeneratedIds generated;
    ReadIdHeaderText(text, generated);
    EXPECT_EQ(generated.at("vtid::str::NoPictures"), 870u);
    EXPECT_EQ(generated.at("vtid::Box::Saved"), 1042u);
    EXPECT_EQ(generated.size(), 15u);

    const std::vector<SourceFile> files = {
        MakeSource("a/Messages.h",
                   "constexpr UINT kMsgStopped = vtid::str::Stopped;\n"
                   "constexpr UINT kFirstUnit = vtid::str::UnitPixel, kLastUnit = vtid::str::UnitMm;\n"),
        MakeSource("a/Use.cpp", R"SRC(#include "a/Messages.h"
namespace str = vtid::str;
void Tell(UINT message) { ShowMessage(message, MB_OK); }
void Use() {
    ShowMessage(vtid::str::NoPictures, MB_OK);
    ShowMessage(str::Saved, MB_OK);
    Tell(kMsgStopped);
    LoadString(vtid::cmd::SaveImage); // a command's prompt: its string is looked for too
    ShowMessage(vtid::str::Gone, MB_OK);
}
void Tables(int index) {
    constexpr UINT kPatterns[2] = {vtid::str::BmpPattern, vtid::str::DibPattern};
    LoadString(kPatterns[index]);
    for (UINT id = kFirstUnit; id <= kLastUnit; ++id)
        LoadString(id);
    for (const UINT& id : {vtid::str::AreaLabel, vtid::str::PerimeterLabel}) {
        LoadString(id);
    }
    const UINT id = vtid::str::Closed; // after the loops: neither loop's id
    LoadString(id);
}
void Say(UINT id) { LoadString(id); } // a parameter, not the local constant of Tables
void Other() { Say(vtid::str::Opened); }
)SRC"),
    };
    const ScanResult scan = ScanIds(files, kIdCalls, generated);
    std::set<unsigned> ids;
    for (const auto& [id, where] : scan.ids)
        ids.insert(id);
    // str::Saved is the string, not the control.
    EXPECT_EQ(ids, (std::set<unsigned>{870, 871, 872, 873, 874, 875, 880, 881, 882, 883, 884, 885, 57603}));
    EXPECT_EQ(scan.ids.at(872), "a/Use.cpp:7");
    EXPECT_EQ(scan.ids.at(874), "a/Use.cpp:15");
    EXPECT_EQ(scan.ids.at(882), "a/Use.cpp:17");
    EXPECT_EQ(scan.ids.at(884), "a/Use.cpp:20");
    EXPECT_EQ(scan.ids.at(885), "a/Use.cpp:23");
    ASSERT_EQ(scan.unresolved.size(), 1u);
    EXPECT_EQ(scan.unresolved[0], "a/Use.cpp:9: ShowMessage(vtid::str::Gone, MB_OK)");
}

TEST(ProgramStrings, EveryIdVantorelUsesIsInItsStringTable) {
    // The overwrite question, the memory message and the read failure are known uses: a scan
    // that misses them is broken.
    EXPECT_EQ(MissingStrings("vantorel", "VantorelIds.h", kVantorelFolders, {876, 894, 9201}), "");
}

TEST(ProgramStrings, EveryIdBrelvoxaUsesIsInItsStringTable) {
    // The window layer's own validation messages are used by both programs.
    EXPECT_EQ(MissingStrings("brelvoxa", "BrelvoxaIds.h", kBrelvoxaFolders, {64001}), "");
}
