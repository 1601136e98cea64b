// The resource text format, replacement rules and the language bundle lookup.
#include "ids/CommonIds.h"
#include "ids/VantorelIds.h"
#include "ui/resources/ResourceNames.h"
#include "ui/resources/ResourceRegistry.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

using namespace ui;

namespace {

const char* kFull = R"RES(# comment line
STRING 9201 "データを読み込めません。"  # trailing comment
STRINGTABLE
894 "%1\n\nファイルが既に存在します。　上書きしますか？"
0x200 "*.bmp"
77 "quote \" backslash \\ tab\t#not a comment"
END
DIALOG 35 0 0 187 61 "フォーカス合成中" RESIZE
  FONT 10 "Noto Sans CJK JP"
  PROGRESS 36 "" 7 12 173 12
  PUSHBUTTON 2 "ｷｬﾝｾﾙ" 68 36 50 15 disabled Hidden
  LTEXT -1 "ラベル" 1 2 3 4
END
MENU 186
  POPUP "ファイル(&F)"
    ITEM 57603 "画像保存(&S)\tCtrl+S" CHECKED
    SEPARATOR
    POPUP "並べ替え"
      ITEM 29 "高さ順" RADIO
    END
  END
  POPUP "ヘルプ"
  END
END
ACCELERATORS 105
  "Ctrl+S" 57603
  "F5" 32800
END
IMAGE 107 "images/start.png"
ICON 230 "@ABS@"
CURSOR 104 "drag.png" 8 9
)RES";

// Ids of the entries above, as the registry is asked for them (0x200 is read as 512).
constexpr UINT kParsedString = 9201;
constexpr UINT kParsedTableString = 894;
constexpr UINT kHexString = 512;
constexpr int kParsedMenu = 186;
constexpr int kParsedCommand = 57603;
constexpr int kParsedKeys = 105;
constexpr int kParsedImage = 107;
constexpr int kParsedIcon = 230;
constexpr int kParsedCursor = 104;

TEST(ResourceRegistry, ReadsEveryKindOfEntry) {
    ScratchFolder res("vt-res"), other("vt-res-abs");
    res.Write("images/start.png", "png");
    res.Write("drag.png", "png");
    const std::string up = other.Write("up.png", "png");
    std::string text = kFull;
    text.replace(text.find("@ABS@"), 5, up);
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText(text, res.Path(), "full", &error)) << error;
    EXPECT_EQ(reg.LoadString(kParsedString), "データを読み込めません。");
    EXPECT_EQ(reg.LoadString(kParsedTableString), "%1\n\nファイルが既に存在します。　上書きしますか？");
    EXPECT_EQ(reg.LoadString(kHexString), "*.bmp");
    EXPECT_EQ(reg.LoadString(77), "quote \" backslash \\ tab\t#not a comment");
    EXPECT_EQ(reg.FindString(1), nullptr);

    const DialogTemplate* d = reg.FindDialog(35);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "フォーカス合成中");
    EXPECT_EQ(d->rect.right, 187);
    EXPECT_EQ(d->rect.bottom, 61);
    EXPECT_TRUE(d->HasStyle("RESIZE"));
    EXPECT_EQ(d->fontPoints, 10);
    ASSERT_EQ(d->controls.size(), 3u);
    const ControlTemplate* cancel = d->FindControl(2);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->kind, "PUSHBUTTON");
    EXPECT_EQ(cancel->text, "ｷｬﾝｾﾙ");
    EXPECT_EQ(cancel->rect.left, 68);
    EXPECT_EQ(cancel->rect.top, 36);
    EXPECT_EQ(cancel->rect.right, 118);
    EXPECT_EQ(cancel->rect.bottom, 51);
    EXPECT_TRUE(cancel->HasStyle("DISABLED")); // style words are case-insensitive
    EXPECT_TRUE(cancel->HasStyle("HIDDEN"));
    EXPECT_EQ(d->controls[2].id, -1);

    const MenuTemplate* m = reg.FindMenu(kParsedMenu);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->items.size(), 2u);
    const auto& file = m->items[0];
    EXPECT_EQ(file.kind, MenuItemTemplate::Popup);
    ASSERT_EQ(file.children.size(), 3u);
    EXPECT_EQ(file.children[0].id, kParsedCommand);
    EXPECT_EQ(file.children[0].text, "画像保存(&S)\tCtrl+S");
    EXPECT_EQ(file.children[1].kind, MenuItemTemplate::Separator);
    ASSERT_EQ(file.children[2].children.size(), 1u);
    EXPECT_EQ(file.children[2].children[0].id, 29);
    EXPECT_TRUE(m->items[1].children.empty());

    const auto* acc = reg.FindAccelerators(kParsedKeys);
    ASSERT_NE(acc, nullptr);
    ASSERT_EQ(acc->size(), 2u);
    EXPECT_EQ((*acc)[1].key, "F5");
    EXPECT_EQ((*acc)[1].command, 32800);

    ASSERT_NE(reg.FindImage(kParsedImage), nullptr);
    EXPECT_EQ(reg.FindImage(kParsedImage)->path, res / "images/start.png");
    EXPECT_EQ(reg.FindIcon(kParsedIcon)->path, up);
    EXPECT_EQ(reg.FindIcon(kParsedImage), nullptr); // icons and bitmaps are separate tables
    EXPECT_EQ(reg.FindCursor(kParsedCursor)->hotX, 8);
    EXPECT_EQ(reg.FindCursor(kParsedCursor)->hotY, 9);
}

