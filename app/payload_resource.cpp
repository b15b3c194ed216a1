// Payload resource and work buffer.
#include "app/payload_resource.h"

#include "common/handles.h"
#include "common/install_state.h"

namespace {

LockedGlobalMemory g_workBuffer;

}  // namespace

bool AcquirePayload(HINSTANCE instance) {
    g_state.payload = nullptr;
    g_state.payloadSize = 0;
    g_state.payloadResource = nullptr;
    HRSRC found = FindResourceA(instance, "TAVOQUZ", "QUZ");
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    if (loaded == nullptr) return false;
    const void* data = LockResource(loaded);
    DWORD size = SizeofResource(instance, found);
    if (data == nullptr || size == 0) {
        FreeResource(loaded);
        return false;
    }
    g_state.payloadResource = loaded;
    g_state.payload = static_cast<const unsigned char*>(data);
    g_state.payloadSize = size;
    return true;
}

void ReleasePayload() {
    // Resources of a loaded image stay mapped with it; FreeResource is kept for symmetry with the
    // load and does nothing on current systems.
    if (g_state.payloadResource != nullptr) FreeResource(g_state.payloadResource);
    g_state.payloadResource = nullptr;
    g_state.payload = nullptr;
    g_state.payloadSize = 0;
}

bool AllocateWorkBuffer() {
    if (!g_workBuffer.Allocate(GMEM_MOVEABLE | GMEM_ZEROINIT, kWorkBufferSize)) {
        g_state.workBuffer = nullptr;
        return false;
    }
    g_state.workBuffer = g_workBuffer.Bytes();
    return true;
}

void FreeWorkBuffer() {
    g_workBuffer.Free();
    g_state.workBuffer = nullptr;
}
