/* Splits a frame into issuing it and presenting it without touching the code that draws
   it: while timing, the device's Present takes a performance-counter stamp just before it
   runs. One device at a time. */
#pragma once

#include <d3d9.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Points the device's vtable at a copy whose Present stamps the counter first. */
void StartTimingPresents(IDirect3DDevice9* device);
/* Puts the device's own vtable back. */
void StopTimingPresents(IDirect3DDevice9* device);
/* Runs `capture` once, inside the next timed Present, while the back buffer still holds the
   frame: after Present a discarded back buffer may read back as anything. */
typedef void (*PresentCapture)(IDirect3DDevice9* device, void* context);
void CaptureNextPresent(PresentCapture capture, void* context);
/* The counter just before the latest timed Present began, and how many have run. */
int64_t LastPresentStamp(void);
uint64_t TimedPresents(void);

#ifdef __cplusplus
}
#endif