TEST(ResourceRegistry, ErrorsNameTheLineAndLeaveNothingHalfRead) {
    struct Case {
        const char* text;
        const char* where;
    } cases[] = {
        {"STRING 1 \"ok\"\nSTRING 2 \"open\n", "f:2:"},
        {"STRINGTABLE\n1 \"a\"\n", "f:2:"},                                     // no END
        {"DIALOG 5 0 0 10 10 \"x\"\n PUSHBUTTON 1 \"a\" 1 2 3\nEND\n", "f:2:"}, // rectangle short
        {"DIALOG 5 0 0 -10 10 \"x\"\nEND\n", "f:1:"},                           // negative size
        {"STRING 12abc \"x\"\n", "f:1:"},
        {"STRING 1 \"bad \\q escape\"\n", "f:1:"},
        {"WIDGET 3\n", "f:1:"},
        {"MENU 1\n ITEM 2 \"a\"\n BOGUS\nEND\n", "f:3:"},
        {"STRINGTABLE\n1 \"a\" extra\nEND\n", "f:2:"},
        {"TOOLBAR 141 \"t.png\" 16 15\n BUTTON 0\nEND\n", "f:2:"}, // command 0
        {"TOOLBAR 141 \"t.png\" 0 15\nEND\n", "f:1:"},             // no button width
    };
    ScratchFolder res("vt-res");
    res.Write("t.png", "png");
    for (const auto& c : cases) {
        ResourceRegistry reg;
        ASSERT_TRUE(reg.LoadText("STRING 900 \"before\"\n", "", "pre"));
        std::string error;
        EXPECT_FALSE(reg.LoadText(c.text, res.Path(), "f", &error)) << c.text;
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.text << " -> " << error;
        EXPECT_EQ(reg.StringCount(), 1u) << c.text;
        EXPECT_EQ(reg.DialogCount(), 0u);
    }
}

