// The result window on its real windows from the resource bundle: a result handed in as the
// program does, the zoom commands and their checks, image and height display, the noise-cut
// dialog, the picture information dialog, the close question and saving in every format.
#include "ResultWindowFixture.h"
#include "ids/VantorelIds.h"
#include "ui/resources/ResourceRegistry.h"

#include <sys/statvfs.h>

TEST_F(ResultWindowGui, ResultArrivesSmoothedTitledAndZoomCommandsFollowTheField) {
    Composed c(800, 600);
    Show(c);
    EXPECT_EQ(frame->GetTitle().ToUTF8(), std::string("ﾌｫｰｶｽ合成結果"));
    EXPECT_FALSE(doc->m_lastCancelled);
    EXPECT_NE(doc->m_working[10][10], c.hv[10][10]) << "the automatic smoothing committed";
    EXPECT_EQ(doc->m_minimum, ScanHeightRange(doc->m_working).min);

    Choose(vtid::cmd::Zoom200);
    EXPECT_EQ(bar->GetZoomValue(), 200);
    EXPECT_EQ(view->ZoomStep(), 10);
    EXPECT_TRUE(Item(vtid::cmd::Zoom200)->IsChecked());
    EXPECT_FALSE(Item(vtid::cmd::Zoom100)->IsChecked());
    Choose(86);
    EXPECT_EQ(bar->GetZoomValue(), 210);
    EXPECT_EQ(view->ZoomStep(), 11);
    EXPECT_FALSE(Item(vtid::cmd::Zoom200)->IsChecked());
    Choose(vtid::cmd::Zoom400);
    Choose(86); // 410 is refused
    EXPECT_EQ(bar->GetZoomValue(), 400);
    EXPECT_EQ(view->ZoomStep(), 30);
    Choose(vtid::cmd::Zoom20);
    Choose(84);
    EXPECT_EQ(bar->GetZoomValue(), 10);
    EXPECT_EQ(view->ZoomStep(), -9);
    // Typing into the field zooms: 105 gives step 0.
    Type(bar->GetDlgItem(87), "105");
    EXPECT_EQ(view->ZoomStep(), 0);
    Choose(vtid::cmd::FitToWindow);
    const int fit = bar->GetZoomValue();
    const wxSize cs = view->GetClientSize();
    EXPECT_EQ(fit, FitZoomPercent(cs.x, cs.y, 800, 600));
    EXPECT_EQ(fit % 10, 0);
    const int presets[] = {20, 50, 100, 200, 400};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Item(vtid::cmd::Zoom20 + i)->IsChecked(), fit == presets[i]);
    // While busy every command is greyed.
    doc->m_busy = 1;
    EXPECT_FALSE(Item(vtid::cmd::Zoom100)->IsEnabled());
    EXPECT_FALSE(Item(vtid::cmd::SaveImage)->IsEnabled());
    EXPECT_FALSE(Item(94)->IsEnabled());
    doc->m_busy = 0;
    EXPECT_TRUE(Item(94)->IsEnabled());
}

TEST_F(ResultWindowGui, ImageAndHeightDisplayAndScreenshots) {
    Composed c(640, 480);
    Show(c);
    doc->m_scaleOn = 1;
    doc->m_dotScaleOn = 1;
    Choose(vtid::cmd::FitToWindow);
    view->Refresh();
    ASSERT_TRUE(WaitForPaint(frame));
    EXPECT_EQ(doc->GetDrawImage(), doc->m_display ? doc->m_display : doc->m_image);
    EXPECT_TRUE(Item(88)->IsChecked());
    Screenshot(frame, OutputFolder() + "/result-fit-scales.png");
    Choose(89);
    EXPECT_EQ(doc->m_displayMode, 1);
    EXPECT_EQ(doc->GetDrawImage(), doc->m_heightPicture);
    EXPECT_TRUE(Item(89)->IsChecked());
    EXPECT_FALSE(Item(88)->IsChecked());
    Screenshot(frame, OutputFolder() + "/result-height.png");
    Choose(88);
    EXPECT_EQ(doc->m_displayMode, 0);
    // No heights: the height commands are greyed.
    Composed flat(50, 40);
    for (auto& r : flat.hv)
        std::fill(r.begin(), r.end(), 0.0);
    ASSERT_TRUE(frame->ShowResult(flat.image, flat.hp.data(), flat.fp.data(), 0));
    EXPECT_FALSE(Item(89)->IsEnabled());
    EXPECT_FALSE(Item(94)->IsEnabled());
}

