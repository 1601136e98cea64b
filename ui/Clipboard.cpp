#include "ui/Clipboard.h"

#include <wx/clipbrd.h>

namespace ui {

namespace {

wxString& lastText() {
    static wxString text;
    return text;
}

wxBitmap& lastBitmap() {
    static wxBitmap bitmap;
    return bitmap;
}

bool put(wxDataObject* data) {
    wxClipboardLocker locker;
    if (!locker) {
        delete data;
        return false;
    }
    wxTheClipboard->Clear();
    return wxTheClipboard->SetData(data);
}

} // namespace

wxString ClipboardText() {
    wxString text;
    wxClipboardLocker lock;
    if (!lock)
        return text;
    if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT)) {
        wxTextDataObject data;
        if (wxTheClipboard->GetData(data))
            text = data.GetText();
    }
    return text;
}

wxString PrimarySelectionText() {
    wxTheClipboard->UsePrimarySelection(true);
    const wxString text = ClipboardText();
    wxTheClipboard->UsePrimarySelection(false);
    return text;
}

bool PutTextOnClipboard(const wxString& text) {
    lastText() = text;
    lastBitmap() = wxBitmap();
    return put(new wxTextDataObject(text));
}

bool PutBitmapOnClipboard(const wxBitmap& bitmap) {
    lastText().clear();
    lastBitmap() = bitmap;
    return bitmap.IsOk() && put(new wxBitmapDataObject(bitmap));
}

void ForgetLastClipboard() {
    lastText().clear();
    lastBitmap() = wxBitmap();
}

const wxString& LastClipboardText() {
    return lastText();
}

const wxBitmap& LastClipboardBitmap() {
    return lastBitmap();
}

} // namespace ui