// What the reader refuses beyond plain syntax: each error names the file and the line, and the
// file adds nothing.
TEST(ResourceRegistry, StrictErrorsNameTheFileAndTheLine) {
    struct Case {
        const char* kind;
        const char* text;
        int line;
        const char* reason;
    } cases[] = {
        {"unknown control kind",
         "DIALOG 5 0 0 100 50 \"x\"\n LTEXT -1 \"a\" 1 1 9 9\n SCROLLBAR 7 \"\" 1 1 9 9\nEND\n", 3,
         "unknown control kind SCROLLBAR"},
        {"unknown style", "DIALOG 5 0 0 100 50 \"x\"\n EDITTEXT 7 \"\" 1 1 9 9 READONLY TABSTOP\nEND\n", 2,
         "unknown style TABSTOP of EDITTEXT"},
        {"style of another kind", "DIALOG 5 0 0 100 50 \"x\"\n PUSHBUTTON 7 \"\" 1 1 9 9 MULTILINE\nEND\n", 2,
         "unknown style MULTILINE of PUSHBUTTON"},
        {"quoted style", "DIALOG 5 0 0 100 50 \"x\"\n LTEXT 7 \"a\" 1 1 9 9 \"SUNKEN\"\nEND\n", 2,
         "unknown style"},
        {"unknown dialog style", "\n\nDIALOG 5 0 0 100 50 \"x\" MODAL\nEND\n", 3,
         "unknown style MODAL of DIALOG"},
        {"unknown menu item style", "MENU 1\n POPUP \"a\"\n  ITEM 2 \"b\" BOLD\n END\nEND\n", 3,
         "unknown style BOLD of ITEM"},
        {"duplicate control id",
         "DIALOG 5 0 0 100 50 \"x\"\n LTEXT 1001 \"a\" 1 1 9 9\n LTEXT -1 \"b\" 1 1 9 9\n"
         " LTEXT -1 \"c\" 1 1 9 9\n EDITTEXT 1001 \"\" 1 1 9 9\nEND\n",
         5, "duplicate control id 1001 (first on line 2)"},
        {"malformed id", "STRING 12abc \"x\"\n", 1, "malformed number 12abc"},
        {"malformed hexadecimal", "DIALOG 5 0 0 100 50 \"x\"\n PUSHBUTTON 0x \"\" 1 1 9 9\nEND\n", 2,
         "malformed number 0x"},
        {"malformed size", "DIALOG 5 0 0 100 50 \"x\"\n LTEXT -1 \"a\" 1 2 3 1e3\nEND\n", 2,
         "malformed number 1e3"},
        {"number beyond 32 bits", "STRING 4294967296 \"x\"\n", 1, "malformed number 4294967296"},
        {"bitmap without an image id", "DIALOG 5 0 0 100 50 \"x\"\n BITMAP 9 \"start\" 1 1 9 9\nEND\n", 2,
         "image id"},
        {"position out of range", "DIALOG 5 0 0 100 50 \"x\"\n LTEXT -1 \"a\" 40000 1 9 9\nEND\n", 2,
         "out of range"},
        {"missing image", "IMAGE 107 \"images/start.png\"\n", 1, "missing image file"},
        {"missing icon", "STRING 1 \"a\"\nICON 230 \"up.png\"\n", 2, "missing icon file"},
        {"missing cursor", "CURSOR 104 \"drag.cur\" 8 9\n", 1, "missing cursor file"},
        {"missing tool bar strip", "TOOLBAR 141 \"bar.png\" 16 15\n BUTTON 5\nEND\n", 1,
         "missing image strip file"},
        {"missing data", "DATA 4701 \"table.bin\"\n", 1, "missing data file"},
        {"words left over", "STRING 1 \"a\" b\n", 1, "unexpected b"},
        // Names after the ids.
        {"name on id -1", "DIALOG 5 Box 0 0 100 50 \"x\"\n LTEXT -1 Label \"a\" 1 1 9 9\nEND\n", 2,
         "id -1 takes no name"},
        {"bad character", "STRINGTABLE\n870 No-Pictures \"x\"\nEND\n", 2, "bad name No-Pictures"},
        {"non-ASCII name", "STRING 870 枚数 \"x\"\n", 1, "bad name"},
        {"two names", "STRING 870 NoPictures Again \"x\"\n", 1, "expected quoted string"},
        {"name after the text", "MENU 1\n POPUP \"a\"\n  ITEM 2 \"b\" SaveImage\n END\nEND\n", 3,
         "unknown style SaveImage of ITEM"},
        {"command without a name", "COMMAND 32701\n", 1, "expected the name of command 32701"},
        {"command with a bad name", "COMMAND 32701 Start.Capture\n", 1, "bad name Start.Capture"},
        {"command id zero", "COMMAND 0 Nothing\n", 1, "command id must be positive"},
        {"words after a command", "COMMAND 32701 StartCapture now\n", 1, "unexpected now"},
        {"command inside a dialog", "DIALOG 5 0 0 100 50 \"x\"\n COMMAND 7 Go\nEND\n", 2,
         "unknown control kind COMMAND"},
        {"name in an accelerator line", "ACCELERATORS 1\n \"F5\" 32800 Refresh\nEND\n", 2,
         "unexpected Refresh"},
        {"name of a tool bar button", "TOOLBAR 1 \"t.png\" 16 15\n BUTTON 5 Go\nEND\n", 2, "unexpected Go"},
    };
    ScratchFolder res("vt-strict");
    res.Write("t.png", "png");
    for (const auto& c : cases) {
        const std::string path = res.Write("case.txt", c.text);
        ResourceRegistry reg;
        std::string error;
        EXPECT_FALSE(reg.LoadFile(path, &error)) << c.kind;
        const std::string where = path + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(error.rfind(where, 0), 0u) << c.kind << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.kind << ": " << error;
        EXPECT_EQ(reg.StringCount() + reg.DialogCount(), 0u) << c.kind;
        // The reader of the names for the id headers refuses the file alike.
        std::vector<ResourceName> names;
        std::string namesError;
        EXPECT_FALSE(ReadResourceNames(path, names, &namesError)) << c.kind;
        EXPECT_EQ(namesError, error) << c.kind;
        EXPECT_TRUE(names.empty()) << c.kind;
        // The same file in a folder makes the folder fail, naming the file.
        std::string folderError;
        EXPECT_FALSE(reg.LoadFolder(res.Path(), &folderError)) << c.kind;
        EXPECT_EQ(folderError, error) << c.kind;
    }
    // What the strict reader still takes: decimal with leading zeros, -1 twice, files that exist.
    res.Write("case.txt", "");
    res.Write("up.png", "png");
    const std::string good = res.Write(
        "good.txt",
        "STRING 010 \"ten\"\nICON 230 \"up.png\"\nDIALOG 5 0 0 100 50 \"x\" resize\n"
        " LTEXT -1 \"a\" 1 1 9 9\n LTEXT -1 \"b\" 1 1 9 9\n BITMAP 6 \"0x6B\" 1 1 9 9 sunken\nEND\n");
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadFile(good, &error)) << error;
    EXPECT_EQ(reg.LoadString(10), "ten");
    EXPECT_EQ(reg.FindDialog(5)->controls.size(), 3u);

    // One id in two files of a folder: the folder fails naming the later file and the id.
    res.Write("other.txt", "STRING 10 \"again\"\n");
    ResourceRegistry folder;
    EXPECT_FALSE(folder.LoadFolder(res.Path(), &error, true));
    EXPECT_EQ(error, res.Path() + "/other.txt: string 10 is defined in another file of the folder too");
}