TEST_F(ResultWindowGui, ABarTooShortIsReportedAfterThePaintAndSwitchedOff) {
    Composed c(640, 480);
    Show(c, 0);
    doc->m_lens.scaleDots = 4; // 2 um = 4 pixels
    doc->m_lens.scaleCeiling = 1.0;
    doc->m_dotScaleOn = 1;
    view->Refresh();
    ASSERT_TRUE(PumpUntil([&] { return view->m_scaleFailures == 1; }));
    EXPECT_EQ(sink.ShownIds().back(), vtid::str::ScaleTooShort);
    EXPECT_EQ(doc->m_dotScaleOn, 0);
    EXPECT_FALSE(Item(vtid::cmd::DotScale)->IsChecked());
}

TEST_F(ResultWindowGui, CloseAsksForAnUnsavedResultAndOnlyHides) {
    Composed c(100, 80);
    Show(c, 0);
    sink.Queue({IDNO});
    frame->Close();
    ProcessPending();
    EXPECT_TRUE(frame->IsShown()) << "No keeps the frame and the result";
    EXPECT_EQ(sink.ShownIds().back(), kMsgDiscardResult);
    sink.Queue({IDYES});
    Choose(vtid::cmd::CloseResult);
    EXPECT_FALSE(frame->IsShown());
    EXPECT_NE(doc->m_image, nullptr) << "hidden, not destroyed";
    EXPECT_EQ(sink.ShownIds().size(), 2u);
}

TEST_F(ResultWindowGui, AFileOpenedDuringACutEndsItsProgressAndClosingEndsTheCalibration) {
    ScratchFolder dir;
    HDIB picture = DibCreate(40, 30, 1);
    ASSERT_TRUE(SaveImageFile(picture, dir / "p.bmp", 3, 75));
    GlobalFree(picture);
    Composed c(400, 300);
    // The automatic cut runs (its end not yet handled) when a browser image is opened.
    ASSERT_TRUE(frame->ShowResult(c.image, c.hp.data(), c.fp.data(), 8));
    ASSERT_NE(frame->GetProgressDialog(), nullptr);
    ASSERT_TRUE(frame->ShowImageFile(dir / "p.bmp"));
    EXPECT_FALSE(doc->IsWorkerRunning());
    EXPECT_EQ(frame->GetProgressDialog(), nullptr) << "no progress window outlives its cut";
    ProcessPending(); // the stopped run's report changes nothing
    EXPECT_EQ(doc->m_busy, 0);
    EXPECT_EQ(doc->m_width, 40);

    SendMessage(frame->GetSafeHwnd(), WM_XYCALIB_EDIT, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return frame->IsCalibSetOpen(); }));
    EXPECT_TRUE(view->IsCalibrationActive());
    EXPECT_TRUE(frame->CloseResult());
    EXPECT_FALSE(frame->IsCalibSetOpen());
    EXPECT_FALSE(view->IsCalibrationActive());
}

