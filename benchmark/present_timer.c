/* C, because the C view of a COM interface names its vtable slots: the copy below replaces
   the Present slot by name instead of by a counted index. */
#include "present_timer.h"

#include <windows.h>

typedef HRESULT(STDMETHODCALLTYPE* PresentFunction)(IDirect3DDevice9* device,
                                                    const RECT* source,
                                                    const RECT* destination, HWND window,
                                                    const RGNDATA* dirty);

/* The device is created with Direct3DCreate9, not the Ex version, so nobody can reach the
   IDirect3DDevice9Ex methods that follow these slots in the real vtable. */
static IDirect3DDevice9Vtbl timedTable;
static IDirect3DDevice9Vtbl* ownTable;
static PresentFunction ownPresent;
static LARGE_INTEGER lastStamp;
static uint64_t presents;
static PresentCapture pendingCapture;
static void* captureContext;

static HRESULT STDMETHODCALLTYPE TimedPresent(IDirect3DDevice9* device, const RECT* source,
                                              const RECT* destination, HWND window,
                                              const RGNDATA* dirty) {
    if (pendingCapture != NULL) {
        PresentCapture capture = pendingCapture;
        pendingCapture = NULL;
        capture(device, captureContext);
    }
    QueryPerformanceCounter(&lastStamp);
    ++presents;
    return ownPresent(device, source, destination, window, dirty);
}

void StartTimingPresents(IDirect3DDevice9* device) {
    if (ownTable != NULL) return;
    ownTable = device->lpVtbl;
    timedTable = *ownTable;
    ownPresent = ownTable->Present;
    timedTable.Present = TimedPresent;
    device->lpVtbl = &timedTable;
}

void StopTimingPresents(IDirect3DDevice9* device) {
    if (ownTable == NULL || device->lpVtbl != &timedTable) return;
    device->lpVtbl = ownTable;
    ownTable = NULL;
}

void CaptureNextPresent(PresentCapture capture, void* context) {
    pendingCapture = capture;
    captureContext = context;
}

int64_t LastPresentStamp(void) { return lastStamp.QuadPart; }

uint64_t TimedPresents(void) { return presents; }