// The table of control kinds and styles in resources/README.md is the one the reader uses, and
// every kind with every style it lists loads.
TEST(ResourceRegistry, ReadmeTableOfKindsAndStylesIsTheReadersTable) {
    std::ifstream in(std::string(VT_SOURCE_DIR) + "/resources/README.md");
    ASSERT_TRUE(in);
    const std::regex word("`([A-Z0-9]+)`");
    auto wordsIn = [&](const std::string& cell) {
        std::set<std::string> out;
        for (std::sregex_iterator it(cell.begin(), cell.end(), word), end; it != end; ++it)
            out.insert((*it)[1]);
        return out;
    };
    std::map<std::string, std::set<std::string>> readme;
    std::set<std::string> everyControl;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| kind |", 0) == 0) {
            inTable = true;
            continue;
        }
        if (inTable && line.rfind("|", 0) != 0)
            inTable = false;
        if (inTable && line.rfind("|---", 0) != 0) {
            const size_t first = line.find('|', 1), last = line.rfind('|', line.size() - 2);
            ASSERT_NE(first, std::string::npos) << line;
            const std::set<std::string> styles = wordsIn(line.substr(last));
            for (const std::string& kind : wordsIn(line.substr(0, first)))
                readme[kind] = styles;
        }
        if (line.rfind("Every control takes", 0) == 0)
            everyControl = wordsIn(line.substr(0, line.find('.')));
    }
    std::map<std::string, std::set<std::string>> parser;
    for (const auto& [kind, styles] : KnownControlStyles())
        parser[kind] = std::set<std::string>(styles.begin(), styles.end());
    EXPECT_EQ(readme, parser);
    EXPECT_EQ(everyControl,
              std::set<std::string>(StylesOfEveryControl().begin(), StylesOfEveryControl().end()));

    std::string text = "DIALOG 5 0 0 200 200 \"all\"\n";
    int id = 100;
    for (const auto& [kind, styles] : parser) {
        text += " " + kind + " " + std::to_string(id++) + " \"1\" 1 1 20 10 DISABLED HIDDEN";
        for (const auto& s : styles)
            text += " " + s;
        text += "\n";
    }
    text += "END\n";
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText(text, "", "all", &error)) << error;
    EXPECT_EQ(reg.FindDialog(5)->controls.size(), parser.size());
}

