// Looks over an integer text height file before it is read: how many values a row and how many
// rows, which separator, and the smallest sample type that holds its largest value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class CFile;

namespace v3d {

struct TxtFormat {
    int valueType = 0; // 0: below 256, 1: below 1024, 2: below 4096, 3: below 65536
    int columns = 0;   // values (or value triples) of the first row
    int rows = 0;
    int separator = 0; // 0 tab, 1 comma
};

// Values end at a tab or comma, at a line end (LF, CR LF or CR) and at the end of the text;
// spaces are skipped; a value of more than 16 characters refuses the text. Every value counts
// for the maximum; a maximum of 65536 or more, no value at all or a row count beyond the int
// range refuses it. With threeValuesAPixel the columns are the first row's values / 3.
bool CheckTxtFormat(std::string_view text, bool threeValuesAPixel, TxtFormat* format);
// The same on an open file from its start; the file is put back to its start. 1 usable, 0 not.
int CheckTxtFormat(CFile* file, bool threeValuesAPixel, TxtFormat* format);

} // namespace v3d
