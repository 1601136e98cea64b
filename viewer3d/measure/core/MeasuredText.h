// The measured values of a 3D document as text: the CSV file (CP932, CR LF lines) and the
// clipboard text (UTF-8, tab separated). Each line comes from a string-table format holding
// one "%.02f" for the value and, except for the angle, one "%s" for the unit; the formats are
// filled by substitution, so a format from a language bundle cannot read arguments that are
// not there.
#pragma once

#include <functional>
#include <string>

namespace v3d {

struct MeasuredValues {
    double height = 0.0;
    double width = 0.0; // already multiplied by the x pitch
    double area = 0.0;
    double angle = 0.0;
    double ra = 0.0;
    double rz = 0.0;
    double rzjis = 0.0;
    std::string zUnit;     // UTF-8
    std::string xyUnit;    // UTF-8
    std::string areaLabel; // UTF-8
};

// Fills one format: the first "%.02f" (or "%.2f") with the value to two decimals, the first
// "%s" with the unit, "%%" with "%".
std::string FillMeasuredFormat(const std::string& format, double value, const std::string& unit);

// The seven lines (height, width, area, angle, Ra, Rz, Rzjis) from strings 2100..2106 (CSV) or
// 2150..2156 (clipboard), in UTF-8. The CSV's Rzjis line is the Rz format with its label.
std::string FormatMeasuredValues(const MeasuredValues& values, bool csv,
                                 const std::function<std::string(unsigned)>& loadString);

// Writes the CSV text in CP932 through a temporary file renamed over the path. 1 written; 0
// when the file cannot be created; -1 on a write error (the target stays as it was).
int WriteMeasuredCsv(const std::string& path, const std::string& utf8Text);

} // namespace v3d
