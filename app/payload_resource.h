// The payload archive resource and the 2 MiB work buffer: located, locked and allocated once by the
// main window (or by the silent install), released when it ends.
#pragma once

#include <windows.h>

// Locates and locks the QUZ/TAVOQUZ resource into g_state.payload/payloadSize; false when missing.
bool AcquirePayload(HINSTANCE instance);
void ReleasePayload();

// Allocates the zero-filled, locked work buffer into g_state.workBuffer; false when it cannot be had.
bool AllocateWorkBuffer();
void FreeWorkBuffer();
