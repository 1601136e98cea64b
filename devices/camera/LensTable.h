// What the lens-selection dialogs need of the program's lens table (the records read from the
// lens file): whether the lens file exists, the records by index and by name, and a reload with
// the file's values only. The program hands its table in through this interface.
#pragma once

#include "devices/camera/MLens.h"

#include <string>

class LensTable {
public:
    virtual ~LensTable() = default;
    virtual bool LensFileExists() const = 0;
    virtual int Count() const = 0;
    // The record at index, null when the index lies outside the table.
    virtual CMLens* At(int index) const = 0;
    // Index of the first record of that name, -1 for none.
    virtual int IndexOf(const std::string& name) const = 0;
    // Reads the lens file again with the file's values only (no settings overrides); false when
    // it could not be read.
    virtual bool ReloadFileValues() = 0;
    // Reads the lens file again with each lens's own calibration section over the file's values;
    // false when it was not read (a table that cannot be read again keeps its records).
    virtual bool Reload() { return false; }
};
