#include "devices/camera/CamDllDetail.h"

#include "platform/MessageSink.h"

void CamShowMessage(int id) {
    ShowMessage(static_cast<UINT>(id), MB_OK);
}
