// The empty start view of the first template, and the empty pane that stands in the place of
// the result view in the main frame, so that every template has its view.
#pragma once

#include "ui/View.h"

#include <wx/panel.h>

class CEmptyPane : public wxPanel, public ui::View {
public:
    explicit CEmptyPane(wxWindow* parent) : wxPanel(parent, wxID_ANY), ui::View(this) {}
};

class CLeftView : public CEmptyPane {
public:
    using CEmptyPane::CEmptyPane;
};
class CResultPane : public CEmptyPane {
public:
    using CEmptyPane::CEmptyPane;
};
