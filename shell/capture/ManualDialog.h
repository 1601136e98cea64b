// The manual capture panel (template 600) in the left bar of the manual mode: the user turns
// the focus by hand and takes each picture of the series with a button. The panel keeps the
// save path and the numbered name of the next picture, has the capture view take and save the
// picture, puts the saved file into the focus image box with its height and shows a running
// composition of the pictures of the run in the capture view's preview pane. The series is then
// composed from the composition bar.
#pragma once

#include "ui/TemplateWindow.h"

#include <memory>
#include <string>

class CaptureHost;
class CFocusComp;
class CStageEdit;

// The folder as the panel shows it: itself below 20 characters; else the first three
// characters, ".." and the tail from the second '/' from the end ("/home/me/2005/May" gives
// "/ho../2005/May"); the whole folder when that '/' is the first character or the tail is
// shorter than three characters.
std::string ShortenFolderText(const std::string& folder);

class CManualDialog : public ui::TemplatePanel {
public:
    // What became of one picture.
    enum class Shot {
        Failed,  // nothing saved (the path is not writable, the stage gave no height, or the
                 // camera gave no picture)
        Taken,   // saved and in the focus image box
        Refused, // saved, but the focus image box is full
    };

    explicit CManualDialog(CaptureHost* host);
    ~CManualDialog() override;

    bool OnInitDialog() override;
    void UpdatePathDisplay();
    void OnSelectFolder();
    void OnStartCapture();
    void OnCapture();
    Shot CaptureOne();
    void OnEndCapture();
    void OnHeightChange();
    // Frees the preview composer once no picture is being taken. A picture is taken on this
    // thread, so a call while one is under way comes from a message that the capture's own
    // pumping dispatched: it cannot wait for it, remembers that the frame wants to close (the
    // frame is closed again when the picture is done) and returns false.
    bool WaitIdle();

    // 1 between the start and the end of a capture run (the frame reads it).
    int m_bInRun = 0;
    // 1 while one picture is being taken.
    int m_bBusy = 0;
    // 1 when no further picture may be taken in this run (the numbering is exhausted, or the
    // focus image box is full).
    int m_bLimitReached = 0;
    std::string m_strSavePath;    // full path of the first picture's name
    std::string m_strCurrentName; // full numbered path of the next picture
    std::string m_strFolderText, m_strFileText;

    CFocusComp* PreviewComposer() const { return m_pPreview.get(); }
    CStageEdit* HeightEdit() const { return m_pHeight; }

private:
    bool HeightInputOn() const;
    // The height text is a number that 608 may capture with.
    bool HeightTextValid() const;
    void ShowRunControls(bool run);
    void ShowFileName();
    // Reads the stage position into 607 as the height of the picture; false when the stage was
    // to give the height and did not answer (607 keeps the last height, which is not this one).
    bool ReadStageHeight();
    // Feeds the saved picture to the preview and shows the preview's result.
    void FeedPreview(const std::string& path);

    CaptureHost* m_pHost;
    CStageEdit* m_pHeight = nullptr;
    std::unique_ptr<CFocusComp> m_pPreview;
    bool m_closeRequested = false;
};
