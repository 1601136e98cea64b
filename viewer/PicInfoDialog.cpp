#include "viewer/PicInfoDialog.h"

#include "imaging/Dib.h"
#include "imaging/ImageFile.h"
#include "platform/MessageSink.h"
#include "platform/ShellInfo.h"
#include "ui/Services.h"

#include <wx/dcclient.h>
#include <wx/stattext.h>

#include <cinttypes>
#include <sys/statvfs.h>

CPicInfoDialog::CPicInfoDialog(wxWindow* parent, std::vector<PicInfoRecord> records)
    : TemplateDialog(parent, IDD_PIC_INFO), m_records(std::move(records)) {
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
        ShowMessage(kMsgCannotReadData, MB_OK | MB_ICONEXCLAMATION);
    } else {
        const void* b = GlobalLock(dib);
        const int w = DibGetWidth(b), h = DibGetHeight(b), bits = DibGetBitCount(b);
        const bool table256 = DibColorCount(b) == 256;
        GlobalUnlock(dib);
        t[1] = std::to_string(w) + "画素";
        t[2] = std::to_string(h) + "画素";
        t[3] = std::to_string(bits) + "bit";
        if (bits == 8 && table256) {
            RGBQUAD e[256];
            DibGetColorTable(dib, e);
            bool grey = true;
            for (int i = 0; i < 256 && grey; ++i)
                grey = e[i].rgbRed == i && e[i].rgbGreen == i && e[i].rgbBlue == i;
            if (grey)
                t[3] += "(ｸﾞﾚｰｽｹｰﾙ)";
        }
        GlobalFree(dib);
    }
    t[4] = std::to_string(r.fileSize) + "byte";
    std::tm tm{};
    localtime_r(&r.created, &tm);
    static const char* days[] = {"日", "月", "火", "水", "木", "金", "土"};
    char head[64], tail[32];
    std::strftime(head, sizeof head, "%Y年 %m月 %d日（", &tm);
    std::strftime(tail, sizeof tail, "）%H:%M:%S", &tm);
    t[5] = std::string(head) + days[tm.tm_wday % 7] + tail;
    if (slash != std::string::npos) {
        const std::string folder = r.path.substr(0, slash);
        struct statvfs st;
        if (::statvfs(folder.empty() ? "/" : folder.c_str(), &st) == 0) {
            const uint64_t kb = uint64_t(st.f_bavail) * uint64_t(st.f_frsize) / 1024u;
            t[6] = folder + " (空き容量:" + std::to_string(kb) + " KB)";
        } else {
            t[6] = folder;
        }
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
    for (int i = 0; i < 8; ++i)
        if (!t[size_t(i)].empty())
            SetDlgItemText(12 + i, wxString::FromUTF8(t[size_t(i)]));
    return true;
}

void CPicInfoDialog::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    wxWindow* date = GetDlgItem(17);
    const wxSize c = GetClientSize();
    const int top = date->GetPosition().y;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(10, top - 10, c.x - 20, 2);
}
