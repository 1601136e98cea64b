#include "viewer3d/core/files/TxtFormatCheck.h"

#include "platform/File.h"

#include <climits>
#include <cstdlib>
#include <new>
#include <string>

namespace v3d {

bool CheckTxtFormat(std::string_view text, bool threeValuesAPixel, TxtFormat* format) {
    TxtFormat f;
    double maximum = 0.0;
    std::string value;
    int64_t valuesInRow = 0, rows = 0, firstRowValues = -1;
    bool any = false;
    // A separator always ends a value (an empty one reads as 0, as the reader takes it); a line
    // end ends one unless the line is blank.
    auto endValue = [&](bool always) {
        if (value.empty() && !always && valuesInRow == 0)
            return;
        const double v = std::strtod(value.c_str(), nullptr);
        if (v > maximum)
            maximum = v;
        value.clear();
        ++valuesInRow;
        any = true;
    };
    auto endRow = [&] {
        endValue(false);
        if (valuesInRow > 0) {
            if (firstRowValues < 0)
                firstRowValues = valuesInRow;
            ++rows;
        }
        valuesInRow = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t' || c == ',') {
            f.separator = c == ',' ? 1 : 0;
            endValue(true);
        } else if (c == '\n' || c == '\r') {
            endRow();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == ' ') {
            continue;
        } else {
            value.push_back(c);
            if (value.size() > 16)
                return false;
        }
    }
    endRow(); // a last row without a line end
    if (!any || maximum >= 65536.0 || rows > INT_MAX || firstRowValues > INT_MAX)
        return false;
    f.rows = static_cast<int>(rows);
    f.columns = static_cast<int>(threeValuesAPixel ? firstRowValues / 3 : firstRowValues);
    f.valueType = maximum < 256 ? 0 : maximum < 1024 ? 1 : maximum < 4096 ? 2 : 3;
    if (format)
        *format = f;
    return true;
}

int CheckTxtFormat(CFile* file, bool threeValuesAPixel, TxtFormat* format) {
    if (!file)
        return 0;
    const uint64_t length = file->GetLength();
    if (length > (uint64_t(1) << 32))
        return 0;
    std::string text;
    try {
        text.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    file->SeekToBegin();
    const UINT got = file->Read(text.data(), static_cast<UINT>(text.size()));
    text.resize(got);
    file->SeekToBegin();
    return CheckTxtFormat(text, threeValuesAPixel, format) ? 1 : 0;
}

} // namespace v3d
