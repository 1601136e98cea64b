#include "result/core/HeightPicture.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"

#include <cmath>
#include <vector>

HeightRange ScanHeightRange(const HeightRows& rows) {
    HeightRange r{2147483647.0, -2147483648.0};
    const double* p = rows.Data();
    for (size_t i = 0, n = rows.Count(); i < n; ++i) {
        if (p[i] > r.max)
            r.max = p[i];
        if (p[i] < r.min)
            r.min = p[i];
    }
    return r;
}

int HeightIndex(double h, double min, double step) {
    if (!(step > 0.0))
        return 0;
    const double v = (h - min) / step;
    if (!(v >= 1.0)) // also NaN
        return 0;
    if (v > 254.0)
        return 254;
    return static_cast<int>(v);
}

HDIB BuildHeightPicture(const HeightRows& rows, double* minOut, double* stepOut) {
    if (rows.Empty())
        return nullptr;
    const HeightRange r = ScanHeightRange(rows);
    const double step = (r.max - r.min) / 255.0;
    if (minOut)
        *minOut = r.min;
    if (stepOut)
        *stepOut = step;
    HDIB dib = DibCreate(rows.Width(), rows.Height(), 0);
    if (!dib)
        return nullptr;
    void* block = GlobalLock(dib);
    std::vector<int> line(static_cast<size_t>(rows.Width()));
    for (int y = 0; y < rows.Height(); ++y) {
        const double* row = rows[y];
        for (int x = 0; x < rows.Width(); ++x)
            line[size_t(x)] = HeightIndex(row[x], r.min, step);
        DibWriteRow(line.data(), block, 0, y, rows.Width());
    }
    GlobalUnlock(dib);
    RGBQUAD table[256];
    FillHeightColorTable(table);
    DibSetColorTable(dib, table);
    return dib;
}
