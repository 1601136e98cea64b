// The lens table read from the lens file LENS.TXT, with the settings-file overrides of each lens's
// own section, and the program-wide scale colour and corner of the scale bars.
#pragma once

#include "devices/camera/MLens.h"

#include <memory>
#include <string>
#include <vector>

// An owning array of lens records, in file order (the record's index is its position).
using CMLensArray = std::vector<std::unique_ptr<CMLens>>;

// The element of a lens array, null when the index is negative or not below its size.
CMLens* GetLensAt(const CMLensArray& array, int index);

class LensLibrary {
public:
    // Longest field of the lens file, in bytes; longer fields are cut.
    static constexpr size_t kMaxField = 255;

    void SetLensFilePath(const std::string& path) { m_lensFilePath = path; }
    const std::string& LensFilePath() const { return m_lensFilePath; }
    bool LensFileExists() const;

    // Reads the lens file into the table: 1 when read, 0 when the file does not exist (the
    // table stays) or a read error occurred (the records read before stay). With
    // fileValuesOnly the file's registered names, calibrations and intervals stand; otherwise
    // the lens's own section may override them. A line without a comma gives no record, a
    // field is cut at kMaxField bytes, and a last line without its line feed is dropped.
    int LoadLensFile(bool fileValuesOnly);
    // The first record whose lens name equals the text byte for byte; null for null or none.
    CMLens* FindLens(const char* name) const;
    CMLens* FindLensByName(const std::string& name) const { return FindLens(name.c_str()); }
    // Reads [CALIBRATION] LENSNAME and empties nameOut. A slot 0..4 returns the fallback as it
    // is. Otherwise a name found in the table is put into nameOut and returned; a name not found
    // sets the slot to 0 and returns the fallback.
    std::string GetCurrentLensName(int& slot, std::string& nameOut, const std::string& fallback) const;
    void FreeLensTable() { m_lenses.clear(); }

    CMLensArray& Lenses() { return m_lenses; }
    const CMLensArray& Lenses() const { return m_lenses; }

    // [CALIBRATION] SCALECOLOR1 and SCALEPOS1 as the document last read them.
    int m_scaleColor = 0;
    int m_scalePos = 0;

private:
    std::unique_ptr<CMLens> FinishRecord(std::unique_ptr<CMLens> lens, const std::string& intervalText,
                                         bool fileValuesOnly, int index) const;

    std::string m_lensFilePath = "LENS.TXT";
    CMLensArray m_lenses;
};
