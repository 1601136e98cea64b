// One lens (or one zoom step of a lens): its name, the name of its calibration, the calibration in
// micrometres per pixel, the capture interval and the settings of the scale bar drawn with it.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

// Removes blanks and tabs from both ends of a text, in place (the rest of the text moves forward).
void TrimBlanks(char* text);
void TrimBlanks(std::string& text);

class CMLens {
public:
    CMLens() = default;

    int32_t m_index = 0;                      // position in the lens table, or slot number
    double m_calib = 0.0;                     // micrometres per pixel
    double m_gap = 0.0;                       // capture interval, micrometres
    COLORREF m_scaleColor = RGB(128, 0, 128); // colour of the scale bar
    int32_t m_scalePos = 0;                   // position code of the scale bar
    double m_scaleLength = 0.0;               // length of scale bar 1, micrometres (0: no scale set)
    int32_t m_scaleDots = 0;                  // setting of scale bar 2 (the dot scale)
    double m_scaleCeiling = 0.0;              // scale ceiling value

    const std::string& GetName() const { return m_name; }
    const std::string& GetRegName() const { return m_regName; }
    // Replace the text with a trimmed copy; a null text gives an empty one.
    void SetName(const char* text);
    void SetName(const std::string& text) { SetName(text.c_str()); }
    void SetRegName(const char* text);
    void SetRegName(const std::string& text) { SetRegName(text.c_str()); }
    void SetCalib(double calib) { m_calib = calib; }
    void SetGap(double gap) { m_gap = gap; }

    // Takes over every value of other: index, both texts (trimmed through the setters) and the
    // calibration, interval and scale settings, field by field.
    void Copy(const CMLens& other);
    void Assign(const CMLens& other) { Copy(other); }

private:
    std::string m_name;    // lens name, first column of the lens file
    std::string m_regName; // name of the calibration
};
