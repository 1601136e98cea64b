// The empty start view of the first template, and the empty panes that stand in the places of
// views other parts of the program provide (the continuous composition's two views and the
// result view), so that every template has its view.
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
class CVossaLivePane : public CEmptyPane {
public:
    using CEmptyPane::CEmptyPane;
};
class CVossaImagePane : public CEmptyPane {
public:
    using CEmptyPane::CEmptyPane;
};
class CResultPane : public CEmptyPane {
public:
    using CEmptyPane::CEmptyPane;
};
