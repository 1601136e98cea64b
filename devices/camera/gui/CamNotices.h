// The two notices that cover the slow steps of the camera-module loader, and the adapter that
// lets the loader show them.
#pragma once

#include "devices/camera/CamDll.h"
#include "ids/VantorelIds.h"
#include "ui/TemplateWindow.h"

#include <memory>

class wxWindow;

// A modeless notice made from its template at once, with no parent window, shown with the wait
// cursor; Close destroys the window and ends the wait cursor. The parent argument plays no part
// in the window.
class CCamNotice {
public:
    CCamNotice(int templateId);
    ~CCamNotice();
    CCamNotice(const CCamNotice&) = delete;
    CCamNotice& operator=(const CCamNotice&) = delete;
    void Close();
    // The notice's window while it is open (null after Close).
    ui::TemplateDialog* Window() const { return m_dialog; }

private:
    ui::TemplateDialog* m_dialog = nullptr;
    bool m_busy = false;
};

// While the module folders are searched and probed (template 235).
class CDeviceSeachDialog : public CCamNotice {
public:
    static constexpr int kTemplateId = vtid::dlg::CameraSearchNotice;
    explicit CDeviceSeachDialog(wxWindow* parent = nullptr);
};

// While the chosen module is loaded and initialised (template 234).
class CDeviceWaitDialog : public CCamNotice {
public:
    static constexpr int kTemplateId = vtid::dlg::CameraInitNotice;
    explicit CDeviceWaitDialog(wxWindow* parent = nullptr);
};

// Shows the two notices for a CCamDll (CCamDll::SetNotices).
class CCamDllNotices : public CamDllNotices {
public:
    void BeginSearchNotice() override;
    void EndSearchNotice() override;
    void BeginWaitNotice() override;
    void EndWaitNotice() override;

private:
    std::unique_ptr<CDeviceSeachDialog> m_search;
    std::unique_ptr<CDeviceWaitDialog> m_wait;
};
