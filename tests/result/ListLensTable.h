// A lens table held as a list of records, for the tests of the result window's lens handling.
#pragma once

#include "devices/camera/LensTable.h"

#include <memory>
#include <string>
#include <vector>

class ListLensTable : public LensTable {
public:
    bool LensFileExists() const override { return true; }
    int Count() const override { return int(lenses.size()); }
    CMLens* At(int i) const override { return i >= 0 && i < Count() ? lenses[size_t(i)].get() : nullptr; }
    int IndexOf(const std::string& name) const override {
        for (int i = 0; i < Count(); ++i)
            if (lenses[size_t(i)]->GetName() == name)
                return i;
        return -1;
    }
    bool ReloadFileValues() override { return true; }
    std::vector<std::unique_ptr<CMLens>> lenses;
};
