// Names after the ids of resource entries: read for the id headers, ignored by the registry.
#include "ui/resources/ResourceNames.h"
#include "ui/resources/ResourceRegistry.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

using namespace ui;

namespace {

const char* kNamed = R"RES(STRING 9201 CannotReadData "データを読み込めません。"
STRINGTABLE
870 NoPictures "枚数がありません。"
871 "名前なし"
END
DIALOG 908 AutoPanel 0 0 150 272 "" NOCAPTION
  CTEXT 915 ZPosition "" 10 11 70 14 BORDER
  PUSHBUTTON 1066 ZeroZ "ゼロ" 10 37 36 14
  LTEXT -1 "ラベル" 1 2 3 4
  BITMAP 1070 JogIcon "195" 1 2 3 4
END
MENU 128 MainMenu
  POPUP "ファイル(&F)"
    ITEM 57603 SaveImage "画像保存(&S)\tCtrl+S" GRAYED
    ITEM 57604 "名前なし"
  END
END
ACCELERATORS 129 MainKeys
  "Ctrl+S" 57603
END
TOOLBAR 300 MainBar "bar.png" 16 15
  BUTTON 57603
END
IMAGE 195 JogUpIcon "bar.png"
ICON 196 UpIcon "bar.png"
CURSOR 197 DragCursor "bar.png" 3 4
CURSOR 198 PlainCursor "bar.png"
DATA 4701 GammaTable "bar.png"
COMMAND 32701 StartCapture
)RES";

// The same entries without names.
const char* kUnnamed = R"RES(STRING 9201 "データを読み込めません。"
STRINGTABLE
870 "枚数がありません。"
871 "名前なし"
END
DIALOG 908 0 0 150 272 "" NOCAPTION
  CTEXT 915 "" 10 11 70 14 BORDER
  PUSHBUTTON 1066 "ゼロ" 10 37 36 14
  LTEXT -1 "ラベル" 1 2 3 4
  BITMAP 1070 "195" 1 2 3 4
END
MENU 128
  POPUP "ファイル(&F)"
    ITEM 57603 "画像保存(&S)\tCtrl+S" GRAYED
    ITEM 57604 "名前なし"
  END
END
ACCELERATORS 129
  "Ctrl+S" 57603
END
TOOLBAR 300 "bar.png" 16 15
  BUTTON 57603
END
IMAGE 195 "bar.png"
ICON 196 "bar.png"
CURSOR 197 "bar.png" 3 4
CURSOR 198 "bar.png"
DATA 4701 "bar.png"
)RES";

// Ids of the entries above, as the registry is asked for them.
constexpr UINT kNamedString = 9201;
constexpr UINT kNamedTableString = 870;
constexpr UINT kUnnamedTableString = 871;
constexpr int kParsedDialog = 908;
constexpr int kParsedMenu = 128;
constexpr int kParsedKeys = 129;
constexpr int kParsedBar = 300;
constexpr int kParsedImage = 195;
constexpr int kParsedIcon = 196;
constexpr int kParsedCursor = 197;
constexpr int kParsedData = 4701;

std::string describe(const ResourceName& n) {
    std::string s = n.kind + " " + n.name + "=" + std::to_string(n.id) + " @" + std::to_string(n.line);
    if (n.kind == "control")
        s += " in " + n.dialog + "/" + std::to_string(n.dialogId);
    return s;
}

