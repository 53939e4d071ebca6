#include "Mp3Info.h"

// The one export of Mp3Info.so. The module handle is not needed.
extern "C" __attribute__((visibility("default"))) corvane::Mp3InfoObject* CreateObject(
    void* /*moduleHandle*/) {
    return corvane::CreateMp3Info();
}
