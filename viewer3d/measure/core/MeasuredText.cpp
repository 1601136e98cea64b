#include "viewer3d/measure/core/MeasuredText.h"

#include "ids/BrelvoxaIds.h"
#include "platform/Encoding.h"
#include "platform/File.h"

#include <cstdio>

namespace v3d {

std::string FillMeasuredFormat(const std::string& format, double value, const std::string& unit) {
    std::string out;
    bool valueDone = false, unitDone = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const std::string_view rest(format.data() + i, format.size() - i);
        if (rest.starts_with("%%")) {
            out += '%';
            i += 1;
        } else if (!valueDone && (rest.starts_with("%.02f") || rest.starts_with("%.2f"))) {
            char text[64];
            std::snprintf(text, sizeof text, "%.2f", value);
            out += text;
            i += rest.starts_with("%.02f") ? 4 : 3;
            valueDone = true;
        } else if (!unitDone && rest.starts_with("%s")) {
            out += unit;
            i += 1;
            unitDone = true;
        } else {
            out += '%';
        }
    }
    return out;
}

std::string FormatMeasuredValues(const MeasuredValues& v, bool csv,
                                 const std::function<std::string(unsigned)>& load) {
    // The formats of each kind follow each other: height, width, area, angle, Ra.
    const unsigned base = csv ? bxid::str::CsvHeight : bxid::str::TabHeight;
    std::string text;
    text += FillMeasuredFormat(load(base + 0), v.height, v.zUnit);
    text += FillMeasuredFormat(load(base + 1), v.width, v.xyUnit);
    text += FillMeasuredFormat(load(base + 2), v.area, v.areaLabel);
    text += FillMeasuredFormat(load(base + 3), v.angle, "");
    text += FillMeasuredFormat(load(base + 4), v.ra, v.zUnit);
    if (csv) {
        // The CSV's Rzjis line is its Rz format with the longer label.
        const std::string rz = load(bxid::str::CsvRz);
        text += FillMeasuredFormat(rz, v.rz, v.zUnit);
        std::string rzjis = rz;
        const std::string label = "粗さRz";
        const size_t at = rzjis.find(label);
        if (at != std::string::npos)
            rzjis.insert(at + label.size(), "jis");
        text += FillMeasuredFormat(rzjis, v.rzjis, v.zUnit);
    } else {
        text += FillMeasuredFormat(load(bxid::str::TabRz), v.rz, v.zUnit);
        text += FillMeasuredFormat(load(bxid::str::TabRzjis), v.rzjis, v.zUnit);
    }
    if (csv) {
        // CSV lines end in CR LF whatever the formats end in.
        std::string crlf;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
                crlf += '\r';
            crlf += text[i];
        }
        return crlf;
    }
    return text;
}

int WriteMeasuredCsv(const std::string& path, const std::string& utf8Text) {
    AtomicFileWriter writer(path);
    if (!writer.Open())
        return 0;
    try {
        const std::string cp = Utf8ToCp932(utf8Text);
        writer.File().Write(cp.data(), static_cast<UINT>(cp.size()));
        if (!writer.Commit())
            return -1;
    } catch (const CFileException&) {
        writer.Abort();
        return -1;
    }
    return 1;
}

} // namespace v3d