TEST_F(ResultWindowGui, SavesInEveryFormatWithBarsBurntIn) {
    Composed c(320, 240);
    Show(c, 0);
    ScratchFolder dir;
    std::string next;
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths.push_back(next);
        return r;
    });
    for (const char* name : {"a.bmp", "a.dib", "a.tif", "a.jpg"}) {
        next = dir / name;
        Choose(vtid::cmd::SaveImage);
        EXPECT_TRUE(std::filesystem::exists(next)) << name;
    }
    EXPECT_EQ(doc->m_saved, 1);
    next = dir / "a.vv3";
    Choose(vtid::cmd::Save3dData);
    EXPECT_EQ(std::filesystem::file_size(next), Vv3FileBytes(320, 240));
    doc->m_scaleOn = 1;
    doc->m_dotScaleOn = 1;
    {
        BYTE* header = static_cast<BYTE*>(GlobalLock(doc->m_image));
        const BYTE dpi[8] = {0x13, 0x0B, 0, 0, 0x12, 0x0B, 0, 0}; // 2835 and 2834 pixels per metre
        std::memcpy(header + 24, dpi, 8);
        GlobalUnlock(doc->m_image);
    }
    next = dir / "burnt.bmp";
    Choose(vtid::cmd::SaveImage);
    HDIB plain = ReadImageFile(dir / "a.bmp", nullptr), burnt = ReadImageFile(next, nullptr);
    ASSERT_TRUE(plain && burnt);
    {
        const BYTE* header = static_cast<const BYTE*>(GlobalLock(burnt));
        EXPECT_EQ(header[24] | header[25] << 8, 2835) << "the resolution goes with the picture";
        EXPECT_EQ(header[28] | header[29] << 8, 2834);
        GlobalUnlock(burnt);
    }
    int differing = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            differing += DibGetPixel(plain, x, y, 0) != DibGetPixel(burnt, x, y, 0);
    EXPECT_GT(differing, 100) << "the bars are in the saved picture";
    GlobalFree(plain);
    GlobalFree(burnt);
    std::filesystem::copy_file(next, OutputFolder() + "/result-burnt-in.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    // The 8-bit height picture with its bars is written in 24 bits: the bars keep their colour
    // and every other pixel the colour its index stood for.
    Choose(89);
    next = dir / "burnt-height.bmp";
    Choose(vtid::cmd::SaveImage);
    HDIB height = ReadImageFile(next, nullptr);
    ASSERT_NE(height, nullptr);
    {
        const BYTE* b = static_cast<const BYTE*>(GlobalLock(height));
        EXPECT_EQ(DibGetBitCount(b), 24);
        GlobalUnlock(height);
    }
    RGBQUAD table[256];
    ASSERT_TRUE(DibGetColorTable(doc->m_heightPicture, table));
    const RGBQUAD& mid = table[DibGetPixel(doc->m_heightPicture, 160, 120, 0)];
    EXPECT_EQ(DibGetPixel(height, 160, 120, 0), mid.rgbRed);
    EXPECT_EQ(DibGetPixel(height, 160, 120, 1), mid.rgbGreen);
    EXPECT_EQ(DibGetPixel(height, 160, 120, 2), mid.rgbBlue);
    GlobalFree(height);
    std::filesystem::copy_file(next, OutputFolder() + "/result-burnt-in-height.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    ui::SetFileDialogService(previous);
}

TEST_F(ResultWindowGui, NoiseCutDialogPreviewCancelAndOk) {
    Composed c(400, 300);
    Show(c, 0);
    const double before = doc->m_working[0][0];
    bool checkedWhileRunning = false;
    WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CNoiseCutDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(d->GetTitle().ToUTF8(), std::string("高さデータノイズカット"));
        Type(FindById(d, vtid::NoiseCutDialog::Amount), "10");
        Click(FindById(d, vtid::NoiseCutDialog::Preview)); // method 0: interpolation on the worker
        if (dlg->IsPreviewRunning()) {
            checkedWhileRunning = true;
            EXPECT_FALSE(FindById(d, 1)->IsEnabled());
            EXPECT_FALSE(FindById(d, 2)->IsEnabled());
            EXPECT_FALSE(FindById(d, vtid::NoiseCutDialog::Preview)->IsEnabled());
        }
        ASSERT_TRUE(PumpUntil([&] { return !dlg->IsPreviewRunning(); }));
        EXPECT_TRUE(FindById(d, 2)->IsEnabled());
        EXPECT_NE(doc->m_preview, nullptr);
        Screenshot(d, OutputFolder() + "/noise-cut-dialog.png");
        Click(FindById(d, 2));
    });
    Choose(94);
    EXPECT_TRUE(checkedWhileRunning);
    EXPECT_EQ(doc->m_preview, nullptr);
    EXPECT_EQ(doc->m_working[0][0], before) << "cancel leaves the working rows";

    WhenModal([&](wxDialog* d) {
        Type(FindById(d, vtid::NoiseCutDialog::Amount), "10");
        Type(FindById(d, vtid::NoiseCutDialog::Smoothing), "5");
        Click(FindById(d, 1));
    });
    Choose(94);
    ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0; }));
    EXPECT_FALSE(doc->m_lastCancelled);
    EXPECT_GT(doc->m_lastNoiseCount, 0);
    EXPECT_EQ(ReadIniInt("NOISECUT", "CUTEDIT", -1), 10);
    EXPECT_EQ(ReadIniInt("NOISECUT", "FILTERSIZE", -1), 5);
    EXPECT_EQ(ReadIniInt("NOISECUT", "CUTTYPE", -1), 0);
}

