// The module's sound player: one device per sounding gauge, bound to the
// simulator's main window, and buffers made from the module's WAVE resources.
// The first failure anywhere clears SoundEnabled and silences the module for
// the rest of its life; nothing else changes.
#pragma once

#include <cstdint>

using SoundWindow = void*;   // the simulator's main window
using SoundModule = void*;   // the module's instance handle
using SoundDevice = void*;   // a device slot holds one of these, or null
using SoundBuffer = void*;   // a buffer slot holds one of these, or null

extern std::int32_t SoundEnabled;

SoundWindow FindSimulatorWindow();
std::int32_t SoundInit(SoundWindow window, SoundDevice* device);
std::uint32_t SoundLoadWave(SoundWindow window, SoundDevice* device, SoundBuffer* buffer,
                            std::uint16_t resourceId, SoundModule module);
std::int32_t SoundPlay(SoundBuffer* buffer, std::uint32_t flags);
std::int32_t SoundStop(SoundBuffer* buffer);
std::int32_t SoundIsPlaying(SoundBuffer* buffer);
std::int32_t SoundSetVolume(SoundBuffer* buffer, std::int32_t volume);
std::int32_t SoundSetPosition(SoundBuffer* buffer, std::uint32_t offset);
void SoundReleaseBuffer(SoundBuffer* buffer);
void SoundReleaseDevice(SoundDevice* device);

// The caller pattern of every sounding gauge: its own device and buffer.
struct SoundSlot {
    SoundDevice device{};
    SoundBuffer buffer{};
};

// Pre-install: find the window, make the device, load the wave.
void SoundSlotInstall(SoundSlot& slot, std::uint16_t waveId, std::uint32_t moduleHandle);
// A click: play once from the current position.
void SoundSlotPlay(SoundSlot& slot);
// Pre-kill: the buffer, then the device.
void SoundSlotRelease(SoundSlot& slot);
