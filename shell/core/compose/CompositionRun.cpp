#include "shell/core/compose/CompositionRun.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "shell/core/settings/DocumentSettings.h"

CompositionParameters ParametersForFocusType(int focusType, int compSize, int compSmoothing) {
    CompositionParameters p;
    switch (focusType) {
    case 0:
        p.sizeParameter = 1;
        p.smoothing = 8;
        break;
    case 2:
        p.sizeParameter = 15;
        p.smoothing = 6;
        break;
    case 3:
        p.sizeParameter = compSize;
        p.smoothing = compSmoothing;
        break;
    default:
        p.sizeParameter = 8;
        p.smoothing = 6;
        break;
    }
    return p;
}

void ApplyCompositionSpeed(CompositionParameters& p, int speedSelection, int firstWidth) {
    switch (speedSelection) {
    case 1:
        p.coarseGrid = 1;
        p.reducedWidth = firstWidth / 2;
        break;
    case 2:
        p.coarseGrid = 1;
        p.reducedWidth = firstWidth / 4;
        break;
    default:
        p.coarseGrid = 0;
        p.reducedWidth = 0;
        break;
    }
}

FocusCompSettings CompositionSettings(const DocumentSettings* doc, int width, int height, int sizeParam) {
    FocusCompSettings s;
    s.width = width;
    s.height = height;
    s.sizeParam = sizeParam;
    if (doc) {
        s.scope = static_cast<FocusScope>(doc->m_scopeType);
        s.band = {doc->m_subsType == 1, doc->m_subsPos};
    }
    return s;
}

CompositionParameters PrepareComposition(DocumentSettings& doc, int speedSelection) {
    if (speedSelection >= 0 && speedSelection <= 2)
        doc.m_compSpeed = speedSelection;
    doc.SaveCompositionSettings();
    return ParametersForFocusType(doc.m_focusType, doc.m_compSize, doc.m_compSmoothing);
}

bool ReadImageFileSize(const std::string& path, int* width, int* height) {
    *width = 0;
    *height = 0;
    int type = -1;
    HDIB dib = ReadImageFile(path, &type);
    if (!dib)
        return false;
    if (const void* block = GlobalLock(dib)) {
        *width = static_cast<int>(DibGetWidth(block));
        *height = static_cast<int>(DibGetHeight(block));
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
    return *width > 0 && *height > 0;
}

bool BuildCompositionSeries(const std::vector<SeriesEntry>& entries, CompositionSeries& out,
                            ImageSizeReader reader) {
    out = CompositionSeries{};
    for (const SeriesEntry& e : entries) {
        if (e.number == kPlaceholderNumber)
            continue;
        out.files.push_back(e.path);
        out.z.push_back(e.z);
    }
    if (entries.empty() || out.files.empty())
        return false;
    const SeriesEntry& first = entries.front();
    if (first.haveRecord && first.width > 0 && first.height > 0) {
        out.width = first.width;
        out.height = first.height;
    } else if (first.number != kPlaceholderNumber && reader) {
        int w = 0;
        int h = 0;
        if (reader(first.path, &w, &h) && w > 0 && h > 0) {
            out.width = w;
            out.height = h;
        }
    }
    return out.width > 0 && out.height > 0;
}
