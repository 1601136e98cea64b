// CAutoEditDialog: the capture-position list editor of the automatic panel (template 189 "編集").
// One row per position and the trailing "EOD" row; the user types values in place, adds the
// current Z, deletes rows, moves the focus drive to a row's position, and hands the list back.
// Modeless, created once by its owner and reused: OK and Cancel hide it.
#pragma once

#include "ui/TemplateWindow.h"

#include <optional>
#include <vector>

class CEDListCtrl;

// What the editor needs of the panel that owns it.
class AutoEditOwner {
public:
    virtual ~AutoEditOwner() = default;
    // The current Z as the panel shows it (read from the drive; the value MoveToZ takes);
    // nothing when the drive did not answer.
    virtual std::optional<double> GetDisplayedZ() = 0;
    // Moves the focus drive to a displayed Z and waits until it stops; false when the controller
    // failed to move or to report the end of the move.
    virtual bool MoveToZ(double z) = 0;
    // The accepted list: the panel takes these positions and changes to list mode.
    virtual void OnEditorAccepted(const std::vector<double>& positions) = 0;
    // The editor closes (after OnEditorAccepted on OK; alone on Cancel): the panel gives the stage
    // free and enables its list controls again.
    virtual void OnEditorClosed() = 0;
};

class CAutoEditDialog : public ui::TemplateDialog {
public:
    CAutoEditDialog(wxWindow* parent, AutoEditOwner* owner);

    bool OnInitDialog() override;
    // Fills the list: one row per position and the trailing row.
    void LoadPositions(const std::vector<double>& positions);

    void OnAdd();
    void OnDelete();
    void OnMove();
    // Takes the list (message 903 and nothing else when a value lies outside ±999999), hands it
    // to the owner, writes [AUTOFOCUS] LIST and hides the editor.
    void OnOK() override;
    void OnCancel() override;

    CEDListCtrl* GetList() const { return m_list; }
    // The value texts of the position rows (the trailing row left out).
    std::vector<std::string> CellTexts() const;

private:
    AutoEditOwner* m_owner;
    CEDListCtrl* m_list = nullptr;
};
