#include "browser/DirTreeView.h"

#include "browser/core/BrowserMessages.h"
#include "browser/core/BrowserContext.h"
#include "browser/core/ShellFolders.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "ui/Document.h"
#include "ui/ResourceWidgets.h"

#include <wx/artprov.h>
#include <wx/splitter.h>
#include <wx/utils.h>

#include <strings.h>

namespace {

// The path an item keeps; folders, drives and the fixed items alike. The computer and the
// network keep none: their items are made with the tree.
class PathData : public wxTreeItemData {
public:
    explicit PathData(std::string path) : path(std::move(path)) {}
    std::string path;
};

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/' || folder == "/";
}

} // namespace

CDirTreeView::CDirTreeView(wxWindow* parent, wxWindowID id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE),
      ui::View(this) {
    // The icons in the order of the roles.
    const wxArtID art[ICON_COUNT] = {wxART_GO_HOME,    wxART_FOLDER,      wxART_HARDDISK,    wxART_GO_FORWARD,
                                     wxART_HARDDISK,   wxART_HARDDISK,    wxART_REMOVABLE,   wxART_CDROM,
                                     wxART_FOLDER,     wxART_FOLDER_OPEN, wxART_NORMAL_FILE, wxART_GO_FORWARD,
                                     wxART_GO_FORWARD, wxART_GO_FORWARD,  wxART_GO_FORWARD,  wxART_GO_FORWARD,
                                     wxART_NORMAL_FILE};
    for (const wxArtID& a : art)
        m_images.Add(wxArtProvider::GetBitmap(a, wxART_OTHER, wxSize(16, 16)));
    SetImageList(&m_images);
    // By the id the window got: with wxID_ANY that is one made for it.
    OnNotify(ui::TVN_ITEMEXPANDING, GetId(), [this](ui::Notification& n) { onExpanding(n); });
    OnNotify(ui::TVN_SELCHANGED, GetId(), [this](ui::Notification& n) { onSelChanged(n); });
    OnCommand(vtid::cmd::Refresh, [this] { Refresh32783(); });
    Bind(wxEVT_TREE_ITEM_EXPANDED, &CDirTreeView::onCollapsedOrExpanded, this);
    Bind(wxEVT_TREE_ITEM_COLLAPSED, &CDirTreeView::onCollapsedOrExpanded, this);
    Bind(wxEVT_SIZE, &CDirTreeView::onSize, this);
    // Once the user moves the tree, the folder is no longer held at the top.
    auto letGo = [this](wxEvent& ev) {
        m_topItem.Unset();
        ev.Skip();
    };
    for (const auto type : {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN, wxEVT_MOUSEWHEEL})
        Bind(type, letGo);
    Bind(wxEVT_KEY_DOWN, letGo);
    for (const auto type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
                            wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
                            wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(type, letGo);
}

void CDirTreeView::onSize(wxSizeEvent& ev) {
    ev.Skip();
    // The window's layout goes on after the folder was shown (the frame is laid out, maximised,
    // its panes arranged): each new size may move the rows, so the folder goes to the top again
    // once the tree has taken the size.
    if (m_topItem.IsOk() && !m_topQueued) {
        m_topQueued = true;
        CallAfter([this] {
            m_topQueued = false;
            if (m_topItem.IsOk())
                scrollToTop(m_topItem);
        });
    }
    int r825 = 0, r829 = 0, l954 = 0;
    if (!topMenuEdges || !topMenuEdges(r825, r829, l954))
        return;
    const int width = PaneWidthForTopMenu(ev.GetSize().x, r825, r829, l954);
    if (width >= 0)
        if (auto* split = dynamic_cast<wxSplitterWindow*>(GetParent()))
            split->SetSashPosition(width);
    if (relayoutTopMenu)
        relayoutTopMenu();
}

CDirTreeView::~CDirTreeView() {
    m_destroying = true;
}

wxTreeItemId CDirTreeView::addFolder(const wxTreeItemId& parent, const std::string& label,
                                     const std::string& path, int icon) {
    wxTreeItemId item = AppendItem(parent, wxString::FromUTF8(label), icon, icon, new PathData(path));
    // An expand button only when there is a sub-folder.
    std::vector<std::string> first;
    if (ListSubFolders(path, first, true) && !first.empty())
        SetItemHasChildren(item, true);
    return item;
}

void CDirTreeView::Refresh32783() {
    const wxTreeItemId old = GetSelection();
    const std::string remembered = old.IsOk() ? GetItemPath(old) : std::string();
    const bool hadChildren = old.IsOk() && ItemHasChildren(old);
    if (auto* doc = dynamic_cast<BrowserDocument*>(GetDocument()))
        doc->Browser().thumbnailRefreshFlag = true;
    Freeze();
    m_topItem.Unset();
    m_destroying = true;
    DeleteAllItems();
    m_destroying = false;
    m_desktopPath = DesktopFolder();
    m_documentsPath = DocumentsFolder();
    m_desktop = AddRoot(wxString::FromUTF8(m_desktopPath.substr(m_desktopPath.rfind('/') + 1)), ICON_DESKTOP,
                        ICON_DESKTOP, new PathData(m_desktopPath));
    m_documents = AppendItem(m_desktop, ui::LoadResString(vtid::str::MyDocuments), ICON_DOCUMENTS,
                             ICON_DOCUMENTS, new PathData(m_documentsPath));
    SetItemHasChildren(m_documents, true);
    m_computer = AppendItem(m_desktop, ui::LoadResString(vtid::str::MyComputer), ICON_COMPUTER, ICON_COMPUTER,
                            new PathData(""));
    m_network = AppendItem(m_desktop, ui::LoadResString(vtid::str::MyNetwork), ICON_NETWORK, ICON_NETWORK,
                           new PathData(""));
    for (const MountedVolume& v : MountedVolumes()) {
        const wxTreeItemId parent = v.network ? m_network : m_computer;
        addFolder(parent, v.label, v.mountPoint,
                  v.network     ? ICON_NET_GENERIC
                  : v.removable ? ICON_REMOVABLE
                                : ICON_FIXED);
    }
    SetItemHasChildren(m_desktop, true);
    openItem(m_desktop);
    Thaw();
    // The folder that was selected is opened again when it had sub-folders, read anew.
    if (!remembered.empty())
        ShowFolderAtTop(remembered, hadChildren);
}

void CDirTreeView::OnInitialUpdate() {
    Refresh32783();
    if (m_startMode == vtid::StartDialog::SelectByThumbnail && !m_imagePath.empty())
        ShowFolderAtTop(m_imagePath);
    m_currentFolder.clear();
}

wxTreeItemId CDirTreeView::ShowFolderAtTop(const std::string& path, bool expand) {
    const wxTreeItemId item = SelectPath(path, expand);
    if (item.IsOk())
        scrollToTop(item);
    m_topItem = item;
    return item;
}

void CDirTreeView::scrollToTop(const wxTreeItemId& item) {
    // Brings the item into sight first, which also lays out the branches just expanded; then its
    // row goes up to the top as far as the scroll units allow (the row stays whole).
    ScrollTo(item);
    wxRect row;
    int unitX = 0, unitY = 0, startX = 0, startY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    GetViewStart(&startX, &startY);
    if (unitY > 0 && GetBoundingRect(item, row) && row.y > 0)
        Scroll(-1, startY + row.y / unitY);
}

bool CDirTreeView::expandItem(const wxTreeItemId& item) {
    auto* data = static_cast<PathData*>(GetItemData(item));
    if (!data || data->path.empty())
        return true;
    std::vector<std::string> names;
    if (!ListSubFolders(data->path, names)) {
        ShowMessage(vtid::str::DriveNotReady, MB_OK | MB_ICONSTOP);
        return false;
    }
    wxBusyCursor wait;
    // What was listed before goes (the desktop keeps its fixed items): the folders are as the
    // disk has them now, each branch below closed.
    std::vector<wxTreeItemId> old;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = GetFirstChild(item, cookie); c.IsOk(); c = GetNextChild(item, cookie))
        if (c != m_documents && c != m_computer && c != m_network)
            old.push_back(c);
    for (const wxTreeItemId& c : old) {
        if (m_topItem.IsOk() && (m_topItem == c || IsDescendant(m_topItem, c)))
            m_topItem.Unset();
        Delete(c);
    }
    for (const std::string& name : names)
        addFolder(item, name, Join(data->path, name), ICON_FOLDER_CLOSED);
    SetItemHasChildren(item, GetChildrenCount(item, false) > 0);
    return true;
}

