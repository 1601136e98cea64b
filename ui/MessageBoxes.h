// Message boxes by string id. The window layer's sink looks the text up in the string table,
// fills in the %1-style arguments and shows a wx dialog with the buttons and icon of the type.
#pragma once

#include "platform/MessageSink.h"
#include "ui/resources/ResourceRegistry.h"

#include <string>
#include <vector>

namespace ui {

class WxMessageSink : public CMessageSink {
public:
    int Show(UINT id, UINT type, const std::vector<std::string>& args) override;
};

// Installs the wx sink as the program's sink (the program does this at start-up).
void InstallWxMessageSink();

// Shows the message through the program's sink.
inline int ShowMessageById(UINT stringId, UINT type, const std::vector<std::string>& args = {}) {
    return ShowMessage(stringId, type, args);
}

} // namespace ui
