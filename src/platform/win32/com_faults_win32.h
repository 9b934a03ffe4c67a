// Start-up faults placed inside the system's own COM objects: one method of
// a live object is replaced, every other one stays the system's. C, because
// only C sees an interface's method table as a record with named fields.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// direct_input is an IDirectInput8A. Devices of the refused kinds are not
// found by CreateDevice; hidden controllers are not enumerated.
void refuse_input_devices(void* direct_input, int refuse_keyboard, int refuse_mouse, int hide_controllers);

// performance is an IDirectMusicPerformance8 whose GetDefaultAudioPath then
// reports success with no path, as it does where no sound device opened.
void refuse_default_audio_path(void* performance);

#ifdef __cplusplus
}
#endif
