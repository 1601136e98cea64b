// The header of id names a resource folder gives, and the faults of its names that fail the build.
#include "tools/resgen/IdHeader.h"

#include <gtest/gtest.h>

namespace {

struct File {
    std::string name;
    std::string text;
};

// The header of these files, or their faults joined by newlines.
std::string Header(const std::vector<File>& files) {
    IdHeader ids("vtid", "resources/vantorel/");
    for (const auto& f : files) {
        std::vector<ui::ResourceName> names;
        std::string error;
        if (!ui::ReadResourceNamesFromText(f.text, "", f.name, names, &error))
            return "unreadable: " + error;
        ids.Add(f.name, names);
    }
    std::string text;
    std::vector<std::string> errors;
    if (ids.Render(text, errors))
        return text;
    std::string all;
    for (const auto& e : errors)
        all += e + "\n";
    return all;
}

TEST(IdHeader, GroupsNamesByKindAndDialogInTheProgramsNamespace) {
    const std::string text = Header({
        {"a.txt", "DIALOG 908 AutoPanel 0 0 150 272 \"\"\n"
                  "  CTEXT 915 ZPosition \"\" 10 11 70 14\n  PUSHBUTTON 1066 ZeroZ \"0\" 10 37 36 14\n"
                  "  LTEXT -1 \"x\" 1 1 1 1\n  LTEXT 916 \"unnamed\" 1 1 1 1\nEND\n"
                  "MENU 128 MainMenu\n POPUP \"f\"\n  ITEM 57603 SaveImage \"s\"\n END\nEND\n"
                  "COMMAND 32701 StartCapture\n"},
        {"b.txt", "STRINGTABLE\n870 NoPictures \"n\"\n0xE701 CapsKey \"CAP\"\nEND\n"
                  "MENU 129 ImageMenu\n POPUP \"f\"\n  ITEM 57603 SaveImage \"s\"\n END\nEND\n"},
    });
    EXPECT_NE(text.find("namespace vtid {\n"
                        "namespace cmd {\n"
                        "inline constexpr int StartCapture = 32701;\n"
                        "inline constexpr int SaveImage = 57603;\n" // one command in two menus: once
                        "} // namespace cmd\n"
                        "namespace str {\n"
                        "inline constexpr int NoPictures = 870;\n"
                        "inline constexpr int CapsKey = 59137;\n"
                        "} // namespace str\n"
                        "namespace dlg {\n"
                        "inline constexpr int AutoPanel = 908;\n"
                        "} // namespace dlg\n"
                        "namespace menu {\n"
                        "inline constexpr int MainMenu = 128;\n"
                        "inline constexpr int ImageMenu = 129;\n"
                        "} // namespace menu\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("namespace data {\n} // namespace data\n" // every kind, empty ones too
                        "namespace AutoPanel {\n"
                        "inline constexpr int ZPosition = 915;\n"
                        "inline constexpr int ZeroZ = 1066;\n"
                        "} // namespace AutoPanel\n"
                        "} // namespace vtid\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("916"), std::string::npos);
    EXPECT_EQ(text.rfind("// Generated", 0), 0u);
}

TEST(IdHeader, ClashingNamesNameBothPlaces) {
    // One name with two numbers, across files.
    EXPECT_EQ(
        Header({{"a.txt", "STRING 870 NoPictures \"a\"\n"}, {"b.txt", "\nSTRING 871 NoPictures \"b\"\n"}}),
        "b.txt:2: vtid::str::NoPictures is 871 here but 870 at a.txt:1\n");
    // One number with two names in one kind: a menu item and a COMMAND line.
    EXPECT_EQ(Header({{"a.txt", "MENU 1\n POPUP \"f\"\n  ITEM 57603 SaveImage \"s\"\n END\nEND\n"
                                "COMMAND 57603 StoreImage\n"}}),
              "a.txt:6: 57603 is vtid::cmd::StoreImage here but vtid::cmd::SaveImage at a.txt:3\n");
    // The same in the scope of one dialog; other dialogs and kinds may reuse names and numbers.
    EXPECT_EQ(Header({{"a.txt", "DIALOG 5 Box 0 0 9 9 \"\"\n LTEXT 7 Start \"\" 1 1 1 1\n"
                                " LTEXT 8 Start \"\" 1 1 1 1\nEND\n"
                                "DIALOG 6 Other 0 0 9 9 \"\"\n LTEXT 7 Start \"\" 1 1 1 1\nEND\n"
                                "STRING 7 Start \"\"\nCOMMAND 5 Box\n"}}),
              "a.txt:3: vtid::Box::Start is 8 here but 7 at a.txt:2\n");
    // Two dialogs of one name.
    EXPECT_EQ(Header({{"a.txt", "DIALOG 5 Box 0 0 9 9 \"\"\nEND\n"},
                      {"b.txt", "DIALOG 6 Box 0 0 9 9 \"\"\nEND\n"}}),
              "b.txt:1: vtid::dlg::Box is 6 here but 5 at a.txt:1\n");
}

TEST(IdHeader, NamesTheHeaderCannotHoldAreFaultsOfTheirLine) {
    EXPECT_EQ(Header({{"a.txt", "DIALOG 5 0 0 9 9 \"\"\n LTEXT 7 Start \"\" 1 1 1 1\nEND\n"}}),
              "a.txt:2: control Start (7) is in dialog 5, which has no name\n");
    EXPECT_EQ(Header({{"a.txt", "DIALOG 5 str 0 0 9 9 \"\"\nEND\n"}}),
              "a.txt:1: dialog 5 is named str, the name of a kind of ids\n");
    EXPECT_EQ(Header({{"a.txt", "STRING 4294967295 Last \"\"\nSTRING 1 First \"\"\n"}}),
              "a.txt:1: id 4294967295 of Last does not fit an int\n");
}

} // namespace
