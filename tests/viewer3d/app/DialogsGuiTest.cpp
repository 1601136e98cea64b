// The viewer's dialogs from their templates: every id their code names exists, the general
// settings keep the threshold in range, and the filter settings refuse a cut-off of 0 (9271).
#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/resources/ResourceRegistry.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/GeneralSetDlg.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <tuple>

namespace {
struct BrelvoxaResources : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(ui::LoadProgramResources("brelvoxa")); }
    void TearDown() override { ui::LoadProgramResources("vantorel"); }
};
} // namespace

TEST_F(BrelvoxaResources, DialogIdsExist) {
    brx::CGeneralSetDlg general(nullptr);
    EXPECT_TRUE(general.CheckControlIds().empty());
    brx::CFilterSetDlg filter(nullptr);
    EXPECT_TRUE(filter.CheckControlIds().empty());
    brx::CAboutDlg about(nullptr);
    EXPECT_TRUE(about.CheckControlIds().empty());
    brx::CPseudoColorDlg colours(nullptr, nullptr, nullptr);
    EXPECT_TRUE(colours.CheckControlIds().empty());
}

TEST_F(BrelvoxaResources, GeneralSettingsThresholdAndOption) {
    CScriptedMessageSink sink(IDOK);
    brx::CGeneralSetDlg dlg(nullptr);
    dlg.threshold = 1000.0f;
    dlg.option = 0;
    ui::testing::WhenModal([](wxDialog* d) {
        // Off: the threshold is greyed
        EXPECT_FALSE(ui::testing::FindById(d, bxid::GeneralSettingsDialog::RemoveAbove)->IsEnabled());
        ui::testing::Click(ui::testing::FindById(d, bxid::GeneralSettingsDialog::RemoveOnRead));
        EXPECT_TRUE(ui::testing::FindById(d, bxid::GeneralSettingsDialog::RemoveAbove)->IsEnabled());
        // Above 100000: refused
        ui::testing::Type(ui::testing::FindById(d, bxid::GeneralSettingsDialog::RemoveAbove), "200000");
        ui::testing::Click(ui::testing::FindById(d, 1));
        EXPECT_TRUE(d->IsModal());
        ui::testing::Type(ui::testing::FindById(d, bxid::GeneralSettingsDialog::RemoveAbove), "2500");
        ui::testing::Click(ui::testing::FindById(d, 1));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.threshold, 2500.0f);
    EXPECT_EQ(dlg.option, 1);
    EXPECT_GE(sink.ShownMessages().size(), 1u);
}

TEST_F(BrelvoxaResources, FilterSettingsShowEightyForZeroAndRefuseZero) {
    CScriptedMessageSink sink(IDOK);
    brx::CFilterSetDlg dlg(nullptr);
    dlg.endEffect = 1;
    dlg.cutoff = 0.0;
    ui::testing::WhenModal([&](wxDialog* d) {
        EXPECT_EQ(ui::testing::FindById<wxComboBox>(d, bxid::FilterSettingsDialog::Cutoff)->GetValue(),
                  "80.000");
        EXPECT_TRUE(
            ui::testing::FindById<wxRadioButton>(d, bxid::FilterSettingsDialog::EndEffectOff)->GetValue());
        ui::testing::Type(ui::testing::FindById(d, bxid::FilterSettingsDialog::Cutoff), "0");
        ui::testing::Click(ui::testing::FindById(d, 1));
        EXPECT_EQ(sink.CountOf(bxid::str::CutoffNotPositive), 1u);
        EXPECT_TRUE(d->IsModal());
        // Read from 9 characters
        ui::testing::Type(ui::testing::FindById(d, bxid::FilterSettingsDialog::Cutoff), "2500.0000000");
        ui::testing::Click(ui::testing::FindById(d, bxid::FilterSettingsDialog::EndEffectOn));
        ui::testing::Click(ui::testing::FindById(d, 1));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.cutoff, 2500.0);
    EXPECT_EQ(dlg.endEffect, 0);
}

#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/core/bitmaps/Dib.h"

TEST_F(BrelvoxaResources, PseudoColourRangesAndCancelPutsTheStartBack) {
    CScriptedMessageSink sink(IDOK);
    for (const auto& [w, h, upper] : {std::tuple{5, 5, 100}, std::tuple{640, 480, 640}}) {
        brx::CView3dDoc doc;
        doc.SetPlanes(v3d::DibCreate(w, h, v3d::kKindGrey8), nullptr);
        doc.SetPaletteIndex(3);
        int redraws = 0;
        brx::CPseudoColorDlg dlg(nullptr, &doc, [&] { ++redraws; });
        ui::testing::WhenModal([&](wxDialog* d) {
            auto* combo = ui::testing::FindById<wxComboBox>(d, bxid::PseudoColorDialog::Palette);
            EXPECT_EQ(combo->GetSelection(), 3);
            combo->SetSelection(6);
            wxCommandEvent pick(wxEVT_COMBOBOX, bxid::PseudoColorDialog::Palette);
            pick.SetEventObject(combo);
            combo->GetEventHandler()->ProcessEvent(pick);
            EXPECT_EQ(doc.GetViewState()->paletteIndex, 6); // tried out at once
            ui::testing::Type(ui::testing::FindById(d, bxid::PseudoColorDialog::MeshDivisions), "100000");
            EXPECT_EQ(doc.GetViewState()->wireframeDivisions, upper); // held to the image's size
            ui::testing::Click(ui::testing::FindById(d, 2));
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.lower, 10);
        EXPECT_EQ(dlg.upper, upper);
        EXPECT_EQ(doc.GetViewState()->paletteIndex, 3); // Cancel puts the start back
        EXPECT_EQ(doc.GetViewState()->wireframeDivisions, 80);
        EXPECT_GT(redraws, 0);
    }
}