TEST(ResourceNames, EveryEntryKindTakesANameThatTheRegistryIgnores) {
    ScratchFolder res("vt-names");
    res.Write("bar.png", "png");
    std::vector<ResourceName> names;
    std::string error;
    ASSERT_TRUE(ReadResourceNamesFromText(kNamed, res.Path(), "named", names, &error)) << error;
    std::vector<std::string> got;
    for (const auto& n : names)
        got.push_back(describe(n));
    EXPECT_EQ(got,
              (std::vector<std::string>{
                  "str CannotReadData=9201 @1", "str NoPictures=870 @3", "dlg AutoPanel=908 @6",
                  "control ZPosition=915 @7 in AutoPanel/908", "control ZeroZ=1066 @8 in AutoPanel/908",
                  "control JogIcon=1070 @10 in AutoPanel/908", "menu MainMenu=128 @12",
                  "cmd SaveImage=57603 @14", "accel MainKeys=129 @18", "toolbar MainBar=300 @21",
                  "img JogUpIcon=195 @24", "icon UpIcon=196 @25", "cursor DragCursor=197 @26",
                  "cursor PlainCursor=198 @27", "data GammaTable=4701 @28", "cmd StartCapture=32701 @29"}));

    // The registry reads the named file as the unnamed one: names change nothing it holds.
    ResourceRegistry named, plain;
    ASSERT_TRUE(named.LoadText(kNamed, res.Path(), "named", &error)) << error;
    ASSERT_TRUE(plain.LoadText(kUnnamed, res.Path(), "plain", &error)) << error;
    for (UINT id : {kNamedString, kNamedTableString, kUnnamedTableString})
        EXPECT_EQ(named.LoadString(id), plain.LoadString(id)) << id;
    const DialogTemplate* d = named.FindDialog(kParsedDialog);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->controls.size(), 4u);
    for (size_t i = 0; i < d->controls.size(); ++i) {
        const ControlTemplate& a = d->controls[i];
        const ControlTemplate& b = plain.FindDialog(kParsedDialog)->controls[i];
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(a.rect.left, b.rect.left);
        EXPECT_EQ(a.rect.bottom, b.rect.bottom);
        EXPECT_EQ(a.styles, b.styles);
    }
    EXPECT_EQ(d->styles, std::vector<std::string>{"NOCAPTION"});
    EXPECT_EQ(d->rect.bottom, 272);
    const MenuItemTemplate& save = named.FindMenu(kParsedMenu)->items[0].children[0];
    EXPECT_EQ(save.text, "画像保存(&S)\tCtrl+S");
    EXPECT_EQ(save.styles, std::vector<std::string>{"GRAYED"});
    EXPECT_EQ((*named.FindAccelerators(kParsedKeys))[0].command, 57603);
    EXPECT_EQ(named.FindToolbar(kParsedBar)->buttonHeight, 15);
    EXPECT_EQ(named.FindToolbar(kParsedBar)->commands, std::vector<int>{57603});
    EXPECT_EQ(named.FindCursor(kParsedCursor)->hotY, 4);
    EXPECT_NE(named.FindImage(kParsedImage), nullptr);
    EXPECT_NE(named.FindIcon(kParsedIcon), nullptr);
    EXPECT_NE(named.FindData(kParsedData), nullptr);
    EXPECT_EQ(named.FirstIdAlsoIn(plain), "string 870"); // the same ids, kind by kind
    EXPECT_EQ(named.StringCount(), plain.StringCount());
}

// The faults of names are among the reader's strict errors (ResourceRegistryTest); a COMMAND
// line names an id and adds nothing to the registry.
TEST(ResourceNames, ACommandLineAddsNothingToTheRegistry) {
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText("COMMAND 32701 StartCapture\nSTRING 1 A \"a\"\n", "", "ok", &error)) << error;
    EXPECT_EQ(reg.StringCount(), 1u);
    EXPECT_EQ(reg.LoadString(1), "a");
}

TEST(ResourceNames, FileReaderNamesTheFileAndKeepsLineOrder) {
    ScratchFolder res("vt-names-file");
    const std::string path = res.Write("a.txt", "\nSTRING 2 Two \"b\"\nSTRING 1 One \"a\"\n");
    std::vector<ResourceName> names;
    std::string error;
    ASSERT_TRUE(ReadResourceNames(path, names, &error)) << error;
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].name, "Two");
    EXPECT_EQ(names[0].line, 2);
    EXPECT_EQ(names[1].id, 1);
    EXPECT_FALSE(ReadResourceNames(res / "none.txt", names, &error));
    EXPECT_EQ(error, res / "none.txt" + ": cannot open");
    EXPECT_EQ(names.size(), 2u);
}

} // namespace