TEST_F(ResultWindowGui, NoiseCutBarsStepByLineAndPageAndFollowTheirEdits) {
    Composed c(200, 150);
    Show(c, 0);
    WhenModal([&](wxDialog* d) {
        auto* amount = FindById<wxScrollBar>(d, vtid::NoiseCutDialog::AmountBar);
        auto* smoothing = FindById<wxScrollBar>(d, vtid::NoiseCutDialog::SmoothingBar);
        ASSERT_NE(amount, nullptr);
        ASSERT_NE(smoothing, nullptr);
        auto scroll = [&](wxWindow* bar, int code, int pos = 0) {
            SendMessage(ui::WindowHandle(d), ui::WM_HSCROLL, MAKELONG(code, pos),
                        LPARAM(ui::WindowHandle(bar)));
        };
        auto text = [&](int id) { return std::string(FindById<wxTextCtrl>(d, id)->GetValue().ToUTF8()); };
        Type(FindById(d, vtid::NoiseCutDialog::Amount), "5");
        EXPECT_EQ(amount->GetThumbPosition(), 5);
        scroll(amount, ui::SB_LINEDOWN);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Amount), "6");
        scroll(amount, ui::SB_PAGEDOWN);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Amount), "16");
        EXPECT_EQ(amount->GetThumbPosition(), 16);
        scroll(amount, ui::SB_PAGEUP);
        scroll(amount, ui::SB_PAGEUP);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Amount), "0") << "clamped at the left end";
        scroll(amount, ui::SB_BOTTOM);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Amount), "99");
        scroll(amount, ui::SB_THUMBTRACK, 42);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Amount), "42");
        EXPECT_NE(doc->m_preview, nullptr) << "the preview box is on: the noise is shown";
        // The smoothing bar steps by one for lines and pages alike, up to 10.
        scroll(smoothing, ui::SB_PAGEDOWN);
        scroll(smoothing, ui::SB_LINEDOWN);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Smoothing), "2");
        scroll(smoothing, ui::SB_BOTTOM);
        scroll(smoothing, ui::SB_LINEDOWN);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Smoothing), "10");
        // A typed value above 10 keeps the bar at its end
        Type(FindById(d, vtid::NoiseCutDialog::Smoothing), "30");
        EXPECT_EQ(smoothing->GetThumbPosition(), 10);
        EXPECT_EQ(text(vtid::NoiseCutDialog::Smoothing), "30");
        Click(FindById(d, 2));
    });
    Choose(94);
}

TEST_F(ResultWindowGui, PictureInformationTexts) {
    ScratchFolder dir;
    HDIB grey = DibCreate(33, 17, 0);
    ASSERT_TRUE(SaveImageFile(grey, dir / "g.bmp", 0, 75));
    GlobalFree(grey);
    PicInfoRecord rec{dir / "g.bmp", 3ull << 31, 0, true};
    EXPECT_EQ(CPicInfoDialog::RunForList(frame, {}), 0) << "an empty list shows nothing";
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(d->GetTitle().ToUTF8(), std::string("画像ｳｨﾝﾄﾞｳの情報"));
        auto text = [&](int id) { return std::string(FindById(d, id)->GetLabel().ToUTF8()); };
        EXPECT_EQ(text(vtid::PictureInfoDialog::FileName), "g.bmp");
        EXPECT_EQ(text(vtid::PictureInfoDialog::Width), "33画素");
        EXPECT_EQ(text(vtid::PictureInfoDialog::Height), "17画素");
        EXPECT_EQ(text(vtid::PictureInfoDialog::Depth), "8bit(ｸﾞﾚｰｽｹｰﾙ)");
        EXPECT_EQ(text(vtid::PictureInfoDialog::FileSize), "6442450944byte");
        EXPECT_NE(text(vtid::PictureInfoDialog::Created).find("年 "), std::string::npos);
        EXPECT_EQ(text(vtid::PictureInfoDialog::Folder).rfind(dir.Path() + " (空き容量:", 0), 0u);
        EXPECT_NE(text(vtid::PictureInfoDialog::FileType).find("(*.bmp)"), std::string::npos);
        Screenshot(d, OutputFolder() + "/picture-info.png");
        Click(FindById(d, IDOK));
    });
    EXPECT_EQ(CPicInfoDialog::RunForList(frame, {PicInfoRecord{dir / "x.bmp", 1, 0, false}, rec}), IDOK);
}

