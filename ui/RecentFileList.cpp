#include "ui/RecentFileList.h"

#include "platform/Profile.h"
#include "ui/WindowBase.h"

#include <wx/frame.h>
#include <wx/menu.h>

#include <algorithm>
#include <memory>

namespace ui {

namespace {

constexpr const char* kSection = "Recent File List";

std::string KeyOf(size_t index) {
    return "File" + std::to_string(index + 1);
}

// The menu text of an entry: its number as the mnemonic and the file's name; a long folder is
// left out, as the window titles show files.
wxString EntryText(size_t index, const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string shown =
        path.size() <= 40 || slash == std::string::npos ? path : ".../" + path.substr(slash + 1);
    // A '&' of the name is shown as it is, not taken as a mnemonic.
    std::string escaped;
    for (char c : shown) {
        if (c == '&')
            escaped += '&';
        escaped += c;
    }
    return wxString::Format("&%zu %s", index + 1, wxString::FromUTF8(escaped));
}

} // namespace

RecentFileList::RecentFileList(std::string settingsFile) : settingsFile_(std::move(settingsFile)) {}

void RecentFileList::Load() {
    files_.clear();
    ++generation_;
    for (size_t i = 0; i < kMaxFiles; ++i) {
        char buffer[4096];
        GetPrivateProfileString(kSection, KeyOf(i).c_str(), "", buffer, sizeof buffer, settingsFile_.c_str());
        if (buffer[0] && std::find(files_.begin(), files_.end(), buffer) == files_.end())
            files_.emplace_back(buffer);
    }
}

void RecentFileList::Add(const std::string& path) {
    if (path.empty())
        return;
    files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
    files_.insert(files_.begin(), path);
    if (files_.size() > kMaxFiles)
        files_.resize(kMaxFiles);
    ++generation_;
    Save();
}

void RecentFileList::Remove(size_t index) {
    if (index >= files_.size())
        return;
    files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(index));
    ++generation_;
    Save();
}

void RecentFileList::Save() const {
    for (size_t i = 0; i < kMaxFiles; ++i)
        WritePrivateProfileString(kSection, KeyOf(i).c_str(), i < files_.size() ? files_[i].c_str() : nullptr,
                                  settingsFile_.c_str());
}

void RecentFileList::FillMenu(wxMenu* menu) const {
    if (!menu)
        return;
    // What was put there before: the entries and, at their place once they are gone, the
    // separator that followed them.
    if (wxMenuItem* first = menu->FindItem(kFirstCommand)) {
        const size_t at = static_cast<size_t>(menu->GetMenuItems().IndexOf(first));
        for (int id = kFirstCommand; id < kFirstCommand + kMaxFiles; ++id)
            if (wxMenuItem* item = menu->FindItem(id))
                menu->Destroy(item);
        if (at < menu->GetMenuItemCount() && menu->FindItemByPosition(at)->IsSeparator())
            menu->Destroy(menu->FindItemByPosition(at));
    }
    if (files_.empty() || menu->GetMenuItemCount() == 0)
        return;
    size_t at = menu->GetMenuItemCount() - 1;
    for (size_t i = 0; i < files_.size(); ++i) {
        // wx's item constructor checks ids only up to 0x7FFF; the id is set after construction,
        // as the menus of the resources do.
        auto* item = new wxMenuItem(menu, 0, EntryText(i, files_[i]));
        item->SetId(kFirstCommand + static_cast<int>(i));
        menu->Insert(at++, item);
    }
    menu->InsertSeparator(at);
}

void RecentFileList::Attach(wxFrame* frame, WindowBase* target,
                            std::function<bool(const std::string&)> open) {
    if (!frame || !target)
        return;
    for (size_t i = 0; i < kMaxFiles; ++i) {
        const int id = kFirstCommand + static_cast<int>(i);
        target->OnCommand(id, [this, i, open] {
            if (i >= files_.size())
                return;
            const std::string path = files_[i]; // the open may change the list
            if (!open(path))
                Remove(std::find(files_.begin(), files_.end(), path) - files_.begin());
        });
        target->OnUpdateUI(id, [](CmdUI& c) { c.Enable(true); });
    }
    // The menu is brought up to date in idle time, whenever the list changed or the frame got
    // another menu bar, so that it is complete before it opens (a menu changed while it opens
    // keeps the size it had).
    struct Shown {
        wxMenuBar* bar = nullptr;
        unsigned generation = 0;
    };
    auto shown = std::make_shared<Shown>();
    auto fill = [this, frame, shown] {
        wxMenuBar* bar = frame->GetMenuBar();
        if (!bar || bar->GetMenuCount() == 0 || (bar == shown->bar && generation_ == shown->generation))
            return;
        FillMenu(bar->GetMenu(0));
        shown->bar = bar;
        shown->generation = generation_;
    };
    frame->Bind(wxEVT_IDLE, [fill](wxIdleEvent& ev) {
        ev.Skip();
        fill();
    });
    fill();
}

} // namespace ui
