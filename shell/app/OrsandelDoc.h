// The one document of the main frame, shared by all its views: the settings it keeps
// (DocumentSettings), the current camera frame and the map from image path to image record. It is
// the image browser's document: its browser context carries the map, the list sizes and orders
// and the program's actions to the folder tree, the thumbnail list and the focus image box.
#pragma once

#include "browser/core/BrowserContext.h"
#include "imaging/bitmaps/MyImageData.h"
#include "platform/GlobalMemory.h"
#include "shell/core/settings/DocumentSettings.h"
#include "ui/Document.h"

#include <map>
#include <memory>
#include <string>

class CPalette;

class COrsandelDoc : public ui::Document, public DocumentSettings, public BrowserDocument {
public:
    COrsandelDoc();
    // Empties the application's lens table and writes the thumbnail and microscope settings.
    ~COrsandelDoc() override;

    // Reads the sort order and every composition and microscope setting.
    bool OnNewDocument() override;
    BrowserContext& Browser() override { return m_browser; }
    // The thumbnail sizes and orders of the settings handed to the browser's lists, and back.
    void SettingsToBrowser();
    void BrowserToSettings();
    // Frees the image records (when the browser's views exist) and the current frame (when the
    // capture view exists).
    void OnCloseDocument() override;

    // No step of the program makes a palette: drawing uses none.
    CPalette* GetPalette() const { return m_pPalette; }

    // Start height and interval of the height dialog, micrometres; kept while the program runs.
    double m_depthStart = 0.0;
    double m_depthInterval = 0.0;

    // The current camera frame (owned); null when none.
    HDIB m_hFrame = nullptr;
    // Length of the measuring line on the live picture, frame pixels (0: none drawn).
    double m_dCalibLineLength = 0.0;
    void FreeFrame();

    // Image records of the browser by full path, under the program-wide critical section.
    std::map<std::string, std::unique_ptr<CMyImageData>> m_imageMap;

private:
    BrowserContext m_browser;
    CPalette* m_pPalette = nullptr;
};
