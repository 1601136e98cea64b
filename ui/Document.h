// A document: the data that one or more views show. It keeps its views, a modified flag and the
// path of its file, tells its views of changes (UpdateAllViews) and takes part in command routing
// after the active view (view → document → frame → application).
//
// The file steps are virtual. The base of OnNewDocument and OnOpenDocument empties the document
// (DeleteContents) and clears the modified flag; OnOpenDocument also fails when the file cannot
// be read. A document that reads or writes a file format overrides them and calls the base first.
#pragma once

#include "platform/WinTypes.h"
#include "ui/CommandRouting.h"

#include <string>
#include <vector>

class CObject;

namespace ui {

class View;

class Document : public CommandTarget {
public:
    Document() = default;
    // The views stay; they no longer have a document.
    ~Document() override;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Views attach and detach themselves (View::SetDocument); a view is held once.
    void AddView(View* view);
    void RemoveView(View* view);
    const std::vector<View*>& GetViews() const { return views_; }

    // OnUpdate(sender, hint, hintObject) of every view but the sender, in the order they were added.
    void UpdateAllViews(View* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }
    // The full path of the document's file (empty for a new document); setting it also sets the
    // title to the file name.
    const std::string& GetPathName() const { return path_; }
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Frees what the document holds; the base holds nothing.
    virtual void DeleteContents();
    // A new, empty document: DeleteContents, no path, not modified. False refuses it.
    virtual bool OnNewDocument();
    // The base: false when the file cannot be opened for reading; else DeleteContents and not
    // modified. The caller sets the path after success.
    virtual bool OnOpenDocument(const std::string& path);
    // The base has no file format and writes nothing: false. An override clears the modified flag
    // after writing (temporary file beside the target, then rename).
    virtual bool OnSaveDocument(const std::string& path);
    // The document is closing (its frame goes): the base calls DeleteContents.
    virtual void OnCloseDocument();

private:
    std::vector<View*> views_;
    bool modified_ = false;
    std::string path_;
    std::string title_;
};

} // namespace ui
