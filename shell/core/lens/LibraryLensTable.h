// The program's lens table (LensLibrary) as the lens-selection dialogs and the result window see
// it.
#pragma once

#include "devices/camera/LensTable.h"
#include "shell/core/lens/LensLibrary.h"

class LibraryLensTable : public LensTable {
public:
    explicit LibraryLensTable(LensLibrary* library) : m_library(library) {}
    bool LensFileExists() const override { return m_library && m_library->LensFileExists(); }
    int Count() const override { return m_library ? static_cast<int>(m_library->Lenses().size()) : 0; }
    CMLens* At(int index) const override {
        return m_library ? GetLensAt(m_library->Lenses(), index) : nullptr;
    }
    int IndexOf(const std::string& name) const override {
        for (int i = 0; i < Count(); ++i)
            if (At(i)->GetName() == name)
                return i;
        return -1;
    }
    bool ReloadFileValues() override { return m_library && m_library->LoadLensFile(true) != 0; }
    bool Reload() override { return m_library && m_library->LoadLensFile(false) != 0; }

private:
    LensLibrary* m_library;
};