TEST(ResourceRegistry, ToolbarsAndDataBlocksAreReadAndMerged) {
    constexpr int kParsedBar = 141; // the ids of the entries of the texts below
    constexpr int kParsedData = 4701;
    ScratchFolder scratch("vt-data");
    const std::filesystem::path dir = scratch.Path();
    std::string bytes("\x00\x01\xff\x80\x00", 5);
    scratch.Write("table.bin", bytes);
    scratch.Write("bar.png", "png");
    scratch.Write("other.png", "png");
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText("TOOLBAR 141 \"bar.png\" 16 15\n BUTTON 32811\n SEPARATOR\n BUTTON 0x8044\nEND\n"
                             "DATA 4701 \"table.bin\"\n",
                             dir.string(), "t", &error))
        << error;
    const ToolbarTemplate* bar = reg.FindToolbar(kParsedBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->bitmapPath, (dir / "bar.png").string());
    EXPECT_EQ(bar->buttonWidth, 16);
    EXPECT_EQ(bar->commands, (std::vector<int>{32811, 0, 0x8044}));
    EXPECT_EQ(bar->ButtonCount(), 2u);
    const std::vector<BYTE>* data = reg.FindData(kParsedData);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data->begin(), data->end()), bytes);

    ResourceRegistry bundle;
    ASSERT_TRUE(bundle.LoadText("TOOLBAR 141 \"other.png\" 20 20\n BUTTON 5\nEND\n", dir.string(), "b"));
    reg.MergeFrom(bundle);
    EXPECT_EQ(reg.FindToolbar(kParsedBar)->commands, std::vector<int>{5});
    EXPECT_NE(reg.FindData(kParsedData), nullptr);
}

TEST(ResourceRegistry, LaterEntriesReplaceAndMergeKeepsTheRest) {
    ResourceRegistry own;
    ASSERT_TRUE(own.LoadText("STRING 1 \"own one\"\nSTRING 2 \"own two\"\nDIALOG 35 0 0 10 10 \"own\"\nEND\n",
                             "", "own"));
    ResourceRegistry bundle;
    ASSERT_TRUE(bundle.LoadText("STRING 2 \"bundle two\"\nDIALOG 35 0 0 20 20 \"bundle\"\nEND\n", "", "b"));
    own.MergeFrom(bundle);
    EXPECT_EQ(own.LoadString(1), "own one");
    EXPECT_EQ(own.LoadString(2), "bundle two");
    EXPECT_EQ(own.FindDialog(35)->caption, "bundle");
    ASSERT_TRUE(own.LoadText("STRING 1 \"again\"\n", "", "c"));
    EXPECT_EQ(own.LoadString(1), "again");
}

class BundleFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "QV_l_test");
        saved = Resources();
        ASSERT_TRUE(Resources().LoadText("STRING 1 \"own\"\nSTRING 2 \"own two\"\n", "", "own"));
    }
    void TearDown() override { Resources() = saved; }
    void write(const std::string& name, const std::string& text) { scratch.Write("QV_l_test/" + name, text); }
    ScratchFolder scratch{"vt-bundle"};
    std::filesystem::path dir{scratch.Path()};
    ResourceRegistry saved;
};

