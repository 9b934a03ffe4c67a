// The part of DirectMusic that the sound effects use: a performance with
// its audio paths, a loader reading wave files, segments and their playing
// states, all made through COM. On Windows these are the system's own;
// elsewhere platform/sdl implements them, with the same signatures, over
// SDL_mixer.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)

#include <dmusici.h>

// Start-up faults can be named for tests (platform/faults.h); on
// Windows they sit between the game and the real COM classes
// (platform/win32/faults_win32.cpp), which are otherwise handed through.
HRESULT WINAPI faultable_CoCreateInstance(REFCLSID class_id, LPUNKNOWN outer, DWORD context, REFIID iid,
                                          LPVOID* out);
#define CoCreateInstance faultable_CoCreateInstance

#else

#include <cstdint>

using MUSIC_TIME = std::int32_t;
using REFERENCE_TIME = std::int64_t;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

constexpr DWORD DMUS_APATH_SHARED_STEREOPLUSREVERB = 0x1;
constexpr DWORD DMUS_APATH_DYNAMIC_3D = 0x6;
constexpr DWORD DMUS_APATH_DYNAMIC_MONO = 0x7;
constexpr DWORD DMUS_APATH_DYNAMIC_STEREO = 0x8;
constexpr DWORD DMUS_AUDIOF_ALL = 0x3F;
constexpr DWORD DMUS_SEGF_SECONDARY = 0x80;
constexpr HRESULT DMUS_E_NOT_INIT = static_cast<HRESULT>(0x88781162u);
constexpr HRESULT DMUS_E_LOADER_FAILEDOPEN = static_cast<HRESULT>(0x88781182u);

extern const CLSID CLSID_DirectMusicPerformance;
extern const CLSID CLSID_DirectMusicLoader;
extern const CLSID CLSID_DirectMusicSegment;
extern const GUID GUID_DirectMusicAllTypes;
extern const IID IID_IDirectMusicPerformance8;
extern const IID IID_IDirectMusicLoader8;
extern const IID IID_IDirectMusicSegment8;
extern const IID IID_IDirectMusicSegmentState8;

class IDirectMusic;
class IDirectSound;
struct DMUS_AUDIOPARAMS;

class IDirectMusicAudioPath : public IUnknown {};
using IDirectMusicAudioPath8 = IDirectMusicAudioPath;

class IDirectMusicSegmentState : public IUnknown {};
class IDirectMusicSegmentState8 : public IDirectMusicSegmentState {};

class IDirectMusicSegment : public IUnknown {};
class IDirectMusicSegment8 : public IDirectMusicSegment {
public:
    virtual HRESULT Download(IUnknown* audio_path) = 0;
    virtual HRESULT Unload(IUnknown* audio_path) = 0;
};

class IDirectMusicPerformance : public IUnknown {
public:
    virtual HRESULT Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME time,
                         DWORD flags) = 0;
    virtual HRESULT CloseDown() = 0;
};

class IDirectMusicPerformance8 : public IDirectMusicPerformance {
public:
    virtual HRESULT InitAudio(IDirectMusic** direct_music, IDirectSound** direct_sound, HWND window,
                              DWORD default_path_type, DWORD performance_channels, DWORD flags,
                              DMUS_AUDIOPARAMS* params) = 0;
    virtual HRESULT PlaySegmentEx(IUnknown* source, WCHAR* segment_name, IUnknown* transition, DWORD flags,
                                  std::int64_t start_time, IDirectMusicSegmentState** state, IUnknown* from,
                                  IUnknown* audio_path) = 0;
    virtual HRESULT CreateStandardAudioPath(DWORD type, DWORD performance_channels, BOOL activate,
                                            IDirectMusicAudioPath** path) = 0;
    virtual HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) = 0;
};

class IDirectMusicLoader : public IUnknown {
public:
    virtual HRESULT SetSearchDirectory(REFGUID object_class, WCHAR* path, BOOL clear) = 0;
};

class IDirectMusicLoader8 : public IDirectMusicLoader {
public:
    virtual HRESULT LoadObjectFromFile(REFGUID class_id, REFIID iid, WCHAR* file_path, void** object) = 0;
};

HRESULT CoInitialize(LPVOID reserved);
HRESULT CoCreateInstance(REFCLSID class_id, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out);

#endif
