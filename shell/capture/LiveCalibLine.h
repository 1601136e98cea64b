// The measuring line of the XY calibration on a live picture (the capture view's and the Vossa
// live view's): drawn over the picture with the scale overlay while the main frame's calibration
// settings dialog is open, its length kept in the document and handed to that dialog.
#pragma once

#include <functional>

class CaptureHost;
class CCalibLine;
class COrsandelDoc;
class CSampleStatic;
class CScaleStatic;

struct LiveCalibLineOwner {
    std::function<CaptureHost*()> host; // whose calibration settings dialog the line serves
    std::function<COrsandelDoc*()> document;
    std::function<int()> pictureWidth; // the live picture's width in frame pixels
};

void AttachLiveCalibLine(CCalibLine& line, CSampleStatic* live, CScaleStatic* scale,
                         LiveCalibLineOwner owner);
// Forgets the line and takes it off the scale overlay.
void ResetLiveCalibLine(CCalibLine& line, CScaleStatic* scale);