TEST_F(ResultWindowGui, PictureInformationTakesItsWordsFromTheStringsAndTellsTheVolumesFreeBytes) {
    ScratchFolder dir;
    HDIB grey = DibCreate(33, 17, 0);
    ASSERT_TRUE(SaveImageFile(grey, dir / "g.bmp", 0, 75));
    GlobalFree(grey);
    // A language bundle's words take the place of the program's own.
    ASSERT_TRUE(ui::Resources().LoadText("STRINGTABLE\n850 \" px\"\n851 \" grey\"\n852 \"%Y-%m-%d (\"\n"
                                         "853 \"Sun\"\n854 \"Mon\"\n859 \"Sat\"\n860 \"free\"\nEND\n",
                                         dir.Path(), "bundle"));
    // Sunday 4 January 1970, noon UTC: the same day in every time zone of half a day or less.
    const std::vector<std::string> t =
        CPicInfoDialog::Describe(PicInfoRecord{dir / "g.bmp", 1, 3 * 86400 + 12 * 3600, false});
    EXPECT_EQ(t[1], "33 px");
    EXPECT_EQ(t[2], "17 px");
    EXPECT_EQ(t[3], "8bit grey");
    EXPECT_EQ(t[5].rfind("1970-01-04 (Sun）", 0), 0u) << t[5];
    EXPECT_EQ(t[6].rfind(dir.Path() + " (free:", 0), 0u) << t[6];

    // The free bytes are the volume's, also those kept back for the administrator (other
    // programs write meanwhile: within 64 MiB).
    struct statvfs st {};
    ASSERT_EQ(::statvfs("/", &st), 0);
    uint64_t bytes = 0;
    ASSERT_TRUE(CPicInfoDialog::VolumeFreeBytes("/", bytes));
    const double total = double(st.f_bfree) * double(st.f_frsize);
    EXPECT_NEAR(double(bytes), total, 64.0 * 1024 * 1024);
    EXPECT_FALSE(CPicInfoDialog::VolumeFreeBytes(dir / "none", bytes));
}

TEST_F(ResultWindowGui, TemplatesHaveEveryIdTheClassesUse) {
    EXPECT_TRUE(bar->CheckControlIds().empty());
    CNoiseCutDialog dlg(frame, doc, view);
    EXPECT_TRUE(dlg.CheckControlIds().empty());
    CPicInfoDialog info(frame, {});
    EXPECT_TRUE(info.CheckControlIds().empty());
    CSetScaleDlg scale(frame);
    EXPECT_TRUE(scale.CheckControlIds().empty());
    CSetOutputAppDlg paths(frame);
    EXPECT_TRUE(paths.CheckControlIds().empty());
}

TEST_F(ResultWindowGui, AViewOnAnotherDocumentUpdatesAndPaintsNothing) {
    // The program may keep a result view on a document that is not a result document.
    ui::Document other;
    auto* hidden = new CImageView(frame);
    hidden->SetSize(200, 100);
    hidden->SetDocument(&other);
    hidden->OnInitialUpdate();
    EXPECT_EQ(hidden->ZoomStep(), 0);
    wxBitmap drawn(200, 100, 24);
    {
        wxMemoryDC dc(drawn);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        hidden->OnDraw(dc);
    }
    const wxImage seen = drawn.ConvertToImage();
    EXPECT_EQ(seen.GetRed(100, 50) + seen.GetGreen(100, 50) + seen.GetBlue(100, 50), 0)
        << "only the background";
    hidden->SetDocument(nullptr);
    hidden->Destroy();
}

