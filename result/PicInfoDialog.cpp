#include "result/PicInfoDialog.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/MessageSink.h"
#include "platform/ShellInfo.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"

#include <wx/dcclient.h>
#include <wx/stattext.h>

#include <cinttypes>
#include <sys/statvfs.h>

namespace {
std::string Text(UINT id) {
    return ui::ToUtf8(ui::LoadResString(id));
}
} // namespace

bool CPicInfoDialog::VolumeFreeBytes(const std::string& folder, uint64_t& bytes) {
    // The volume's free space as a whole, also the blocks kept for the administrator.
    struct statvfs st;
    if (::statvfs(folder.c_str(), &st) != 0)
        return false;
    bytes = uint64_t(st.f_bfree) * uint64_t(st.f_frsize);
    return true;
}

CPicInfoDialog::CPicInfoDialog(wxWindow* parent, std::vector<PicInfoRecord> records)
    : TemplateDialog(parent, vtid::dlg::PictureInfoDialog), m_records(std::move(records)) {
    Bind(wxEVT_PAINT, &CPicInfoDialog::onPaint, this);
}

int CPicInfoDialog::RunForList(wxWindow* parent, const std::vector<PicInfoRecord>& records) {
    if (records.empty())
        return 0;
    CPicInfoDialog dlg(parent, records);
    return dlg.DoModal();
}

std::vector<std::string> CPicInfoDialog::Describe(const PicInfoRecord& r) {
    std::vector<std::string> t(8);
    const size_t slash = r.path.rfind('/');
    t[0] = slash == std::string::npos ? r.path : r.path.substr(slash + 1);
    int type = -1;
    HDIB dib = ReadImageFile(r.path, &type);
    if (!dib) {
        ShowMessage(vtid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
    } else {
        const void* b = GlobalLock(dib);
        const int w = DibGetWidth(b), h = DibGetHeight(b), bits = DibGetBitCount(b);
        const bool table256 = DibColorCount(b) == 256;
        GlobalUnlock(dib);
        t[1] = std::to_string(w) + Text(vtid::str::Pixels);
        t[2] = std::to_string(h) + Text(vtid::str::Pixels);
        t[3] = std::to_string(bits) + "bit";
        if (bits == 8 && table256) {
            RGBQUAD e[256];
            DibGetColorTable(dib, e);
            bool grey = true;
            for (int i = 0; i < 256 && grey; ++i)
                grey = e[i].rgbRed == i && e[i].rgbGreen == i && e[i].rgbBlue == i;
            if (grey)
                t[3] += Text(vtid::str::GreyScale);
        }
        GlobalFree(dib);
    }
    t[4] = std::to_string(r.fileSize) + "byte";
    std::tm tm{};
    localtime_r(&r.created, &tm);
    char head[128], tail[32];
    std::strftime(head, sizeof head, Text(vtid::str::DateHead).c_str(), &tm);
    std::strftime(tail, sizeof tail, "）%H:%M:%S", &tm);
    std::string day;
    for (UINT id = vtid::str::Sunday; id <= vtid::str::Saturday; ++id)
        if (int(id - vtid::str::Sunday) == tm.tm_wday % 7)
            day = Text(id);
    t[5] = std::string(head) + day + tail;
    if (slash != std::string::npos) {
        const std::string folder = r.path.substr(0, slash);
        uint64_t bytes = 0;
        if (VolumeFreeBytes(folder.empty() ? "/" : folder, bytes))
            t[6] = folder + " (" + Text(vtid::str::FreeSpace) + ":" + std::to_string(bytes / 1024u) + " KB)";
        else
            t[6] = folder;
    }
    const size_t dot = r.path.rfind('.');
    const std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                                ? std::string()
                                : r.path.substr(dot);
    t[7] = GetFileTypeName(r.path) + "(*" + ext + ")";
    return t;
}

bool CPicInfoDialog::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    if (m_records.empty())
        return true; // nothing to describe
    const PicInfoRecord* pick = &m_records.back();
    for (const PicInfoRecord& r : m_records)
        if (r.selected) {
            pick = &r;
            break;
        }
    const std::vector<std::string> t = Describe(*pick);
    namespace ids = vtid::PictureInfoDialog;
    const int fields[] = {ids::FileName, ids::Width,   ids::Height, ids::Depth,
                          ids::FileSize, ids::Created, ids::Folder, ids::FileType};
    for (size_t i = 0; i < std::size(fields); ++i)
        if (!t[i].empty())
            SetDlgItemText(fields[i], wxString::FromUTF8(t[i]));
    return true;
}

void CPicInfoDialog::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    wxWindow* date = GetDlgItem(vtid::PictureInfoDialog::Created);
    const wxSize c = GetClientSize();
    const int top = date->GetPosition().y;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(10, top - 10, c.x - 20, 2);
}
