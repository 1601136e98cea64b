// The left pane of the thumbnail mode: the folder tree. At the top the desktop with the
// documents folder (847), the computer (848: the root and the mounted disks) and the network
// (849: mounted network file systems); a folder's sub-folders are read each time its branch is
// expanded, each with an expand button only when it has a sub-folder; a refresh (32783) builds
// the tree anew. Every item keeps its own path.
// Choosing a folder tells the document's other views (hint 0x509 with the folder).
#pragma once

#include "browser/core/ShellFolders.h"
#include "ui/View.h"

#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>

class CDirTreeView : public wxTreeCtrl, public ui::View {
public:
    // Icon roles in the order of the image list.
    enum Icon {
        ICON_DESKTOP,
        ICON_DOCUMENTS,
        ICON_COMPUTER,
        ICON_NETWORK,
        ICON_FIXED,
        ICON_REMOTE,
        ICON_REMOVABLE,
        ICON_CDROM,
        ICON_FOLDER_CLOSED,
        ICON_FOLDER_OPEN,
        ICON_UNUSED,
        ICON_DOMAIN,
        ICON_SERVER,
        ICON_NET_ROOT,
        ICON_NET_GENERIC,
        ICON_NET_PROVIDER,
        ICON_EXTRA,
        ICON_COUNT
    };

    CDirTreeView(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~CDirTreeView() override;

    // Builds the tree (also command 32783, which reselects the folder that was selected).
    void Refresh32783();
    void OnInitialUpdate() override;
    // Selects the folder of a path, expanding every level on the way; null item when a level
    // is not found.
    wxTreeItemId SelectPath(const std::string& path, bool expand);
    // Selects the folder of a path (SelectPath, expanding it when asked) and scrolls the tree so
    // that the folder is the first item in sight, and keeps it there through the sizes the window
    // takes until the user clicks, scrolls or types in the tree or another folder is selected; a
    // null item when it is not found.
    wxTreeItemId ShowFolderAtTop(const std::string& path, bool expand = false);
    bool SelectParentFolder();
    std::string GetItemPath(const wxTreeItemId& item) const;
    const std::string& CurrentFolder() const { return m_currentFolder; }
    // The application's start mode and its image folder ([InitialSettings] IMAGEPATH, made
    // absolute).
    void SetStartFolder(int startMode, const std::string& imagePath) {
        m_startMode = startMode;
        m_imagePath = imagePath;
    }

    // The top menu bar's controls 825, 829 and 954 (right, right, left edge in the bar's client
    // coordinates); false while the bar does not exist. With it, a resize keeps the pane clear of
    // control 954 (PaneWidthForTopMenu) by moving the sash of the splitter that holds the tree,
    // and then relayout runs (the bar's layout for the current mode).
    std::function<bool(int& right825, int& right829, int& left954)> topMenuEdges;
    std::function<void()> relayoutTopMenu;

    wxTreeItemId DesktopItem() const { return m_desktop; }
    wxTreeItemId ComputerItem() const { return m_computer; }
    wxTreeItemId DocumentsItem() const { return m_documents; }
    wxTreeItemId NetworkItem() const { return m_network; }

private:
    wxTreeItemId addFolder(const wxTreeItemId& parent, const std::string& label, const std::string& path,
                           int icon);
    // Reads the item's folder and lists its sub-folders anew; false (after the message) when it
    // cannot be read.
    bool expandItem(const wxTreeItemId& item);
    // Expands a closed item with its folder read once; false when it cannot be read.
    bool openItem(const wxTreeItemId& item);
    bool IsDescendant(wxTreeItemId item, const wxTreeItemId& ancestor) const;
    void scrollToTop(const wxTreeItemId& item);
    void onExpanding(ui::Notification& n);
    void onSelChanged(ui::Notification& n);
    void onCollapsedOrExpanded(wxTreeEvent& ev);
    void onSize(wxSizeEvent& ev);

    std::string m_currentFolder;
    std::string m_desktopPath, m_documentsPath;
    bool m_destroying = false;
    wxTreeItemId m_desktop, m_documents, m_computer, m_network;
    wxTreeItemId m_topItem; // the folder held at the top (ShowFolderAtTop)
    bool m_topQueued = false;
    wxTreeItemId m_readForExpand; // read by openItem, whose Expand is under way
    wxImageList m_images{16, 16, true, ICON_COUNT};
    int m_startMode = 0;
    std::string m_imagePath;
};