// A white page of 800 x 1000 printer pixels in memory, with the printout drawing on it.
struct PrintedPage {
    wxBitmap bitmap{800, 1000, 24};
    wxMemoryDC dc{bitmap};
    CImagePrintout printout;
    explicit PrintedPage(const CImageDoc* doc) : printout(doc) {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        printout.SetDC(&dc);
        printout.SetPageSizePixels(800, 1000);
    }
    wxImage Image() {
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }
};

TEST_F(ResultWindowGui, PrintedPageFitsThePictureWithItsBars) {
    Composed c(400, 100);
    Show(c, 0);
    doc->m_scaleOn = 1;
    EXPECT_EQ(FitOnPage(400, 100, 800, 1000), wxRect(0, 400, 800, 200));
    EXPECT_EQ(FitOnPage(100, 400, 800, 1000), wxRect(275, 0, 250, 1000));
    PrintedPage page(doc);
    CImagePrintout& printout = page.printout;
    ASSERT_TRUE(printout.OnPrintPage(1));
    EXPECT_FALSE(printout.OnPrintPage(2));
    EXPECT_EQ(printout.FittedRect(), wxRect(0, 400, 800, 200));
    const wxImage img = page.Image();
    EXPECT_EQ(img.GetRed(400, 100), 255) << "above the picture the page stays white";
    EXPECT_EQ(img.GetBlue(790, 590), 128) << "the picture's blue plane";
    // The scale bar's colour (0x800080) is on the page, within the picture.
    int barPixels = 0;
    for (int y = 400; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            barPixels += img.GetRed(x, y) == 128 && img.GetGreen(x, y) == 0 && img.GetBlue(x, y) == 128;
    EXPECT_GT(barPixels, 50);
    img.SaveFile(wxString(OutputFolder() + "/print-page.png"), wxBITMAP_TYPE_PNG);
}

TEST_F(ResultWindowGui, PrintedPictureKeepsToThePrintableArea) {
    // A page of 200 x 250 mm at 4 pixels a millimetre. Where the paper reaches beyond the page,
    // the page is the printable area; where the page is the whole paper, a quarter inch stays
    // free on each side, at the scale of a preview's smaller DC too.
    const PrintPage inPaper{{800, 1000}, {200, 250}, wxRect(-20, -30, 840, 1060)};
    const PrintPage wholePaper{{800, 1000}, {200, 250}, wxRect(0, 0, 800, 1000)};
    EXPECT_EQ(PrintableArea({800, 1000}, inPaper), wxRect(0, 0, 800, 1000));
    EXPECT_EQ(PrintableArea({800, 1000}, wholePaper), wxRect(25, 25, 750, 950));
    EXPECT_EQ(PrintableArea({400, 500}, wholePaper), wxRect(12, 12, 376, 476));

    Composed c(400, 100);
    Show(c, 0);
    PrintedPage page(doc);
    CImagePrintout& printout = page.printout;
    printout.SetPageSizeMM(200, 250);
    printout.SetPaperRectPixels(wxRect(0, 0, 800, 1000));
    ASSERT_TRUE(printout.OnPrintPage(1));
    // 750 wide in the printable area, centred in it.
    EXPECT_EQ(printout.FittedRect(), wxRect(25, 406, 750, 187));
    const wxImage img = page.Image();
    for (const wxPoint at : {wxPoint(10, 500), wxPoint(789, 500)})
        EXPECT_EQ(img.GetRed(at.x, at.y) + img.GetGreen(at.x, at.y) + img.GetBlue(at.x, at.y), 3 * 255)
            << "the margin at " << at.x << " stays white";
    EXPECT_EQ(img.GetBlue(30, 500), 128) << "the picture starts inside the margin";
    EXPECT_EQ(img.GetBlue(770, 500), 128);
}

TEST_F(ResultWindowGui, ScaleSettingsWriteTheirKeysAndApplyToEveryLens) {
    Composed c(200, 100);
    Show(c, 0);
    WriteIniInt("CALIBRATION", "CALIBNO", 2);
    doc->LoadScaleSettings();
    ASSERT_EQ(doc->m_slot, 2);
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(d->GetTitle().ToUTF8(), std::string("ｽｹｰﾙの設定"));
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "50");
        Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), "12.7");
        Type(FindById(d, vtid::ScaleSettingsDialog::Step), "5");
        Click(FindById(d, vtid::ScaleSettingsDialog::BottomRight)); // bottom right
        Click(FindById(d, IDOK));
    });
    WriteIniInt("CALIBRATION", "SCALEALLCHK1", 0);
    Choose(vtid::cmd::ResultScaleSettings);
    EXPECT_EQ(doc->m_lens.scaleLength, 50.0);
    EXPECT_EQ(doc->m_lens.scaleDots, 12) << "a pixel count of 12.7 is stored as 12";
    EXPECT_EQ(doc->m_lens.scalePosition, 3);
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALELEN3", ""), "50");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALEDOT3", ""), "12");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALECEIL3", ""), "5");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALEPOS3", ""), "3");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALECOLOR3", ""), "8388736");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALEPOS1", ""), "3");
    EXPECT_EQ(ReadIniString("CALIBRATION", "SCALELEN2", "none"), "none") << "not applied to all";

    WriteIniInt("CALIBRATION", "SCALEALLCHK1", 1);
    WriteIniInt("CALIBRATION", "SCALEALLCHK2", 1); // each box has its own key
    WhenModal([&](wxDialog* d) {
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "70");
        Click(FindById(d, IDOK));
    });
    Choose(vtid::cmd::ResultScaleSettings);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(ReadIniString("CALIBRATION", ("SCALELEN" + std::to_string(i)).c_str(), ""), "70") << i;
        EXPECT_EQ(ReadIniString("CALIBRATION", ("SCALEDOT" + std::to_string(i)).c_str(), ""), "12") << i;
    }
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALEALLCHK1", -1), 1);

    // The hand-over programs: OK takes the paths; they are written in every case.
    WhenModal([&](wxDialog* d) {
        Type(FindById(d, vtid::TransferProgramsDialog::ThreeDProgram), "/opt/x/Brelvoxa");
        Type(FindById(d, vtid::TransferProgramsDialog::AnalysisProgram), "/opt/analysis");
        Click(FindById(d, IDOK));
    });
    Choose(vtid::cmd::TransferPrograms);
    EXPECT_EQ(ReadIniString("APPPATH", "BRXPATH", ""), "/opt/x/Brelvoxa");
    EXPECT_EQ(ReadIniString("APPPATH", "PVPPATH", ""), "/opt/analysis");
    EXPECT_FALSE(Item(vtid::cmd::TransferTo3d)->IsEnabled())
        << "a path that does not open leaves the hand-over greyed";
}

