// The heights of a series (template 40, "高さ設定"): one row per image of the focus image box
// with its file name and height, edited in place or filled from a start height and an interval
// ("座標入力"). OK gives every image its height in list order. The list is a CEDListCtrl with a
// plain first column: the names stay, the heights are edited in place.
#pragma once

#include "ui/TemplateWindow.h"

#include <string>

class COrsandelDoc;
class CEDListCtrl;
class CSelListCtrl;

class CSetDepth : public ui::TemplateDialog {
public:
    CSetDepth(wxWindow* parent, COrsandelDoc* doc, CSelListCtrl* box);
    bool OnInitDialog() override;
    void OnOK() override;

    // The list's rows and the text of one cell (column 0 the file name, 1 the height).
    int RowCount() const;
    std::string CellText(int row, int column) const;
    void SetCellText(int row, int column, const std::string& text);
    CEDListCtrl* List() const { return m_list; }

private:
    void OnCoordinates();

    COrsandelDoc* m_doc;
    CSelListCtrl* m_box;
    CEDListCtrl* m_list = nullptr;
};
