// Whether a picture can be saved under a path before the camera is asked for it.
#pragma once

#include <string>

// True when a file can be written at path: an existing regular file in a writable folder that
// may be opened for writing (it is opened without truncation and closed, so its contents and
// times stay), or a name that can be created in an existing folder (it is created and removed
// again, so the test leaves no empty file behind). A folder, a missing folder or a read-only
// place gives false; the caller shows message 872.
bool CanWriteCapturePath(const std::string& path);