TEST_F(ResultWindowGui, ScaleSettingsOfATableLensGoToItsRecordAndEveryLensTakesTheAll) {
    struct Table : LensTable {
        std::vector<CMLens> lenses = std::vector<CMLens>(2);
        bool LensFileExists() const override { return true; }
        int Count() const override { return 2; }
        CMLens* At(int i) const override {
            return i == 0 || i == 1 ? const_cast<CMLens*>(&lenses[size_t(i)]) : nullptr;
        }
        int IndexOf(const std::string& name) const override {
            return name == lenses[0].GetName() ? 0 : name == lenses[1].GetName() ? 1 : -1;
        }
        bool ReloadFileValues() override { return true; }
    } table;
    table.lenses[0].SetName("20X");
    table.lenses[1].SetName("50X");
    frame->m_pLensTable = &table;
    Composed c(200, 100);
    Show(c, 0);
    doc->m_slot = -1;
    doc->m_lens.name = "50X";
    // The dialog's two apply-to-all boxes start from their keys.
    auto scaleSettings = [&](int all, const char* length, const char* dots) {
        WriteIniInt("CALIBRATION", "SCALEALLCHK1", all);
        WriteIniInt("CALIBRATION", "SCALEALLCHK2", all);
        WhenModal([&](wxDialog* d) {
            Type(FindById(d, vtid::ScaleSettingsDialog::Length), length);
            Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), dots);
            Click(FindById(d, IDOK));
        });
        Choose(vtid::cmd::ResultScaleSettings);
    };
    scaleSettings(0, "30", "40");
    EXPECT_EQ(table.lenses[1].m_scaleLength, 30.0);
    EXPECT_EQ(table.lenses[1].m_scaleDots, 40);
    EXPECT_EQ(table.lenses[0].m_scaleLength, 0.0) << "another lens keeps its own";
    EXPECT_EQ(ReadIniString("CALIBRATION_50X", "SCALELEN1", ""), "30");
    EXPECT_EQ(ReadIniString("CALIBRATION_20X", "SCALELEN1", "none"), "none");

    scaleSettings(1, "70", "15");
    for (const char* name : {"20X", "50X"}) {
        const std::string section = std::string("CALIBRATION_") + name;
        EXPECT_EQ(ReadIniString(section.c_str(), "SCALELEN1", ""), "70") << name;
        EXPECT_EQ(ReadIniString(section.c_str(), "SCALEDOT1", ""), "15") << name;
    }
    EXPECT_EQ(table.lenses[0].m_scaleLength, 70.0);
    EXPECT_EQ(table.lenses[0].m_scaleDots, 15);
    frame->m_pLensTable = nullptr;
}