TEST_F(BundleFolder, ReadsAllTextFilesInNameOrderAndTakesPrecedence) {
    write("b.txt", "STRING 2 \"from b\"\n");
    write("a.txt", "STRING 2 \"from a\"\nSTRING 3 \"only a\"\n");
    write("ignored.rc", "not a resource file");
    std::string error;
    ASSERT_TRUE(LoadLanguageBundle((dir / "QV_l_test.dll").string(), &error)) << error;
    EXPECT_EQ(Resources().LoadString(1), "own");
    EXPECT_EQ(Resources().LoadString(2), "from b");
    EXPECT_EQ(Resources().LoadString(3), "only a");
}

TEST_F(BundleFolder, MissingOrBrokenBundleLeavesTheOwnResources) {
    EXPECT_FALSE(LoadLanguageBundle((dir / "QV_l_none.dll").string()));
    EXPECT_FALSE(LoadLanguageBundle(""));
    write("a.txt", "STRING 2 \"replaced\"\n");
    write("b.txt", "STRING 4 \"broken\n");
    std::string error;
    EXPECT_FALSE(LoadLanguageBundle((dir / "QV_l_test.dll").string(), &error));
    EXPECT_NE(error.find("b.txt:1"), std::string::npos) << error;
    EXPECT_EQ(Resources().LoadString(2), "own two");
    EXPECT_EQ(Resources().FindString(4), nullptr);
}

TEST(ResourceRegistry, BundleNameMapsToAFolderBesideTheProgram) {
    EXPECT_EQ(BundleFolderFor("QV_l_jpn.dll"), ProgramFolder() + "/QV_l_jpn");
    EXPECT_EQ(BundleFolderFor("BRX_l_jpn"), ProgramFolder() + "/BRX_l_jpn");
    EXPECT_EQ(BundleFolderFor("/opt/lang/QV_l_eng.dll"), "/opt/lang/QV_l_eng");
    EXPECT_EQ(BundleFolderFor("/opt/v1.2/QV"), "/opt/v1.2/QV");
}

TEST(ResourceRegistry, ProgramResourcesOfBothProgramsLoad) {
    ResourceRegistry saved = Resources();
    std::string error;
    ASSERT_TRUE(LoadProgramResources("vantorel", &error)) << error;
    EXPECT_EQ(Resources().FindDialog(vtid::dlg::CompositionProgress)->caption, "フォーカス合成中");
    EXPECT_EQ(Resources().LoadString(vtid::str::CannotReadData), "データを読み込めません。");
    EXPECT_NE(Resources().FindString(uiid::str::IntegerRange), nullptr); // common strings too
    ASSERT_TRUE(LoadProgramResources("brelvoxa", &error)) << error;
    EXPECT_EQ(Resources().FindDialog(vtid::dlg::CompositionProgress), nullptr);
    EXPECT_FALSE(LoadProgramResources("nosuchprogram", &error));
    Resources() = saved;
}

} // namespace

namespace {

TEST(MessageText, FillsArgumentsFromTheStringTable) {
    constexpr UINT kQuestion = 894; // the strings of the text below, and one it lacks
    constexpr UINT kRange = 64003;
    constexpr UINT kMissing = 12345;
    ResourceRegistry saved = Resources();
    ASSERT_TRUE(Resources().LoadText(
        "STRING 894 \"%1\\n\\nファイルが既に存在します。\"\nSTRING 64003 \"%1 から %2\"\n", "", "m"));
    EXPECT_EQ(ui::MessageText(kQuestion, {"a.bmp"}), "a.bmp\n\nファイルが既に存在します。");
    EXPECT_EQ(ui::MessageText(kRange, {"0", "20"}), "0 から 20");
    EXPECT_EQ(ui::MessageText(kMissing, {}), "(12345)"); // a missing entry still shows its id
    Resources() = saved;
}

} // namespace
