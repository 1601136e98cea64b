// The picture information dialog (template 11): name, pixel size, bit depth, file size, creation
// date, folder with the free space of its drive, and file type of one image file of a browser
// list: the first selected record, or the last when none is selected.
#pragma once

#include "ui/TemplateWindow.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct PicInfoRecord {
    std::string path;
    uint64_t fileSize = 0; // 64-bit: files of 2 GiB and more are shown as they are
    std::time_t created = 0;
    bool selected = false;
};

class CPicInfoDialog : public ui::TemplateDialog {
public:
    CPicInfoDialog(wxWindow* parent, std::vector<PicInfoRecord> records);
    bool OnInitDialog() override;

    // Runs the dialog for the list's records; nothing is shown for an empty list (returns 0).
    static int RunForList(wxWindow* parent, const std::vector<PicInfoRecord>& records);

    // The texts of one record, as the dialog shows them (index 0 = control 12 ... 7 = control 19);
    // an empty text leaves the control as the template has it.
    static std::vector<std::string> Describe(const PicInfoRecord& r);
    // The free bytes of the volume that holds the folder (all of them, not only those an
    // ordinary user may take); false when the volume cannot be asked.
    static bool VolumeFreeBytes(const std::string& folder, uint64_t& bytes);

private:
    void onPaint(class wxPaintEvent& ev);
    std::vector<PicInfoRecord> m_records;
};
