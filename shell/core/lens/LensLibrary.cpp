#include "shell/core/lens/LensLibrary.h"

#include "devices/camera/CalibrationSettings.h"
#include "platform/File.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CMLens* GetLensAt(const CMLensArray& array, int index) {
    if (index < 0 || static_cast<size_t>(index) >= array.size())
        return nullptr;
    return array[static_cast<size_t>(index)].get();
}

bool LensLibrary::LensFileExists() const {
    struct stat st {};
    return ::stat(m_lensFilePath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::unique_ptr<CMLens> LensLibrary::FinishRecord(std::unique_ptr<CMLens> lens,
                                                  const std::string& intervalText, bool fileValuesOnly,
                                                  int index) const {
    const LensKeys own = LensKeys::Own(lens->GetName());
    double gap = std::strtod(intervalText.c_str(), nullptr);
    if (!fileValuesOnly)
        gap = ReadInterval(own, gap);
    lens->SetGap(gap);
    lens->m_index = index;
    const LensScale scale = ReadLensScale(own);
    lens->m_scaleLength = scale.length;
    lens->m_scaleDots = scale.dots;
    lens->m_scaleCeiling = scale.ceiling;
    lens->m_scalePos = scale.position;
    lens->m_scaleColor = ScaleColourOf(scale.colour);
    return lens;
}

int LensLibrary::LoadLensFile(bool fileValuesOnly) {
    if (!LensFileExists())
        return 0;
    std::FILE* file = OpenRegularStream(m_lensFilePath, "rb");
    if (!file)
        return 0;
    FreeLensTable();

    std::string buffer;
    int field = 0;
    int counter = 0;
    std::unique_ptr<CMLens> record;
    int result = 1;
    for (;;) {
        const int c = std::fgetc(file);
        if (c == EOF) {
            if (std::ferror(file))
                result = 0;
            break;
        }
        if (c == '\0')
            break;
        if (c == '\r')
            continue;
        if (c == ',') {
            if (field == 0) {
                record = std::make_unique<CMLens>();
                record->SetName(buffer);
            } else if (field == 1 && record) {
                record->SetRegName(fileValuesOnly ? buffer
                                                  : ReadRegisteredName(LensKeys::Own(record->GetName()),
                                                                       buffer, kMaxField + 1));
            } else if (field == 2 && record) {
                double calib = std::strtod(buffer.c_str(), nullptr);
                if (!fileValuesOnly)
                    calib = ReadUmPerPixel(LensKeys::Own(record->GetName()), calib);
                record->SetCalib(calib);
            }
            ++field;
            buffer.clear();
            continue;
        }
        if (c == '\n') {
            // Only a line that has at least its lens name and one comma makes a record.
            if (record)
                m_lenses.push_back(FinishRecord(std::move(record), buffer, fileValuesOnly, counter++));
            record.reset();
            field = 0;
            buffer.clear();
            continue;
        }
        if (buffer.size() < kMaxField)
            buffer.push_back(static_cast<char>(c));
    }
    std::fclose(file);
    return result;
}

CMLens* LensLibrary::FindLens(const char* name) const {
    if (!name)
        return nullptr;
    for (const auto& lens : m_lenses)
        if (lens->GetName() == name)
            return lens.get();
    return nullptr;
}

std::string LensLibrary::GetCurrentLensName(int& slot, std::string& nameOut,
                                            const std::string& fallback) const {
    const std::string name = ReadCurrentLensName();
    nameOut.clear();
    if (slot >= 0 && slot <= 4)
        return fallback;
    if (const CMLens* lens = FindLensByName(name)) {
        nameOut = lens->GetName();
        return nameOut;
    }
    slot = 0;
    return fallback;
}
