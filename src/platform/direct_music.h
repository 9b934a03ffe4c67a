// The part of DirectMusic that the sound effects use: a performance with
// its audio paths, a loader reading wave files, segments and their playing
// states. On Windows these are the system's own (through COM); platform/sdl
// implements them over SDL_mixer.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)
#include <dmusici.h>
#else

#include <cstdint>

constexpr DWORD DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
constexpr DWORD DMUS_APATH_DYNAMIC_STEREO = 7;
constexpr DWORD DMUS_AUDIOF_ALL = 0x3F;
constexpr DWORD DMUS_SEGF_SECONDARY = 0x80;
constexpr HRESULT DMUS_E_NOT_INIT = static_cast<HRESULT>(0x88781192u);
constexpr HRESULT DMUS_E_LOADER_FAILEDOPEN = static_cast<HRESULT>(0x88781170u);

class IDirectMusicPerformance8;

class IDirectMusicAudioPath8 {
public:
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectMusicAudioPath8() = default;
};

class IDirectMusicSegmentState8 {
public:
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectMusicSegmentState8() = default;
};

class IDirectMusicSegment8 {
public:
    virtual HRESULT Download(IDirectMusicPerformance8* performance) = 0;
    virtual HRESULT Unload(IDirectMusicPerformance8* performance) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectMusicSegment8() = default;
};

class IDirectMusicPerformance8 {
public:
    virtual HRESULT InitAudio(HWND window, DWORD default_path_type, DWORD performance_channels, DWORD flags) = 0;
    virtual HRESULT GetDefaultAudioPath(IDirectMusicAudioPath8** path) = 0;
    virtual HRESULT CreateStandardAudioPath(DWORD type, DWORD performance_channels, BOOL activate,
                                            IDirectMusicAudioPath8** path) = 0;
    virtual HRESULT PlaySegmentEx(IDirectMusicSegment8* segment, DWORD flags, std::int64_t start_time,
                                  IDirectMusicSegmentState8** state, IDirectMusicAudioPath8* path) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT CloseDown() = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectMusicPerformance8() = default;
};

class IDirectMusicLoader8 {
public:
    virtual HRESULT SetSearchDirectory(const char16_t* directory, BOOL clear) = 0;
    virtual HRESULT LoadObjectFromFile(const char16_t* file_name, IDirectMusicSegment8** segment) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectMusicLoader8() = default;
};

HRESULT CoInitialize(void* reserved);
// Stand for CoCreateInstance with the performance's and the loader's class.
HRESULT create_music_performance(IDirectMusicPerformance8** performance);
HRESULT create_music_loader(IDirectMusicLoader8** loader);

#endif
