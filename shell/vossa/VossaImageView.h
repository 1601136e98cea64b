// The preview view of the continuous composition mode (template 267), the lower pane of its
// splitter: it owns the composer of the running composition and shows the running composite in
// its picture pane over a black area captioned "FOCUSING PREVIEW".
#pragma once

#include "platform/GlobalMemory.h"
#include "ui/TemplateWindow.h"

#include <memory>

class CFocusComp;
class COrsandelDoc;
class CProcParameter;
class CSampleStatic;
class wxDC;

// Paints a view of the mode: the client area black, the caption centred on one line in white
// in the program's serif face.
void PaintVossaCaption(wxDC& dc, const wxSize& client, const wxString& caption);

class CVossaImageView : public ui::FormView {
public:
    CVossaImageView();
    ~CVossaImageView() override;

    // Registers the view with the main frame, clears the frame's no-camera flag and stage-busy
    // owner and keeps the frame's camera parameters.
    bool Create(wxWindow* parent);
    void OnInitialUpdate() override;
    // The caption "FOCUSING PREVIEW" on black, where no composite shows yet.
    void OnDraw(wxDC& dc) override;

    // A new composer for frames of the stored image size (the previous one and its composite
    // go); frames composed 0; the picture pane is emptied.
    void StartComposition();
    // Adds a frame (the caller keeps it) and shows the composite; a null frame is ignored. A
    // first frame of another size than the composer was made for starts the composer again at
    // the frame's size, so that a size that changed before the first frame is not refused.
    void AddFrame(HDIB frame, int* imageType);
    // Cuts the composite to its output rectangle; false when there is nothing to cut.
    bool Compose();
    void FreeComposition();
    // Size of the frames the layout and the next composer use.
    void SetImageSize(int width, int height);
    // Empties the picture pane and moves it out of sight (the caption shows).
    void HidePicture();

    int FramesComposed() const { return m_nFramesComposed; }
    // The composite the composer holds (null while none).
    HDIB Composite() const;
    bool HasComposite() const { return Composite() != nullptr; }
    CFocusComp* Composer() const { return m_pComposer.get(); }
    CSampleStatic* PicturePane() const { return m_pPicture; }
    int ImageWidth() const { return m_nImageWidth; }
    int ImageHeight() const { return m_nImageHeight; }
    // Milliseconds the last added frame spent in the composer.
    double LastAddMs() const { return m_dLastAddMs; }

private:
    COrsandelDoc* GetVossaDocument() const;
    void LayoutPicture();

    COrsandelDoc* m_pDoc = nullptr;
    CProcParameter* m_pParams = nullptr;
    std::unique_ptr<CFocusComp> m_pComposer;
    int m_nFramesComposed = 0;
    CSampleStatic* m_pPicture = nullptr;
    int m_nImageWidth = 320;
    int m_nImageHeight = 240;
    double m_dLastAddMs = 0.0;
};