bool CDirTreeView::openItem(const wxTreeItemId& item) {
    if (IsExpanded(item))
        return true;
    if (!expandItem(item))
        return false;
    // Read just now: the expansion that follows does not read it again.
    m_readForExpand = item;
    Expand(item);
    m_readForExpand.Unset();
    return true;
}

bool CDirTreeView::IsDescendant(wxTreeItemId item, const wxTreeItemId& ancestor) const {
    while (item.IsOk() && item != ancestor)
        item = GetItemParent(item);
    return item.IsOk();
}

void CDirTreeView::onExpanding(ui::Notification& n) {
    // A folder is read each time its branch is opened, so that folders made or removed since
    // show as they are.
    const wxTreeItemId item(n.treeItem);
    if (item == m_readForExpand)
        return;
    if (!expandItem(item))
        n.result = 1;
}

void CDirTreeView::onCollapsedOrExpanded(wxTreeEvent& ev) {
    const wxTreeItemId item = ev.GetItem();
    const wxTreeItemId parent = GetItemParent(item);
    // Folders below the drive level show an open folder while expanded.
    if (item.IsOk() && parent.IsOk() && parent != m_desktop && parent != m_computer && parent != m_network &&
        GetItemParent(parent) != m_network) {
        const int icon =
            ev.GetEventType() == wxEVT_TREE_ITEM_EXPANDED ? ICON_FOLDER_OPEN : ICON_FOLDER_CLOSED;
        SetItemImage(item, icon);
    }
    ev.Skip();
}

