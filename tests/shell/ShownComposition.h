// A result shown in the program's result window as a composition is: 64 x 48 pixels with the
// heights x + y, its smoothing done.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "shell/app/OrsandelApp.h"
#include "ui/testing/GuiTest.h"
#include "result/ImageDoc.h"

#include <vector>

// The result's document; null when it did not open or its smoothing did not end.
inline CImageDoc* ShowComposition(COrsandelApp& app) {
    HDIB image = DibCreate(64, 48, 1);
    std::vector<std::vector<double>> rows(48, std::vector<double>(64));
    std::vector<std::vector<int>> focus(48, std::vector<int>(64, 200));
    std::vector<double*> hp;
    std::vector<int*> fp;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x)
            rows[size_t(y)][size_t(x)] = x + y;
        hp.push_back(rows[size_t(y)].data());
        fp.push_back(focus[size_t(y)].data());
    }
    CImageDoc* doc = app.OpenImageDocument(nullptr, image, hp.data(), fp.data(), 1);
    GlobalFree(image);
    if (!doc || !ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }))
        return nullptr;
    return doc;
}
