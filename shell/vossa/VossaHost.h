// VossaHost: what the continuous composition's panel and its two views ask of the main frame
// beyond what the capture panels ask: each other, and the frame's part in making a view.
#pragma once

#include "shell/capture/CaptureHost.h"

class CProcParameter;
class CVossaDialog;
class CVossaImageView;
class CVossaLiveView;

class VossaHost : public CaptureHost {
public:
    // A view of the mode being made joins the frame: the frame keeps it, the camera may be tried
    // again and no stage operation holds the frame. Returns the camera parameters the view reads.
    virtual CProcParameter* JoinVossaView(CVossaLiveView* view) = 0;
    virtual CProcParameter* JoinVossaView(CVossaImageView* view) = 0;

    virtual CVossaDialog* VossaPanel() const = 0;
    virtual CVossaLiveView* VossaLiveView() const = 0;
    virtual CVossaImageView* VossaImageView() const = 0;
};