void CDirTreeView::onSelChanged(ui::Notification& n) {
    if (m_destroying)
        return;
    const wxTreeItemId item(n.treeItem);
    if (!item.IsOk())
        return;
    m_currentFolder = GetItemPath(item);
    if (ui::Document* doc = GetDocument()) {
        CFolderHint hint(m_currentFolder);
        doc->UpdateAllViews(this, HINT_FOLDER_SELECTED, &hint);
    }
}

std::string CDirTreeView::GetItemPath(const wxTreeItemId& item) const {
    if (!item.IsOk())
        return std::string();
    auto* data = static_cast<PathData*>(GetItemData(item));
    return data ? data->path : std::string();
}

wxTreeItemId CDirTreeView::SelectPath(const std::string& pathArg, bool expand) {
    m_topItem.Unset();
    std::string path = pathArg;
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || !m_desktop.IsOk())
        return wxTreeItemId();
    // The deepest top item whose path holds the path: desktop, documents, or a volume.
    wxTreeItemId at;
    std::string atPath;
    auto consider = [&](const wxTreeItemId& item) {
        const std::string p = GetItemPath(item);
        if (StartsWithFolder(path, p) && p.size() >= atPath.size()) {
            at = item;
            atPath = p;
        }
    };
    consider(m_desktop);
    consider(m_documents);
    for (const wxTreeItemId& group : {m_computer, m_network}) {
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = GetFirstChild(group, cookie); c.IsOk(); c = GetNextChild(group, cookie))
            consider(c);
    }
    if (!at.IsOk())
        return wxTreeItemId();
    // Down the remaining components.
    std::string rest = path.substr(std::min(path.size(), atPath.size()));
    while (!rest.empty()) {
        if (rest.front() == '/')
            rest.erase(0, 1);
        if (rest.empty())
            break;
        const auto slash = rest.find('/');
        const std::string part = rest.substr(0, slash);
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
        if (!openItem(at))
            return wxTreeItemId();
        wxTreeItemId found;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = GetFirstChild(at, cookie); c.IsOk(); c = GetNextChild(at, cookie))
            if (GetItemText(c).ToStdString(wxConvUTF8) == part ||
                ::strcasecmp(GetItemText(c).ToStdString(wxConvUTF8).c_str(), part.c_str()) == 0) {
                found = c;
                if (GetItemText(c).ToStdString(wxConvUTF8) == part)
                    break;
            }
        if (!found.IsOk())
            return wxTreeItemId();
        at = found;
    }
    SelectItem(at);
    if (expand)
        openItem(at);
    return at;
}

bool CDirTreeView::SelectParentFolder() {
    const wxTreeItemId item = GetSelection();
    if (!item.IsOk())
        return false;
    const wxTreeItemId parent = GetItemParent(item);
    if (!parent.IsOk())
        return false;
    m_topItem.Unset();
    SelectItem(parent);
    return true;
}
