// Hooks for tests and headless hosts: rendering what a device plays instead of sending
// it to speakers, choosing the device that DirectSoundCreate8 hands out, and losing
// buffers on purpose.
#pragma once

#include "dsound/dsound.h"

#include <cstddef>
#include <functional>
#include <vector>

// A device that plays into the samples its owner renders (OpenAL Soft's loopback
// device). Samples are 32-bit floats, interleaved by channel, so that measurements see
// the mix itself and no dither. Nothing advances between calls to render: a sound stays
// at its position until the test renders past it.
struct DirectSoundLoopback {
    ComPtr<IDirectSound8> device;
    DWORD sampleRate = 0;
    DWORD channels = 0;
    // Mixes the next frames of everything playing on the device.
    std::function<std::vector<float>(std::size_t frames)> render;
};

// channels: 1 or 2. Fails with DSERR_NODRIVER when OpenAL has no loopback device.
HRESULT DirectSoundCreateLoopbackForTests(DWORD sampleRate, DWORD channels,
                                          DirectSoundLoopback* loopback);

// The device DirectSoundCreate8 falls back to when no audio device opens: it plays in
// real time into nothing.
HRESULT DirectSoundCreateSilent(LPDIRECTSOUND8* directSound);

// Makes DirectSoundCreate8 (for the default device) hand out what source makes instead
// of opening a device: a loopback device, a silent one, or a failure such as
// DSERR_NODRIVER to play a machine without any sound output. An empty function restores
// the normal behaviour. Returns the source it replaces.
using DirectSoundDeviceSource = std::function<HRESULT(LPDIRECTSOUND8* directSound)>;
DirectSoundDeviceSource SetDirectSoundDeviceSourceForTests(DirectSoundDeviceSource source);

enum class DirectSoundOutput { None, Device, Silent, Loopback };
// What a device made by this layer plays into (None for anything else).
DirectSoundOutput DirectSoundOutputOf(IDirectSound8* device);

// Loses the memory of every buffer of the device, as when another program takes the
// device over: the buffers stop, report DSBSTATUS_BUFFERLOST and refuse Lock and Play;
// Restore answers DSERR_BUFFERLOST restoreRefusals times before it succeeds.
HRESULT DirectSoundLoseBuffersForTests(IDirectSound8* device, unsigned restoreRefusals);
