#include "ids/VantorelIds.h"
#include "shell/core/capture/FocusBoxRules.h"
#include "shell/core/settings/ModeTable.h"
#include "shell/core/settings/StartMode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using V = FocusBoxAdmission::Verdict;
const ImageShape kGrey{0, 640, 480};
const ImageShape kColour{3, 640, 480};
const ImageShape kDeep{5, 640, 480};

TEST(FocusBoxAdmission, FirstAcceptedImageIsTheReferenceOfAnEmptyBox) {
    FocusBoxAdmission add(std::nullopt);
    EXPECT_EQ(add.Judge(kDeep, false), V::BadType); // a 16-bit first thumbnail sets nothing
    EXPECT_EQ(add.Judge(kColour, false), V::Add);
    EXPECT_EQ(add.Judge(kColour, false), V::Add);
    EXPECT_EQ(add.Judge(ImageShape{3, 320, 240}, false), V::Mismatch);
    EXPECT_EQ(add.Judge(kColour, true), V::AlreadyInBox);
    EXPECT_EQ(add.Added(), 2);
    EXPECT_EQ(add.Message(), vtid::str::GreyOrColourOnly); // one message per command: the first one
}

TEST(FocusBoxAdmission, BoxReferenceRefusesOtherShapes) {
    FocusBoxAdmission add(kGrey);
    EXPECT_EQ(add.Judge(kColour, false), V::Mismatch);
    EXPECT_EQ(add.Judge(kDeep, false), V::Mismatch);
    EXPECT_EQ(add.Judge(kGrey, false), V::Add);
    EXPECT_EQ(add.Message(), vtid::str::MixedImages);
}

TEST(FocusBoxMoves, EndsStayAndThePlaceholderNeverMoves) {
    struct E {
        std::string name;
        bool sel;
    };
    auto sel = [](const E& e) { return e.sel; };
    std::vector<E> v{{"a", true}, {"b", false}, {"c", true}, {"P", true}};
    int insert = 2;
    EXPECT_EQ(MoveSelectedUp(v, insert, sel), -1); // the first image is selected: nothing moves
    EXPECT_EQ(v[0].name, "a");
    v[0].sel = false;
    EXPECT_EQ(MoveSelectedUp(v, insert, sel), 1);
    EXPECT_EQ(v[1].name, "c");
    EXPECT_EQ(v[3].name, "P");
    EXPECT_EQ(MoveSelectedDown(v, insert, sel), 2);
    EXPECT_EQ(v[2].name, "c");
    EXPECT_EQ(MoveSelectedDown(v, insert, sel), -1); // now the last image: nothing moves
    EXPECT_EQ(v[3].name, "P");
    int atEnd = -1;
    MoveSelectedDown(v, atEnd, sel);
    MoveSelectedUp(v, atEnd, sel);
    EXPECT_EQ(atEnd, -1);
}

TEST(ModeTable, FourModesAndNothingElse) {
    const ModeEntry* vossa = FindModeEntry(kModeVossa);
    ASSERT_NE(vossa, nullptr);
    EXPECT_FALSE(vossa->compositionBar);
    EXPECT_FALSE(vossa->focusBox);
    EXPECT_EQ(vossa->menu, vtid::menu::VossaMenu);
    EXPECT_EQ(FindModeEntry(kModeManual)->menu, vtid::menu::ManualMenu);
    EXPECT_TRUE(FindModeEntry(kModeThumbnails)->thumbnailDown);
    EXPECT_FALSE(FindModeEntry(kModeThumbnails)->camera);
    constexpr int kNoMode = 1008; // no button of the start dialog has this id
    EXPECT_EQ(FindModeEntry(kNoMode), nullptr);
    EXPECT_TRUE(IsVossaRefusedDevice("vport"));
    EXPECT_TRUE(IsVossaRefusedDevice("vh-8000"));
    EXPECT_FALSE(IsVossaRefusedDevice("DP70"));
    EXPECT_EQ(StartModeFromAnswer(2), -1);
    EXPECT_EQ(StartModeFromAnswer(vtid::StartDialog::AutoCapture), vtid::StartDialog::AutoCapture);
}

} // namespace