TEST_F(ResultWindowGui, BarScaleButtonsSwitchTheBarsAndFollowTheSwitches) {
    Composed c(640, 480);
    Show(c, 0);
    doc->m_scaleOn = 0;
    Click(bar->GetDlgItem(vtid::ViewerBar::UmScale));
    EXPECT_EQ(doc->m_scaleOn, 1);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALEONOFF1", -1), 1);
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(dynamic_cast<wxToggleButton*>(bar->GetDlgItem(vtid::ViewerBar::UmScale))->GetValue());
    doc->m_lens.scaleLength = 0; // no length: message 1042 and the switch off
    Click(bar->GetDlgItem(vtid::ViewerBar::UmScale));
    EXPECT_EQ(doc->m_scaleOn, 0);
    EXPECT_EQ(sink.ShownIds().back(), vtid::str::NoScaleSettings);
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(dynamic_cast<wxToggleButton*>(bar->GetDlgItem(vtid::ViewerBar::UmScale))->GetValue());
}

TEST_F(ResultWindowGui, CalibrationLineMeasuresImagePixelsAndSnapsWithShift) {
    Composed c(320, 240);
    Show(c, 0);
    Choose(vtid::cmd::Zoom200); // 200 %: the line is measured in image pixels
    view->Scroll(0, 0);
    view->Refresh();
    ASSERT_TRUE(WaitForPaint(frame));
    int ended = 0;
    view->onLineEnded = [&] { ++ended; };
    auto send = [&](wxEventType type, int x, int y, bool left, bool shift) {
        wxMouseEvent ev(type);
        ev.SetPosition(wxPoint(x, y));
        ev.SetLeftDown(left);
        ev.SetShiftDown(shift);
        ev.SetEventObject(view);
        view->ProcessWindowEvent(ev);
    };
    // Not active: nothing is drawn.
    send(wxEVT_LEFT_DOWN, 50, 50, true, false);
    send(wxEVT_LEFT_UP, 50, 50, false, false);
    EXPECT_EQ(ended, 0);
    view->SetCalibrationActive(true);
    const RECT r = view->ImageRect();
    send(wxEVT_LEFT_DOWN, r.left + 20, r.top + 20, true, false);
    send(wxEVT_MOTION, r.left + 220, r.top + 60, true, true); // Shift: horizontal
    EXPECT_EQ(view->LineEnd().y, view->LineStart().y);
    EXPECT_EQ(view->LineEnd().x - view->LineStart().x, 200);
    EXPECT_NEAR(doc->m_calibLineLength, std::sqrt(100.5 * 100.5 + 0.5 * 0.5), 1e-9);
    send(wxEVT_MOTION, r.left + 40, r.top + 220, true, false); // free
    EXPECT_NEAR(doc->m_calibLineLength, std::sqrt(10.5 * 10.5 + 100.5 * 100.5), 1e-9);
    send(wxEVT_MOTION, -500, -500, true, false); // clamped to the picture
    EXPECT_EQ(view->LineEnd().x, 0);
    EXPECT_EQ(view->LineEnd().y, 0);
    send(wxEVT_LEFT_UP, 0, 0, false, false);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(view->HasCapture());
    view->Refresh();
    ASSERT_TRUE(WaitForPaint(frame));
    view->EraseCalibrationLine(false);
    EXPECT_EQ(view->LineStart().x, view->LineEnd().x);
    view->SetCalibrationActive(false);
}
