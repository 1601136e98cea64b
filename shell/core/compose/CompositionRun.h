// The rules of a composition start: the parameters of each focus type and speed, and the file
// list, Z list and image size taken from the focus image box.
#pragma once

#include "browser/core/FileInfoStruc.h" // kPlaceholderNumber of the box's last entry
#include "imaging/compose/FocusCompSettings.h"

#include <string>
#include <vector>

class DocumentSettings;

struct CompositionParameters {
    int sizeParameter = 8; // passed to the composer
    int smoothing = 6;     // noise-cut filter size of the next result
    int coarseGrid = 0;    // composer's coarse-grid mode
    int reducedWidth = 0;  // width the coarse grid works at; 0 when not used
};

// Focus type 0 fine (1, 8), 1 normal (8, 6), 2 smooth (15, 6), 3 manual (the document's size and
// smoothing); another type is taken as normal.
CompositionParameters ParametersForFocusType(int focusType, int compSize, int compSmoothing);
// Speed 0: no coarse grid; 1: half the first image's width; 2: a quarter (integer division).
// Another selection is taken as 0.
void ApplyCompositionSpeed(CompositionParameters& p, int speedSelection, int firstWidth);

// The composer's settings for a series of width x height images: the focus-measure size
// parameter and the document's microscope type and stereo band (without a document the
// ordinary microscope and the automatic band); no alignment and no coarse grid. A microscope
// type the engine does not know is passed on as it is.
FocusCompSettings CompositionSettings(const DocumentSettings* doc, int width, int height, int sizeParam);

// Stores the combo's speed selection in the document as COMPSPEED, writes the composition
// settings, and returns the parameters of the document's focus type.
CompositionParameters PrepareComposition(DocumentSettings& doc, int speedSelection);

// One entry of the focus image box as the composition start sees it.
struct SeriesEntry {
    std::string path;
    int number = 0;          // kPlaceholderNumber for the placeholder
    double z = 0.0;          // micrometres
    bool haveRecord = false; // the entry's image record is loaded
    int width = 0, height = 0;
};

struct CompositionSeries {
    std::vector<std::string> files;
    std::vector<double> z;
    int width = 0, height = 0;
};

// Reads the width and height of an image file (0, 0 when it cannot be read).
using ImageSizeReader = bool (*)(const std::string& path, int* width, int* height);
bool ReadImageFileSize(const std::string& path, int* width, int* height);

// The files and Z values of every entry but the placeholder, and the size of the first entry
// (placeholder or not): its record's when loaded, else its file's. False when no size is
// known or no file is listed: the composition is refused.
bool BuildCompositionSeries(const std::vector<SeriesEntry>& entries, CompositionSeries& out,
                            ImageSizeReader reader = &ReadImageFileSize);
