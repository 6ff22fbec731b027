// The sound player over DirectSound: a device per sounding gauge bound to the
// simulator's main window, buffers made from the module's WAVE resources
// through a memory file of the multimedia file routines.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <cstring>

#include "sound/sound.h"
#include "sound/sound_backend.h"

namespace {

constexpr const char* waveResourceType = "WAVE";
constexpr DWORD memoryFileFlags = MMIO_READWRITE | MMIO_ALLOCBUF;  // 0x10002
constexpr DWORD bufferFlags =
    DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;  // 0x80E0
constexpr LONG formatRecordSize = 18;  // the whole WAVEFORMATEX, extra-size word included

static_assert(bufferFlags == 0x80E0);
static_assert(memoryFileFlags == 0x10002);
static_assert(sizeof(WAVEFORMATEX) == formatRecordSize);
#if !defined(_WIN64)
static_assert(sizeof(DSBUFFERDESC) == 36, "the buffer description the device expects");
#endif

IDirectSound* DeviceIn(SoundDevice* slot) { return static_cast<IDirectSound*>(*slot); }
IDirectSoundBuffer* BufferIn(SoundBuffer* slot) { return static_cast<IDirectSoundBuffer*>(*slot); }

// A failed DirectSound call on a buffer: the slot gives up its reference and
// the module goes silent.
std::int32_t BufferFailed(SoundBuffer* slot) {
    SoundReleaseBuffer(slot);
    SoundFail();
    return 0;
}

bool Usable(SoundBuffer* slot) { return SoundEnabled && slot && *slot; }

std::uint32_t LoadFailed() {
    SoundFail();
    return 0;
}

// Everything SoundLoadWave holds on the way; given back on every path.
struct WaveLoad {
    HGLOBAL resource{};
    HMMIO file{};
    HGLOBAL samples{};
    void* lockedSamples{};
    IDirectSoundBuffer* buffer{};

    ~WaveLoad() {
        if (file) mmioClose(file, 0);
        if (resource) FreeResource(resource);
        if (lockedSamples) GlobalUnlock(samples);
        if (samples) GlobalFree(samples);
        if (buffer) buffer->Release();
    }
};

}  // namespace

SoundWindow FindSimulatorWindow() {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return nullptr;
    return FindWindowA(SimulatorWindowClass(path), nullptr);
}

std::int32_t SoundInit(SoundWindow window, SoundDevice* device) {
    if (!SoundEnabled || !device) return 0;
    SoundReleaseDevice(device);
    IDirectSound* made = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &made, nullptr)) || !made) return DeviceFailed(device);
    if (FAILED(made->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_NORMAL))) {
        made->Release();
        return DeviceFailed(device);
    }
    *device = made;
    return 1;
}

std::uint32_t SoundLoadWave(SoundWindow, SoundDevice* device, SoundBuffer* buffer,
                            std::uint16_t resourceId, SoundModule module) {
    // 1. The buffer slot starts empty.
    if (!WaveSlotReady(device, buffer)) return 0;
    WaveLoad load;

    // 2. The resource, loaded and locked.
    const HMODULE instance = static_cast<HMODULE>(module);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), waveResourceType);
    if (!found) return LoadFailed();
    load.resource = LoadResource(instance, found);
    const DWORD resourceSize = SizeofResource(instance, found);
    void* bytes = load.resource ? LockResource(load.resource) : nullptr;
    if (!bytes || resourceSize == 0) return LoadFailed();

    // 3. A memory file over the resource bytes.
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = static_cast<HPSTR>(bytes);
    info.cchBuffer = static_cast<LONG>(resourceSize);
    load.file = mmioOpenA(nullptr, &info, memoryFileFlags);
    if (!load.file) return LoadFailed();

    // 4. Into RIFF/WAVE, then into "fmt ".
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(load.file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR)
        return LoadFailed();
    MMCKINFO fmt{};
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(load.file, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return LoadFailed();

    // 5. The format record.
    WAVEFORMATEX format{};
    if (mmioRead(load.file, reinterpret_cast<HPSTR>(&format), formatRecordSize) != formatRecordSize)
        return LoadFailed();

    // 6. Out of "fmt ", into "data".
    if (mmioAscend(load.file, &fmt, 0) != MMSYSERR_NOERROR) return LoadFailed();
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(load.file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return LoadFailed();
    const DWORD sampleSize = data.cksize;
    if (sampleSize == 0) return LoadFailed();

    // 7. The samples in movable global memory; the file and resource closed.
    load.samples = GlobalAlloc(GMEM_MOVEABLE, sampleSize);
    load.lockedSamples = load.samples ? GlobalLock(load.samples) : nullptr;
    if (!load.lockedSamples) return LoadFailed();
    if (mmioRead(load.file, static_cast<HPSTR>(load.lockedSamples), static_cast<LONG>(sampleSize)) !=
        static_cast<LONG>(sampleSize))
        return LoadFailed();
    mmioClose(load.file, 0);
    load.file = nullptr;
    FreeResource(load.resource);
    load.resource = nullptr;

    // 8. The buffer, on the caller's device.
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = bufferFlags;
    description.dwBufferBytes = sampleSize;
    description.lpwfxFormat = &format;
    if (FAILED(DeviceIn(device)->CreateSoundBuffer(&description, &load.buffer, nullptr)) ||
        !load.buffer)
        return LoadFailed();

    // 9. The samples copied into it.
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstLength = 0;
    DWORD secondLength = 0;
    if (FAILED(load.buffer->Lock(0, sampleSize, &first, &firstLength, &second, &secondLength, 0)))
        return LoadFailed();
    std::memcpy(first, load.lockedSamples, firstLength < sampleSize ? firstLength : sampleSize);
    if (FAILED(load.buffer->Unlock(first, firstLength, second, secondLength)))
        return LoadFailed();

    // 10. Ready to play from the start.
    if (FAILED(load.buffer->SetCurrentPosition(0))) return LoadFailed();
    *buffer = load.buffer;
    load.buffer = nullptr;
    return sampleSize;
}

std::int32_t SoundPlay(SoundBuffer* buffer, std::uint32_t flags) {
    if (!Usable(buffer)) return 0;
    if (FAILED(BufferIn(buffer)->Play(0, 0, flags))) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundStop(SoundBuffer* buffer) {
    if (!Usable(buffer)) return 0;
    if (FAILED(BufferIn(buffer)->Stop())) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundIsPlaying(SoundBuffer* buffer) {
    if (!Usable(buffer)) return 0;
    DWORD status = 0;
    if (FAILED(BufferIn(buffer)->GetStatus(&status))) return BufferFailed(buffer);
    return (status & DSBSTATUS_PLAYING) ? 1 : 0;
}

std::int32_t SoundSetVolume(SoundBuffer* buffer, std::int32_t volume) {
    if (!Usable(buffer)) return 0;
    if (FAILED(BufferIn(buffer)->SetVolume(volume))) return BufferFailed(buffer);
    return 1;
}

std::int32_t SoundSetPosition(SoundBuffer* buffer, std::uint32_t offset) {
    if (!Usable(buffer)) return 0;
    if (FAILED(BufferIn(buffer)->SetCurrentPosition(offset))) return BufferFailed(buffer);
    return 1;
}

// Releases give back whatever the slot holds, also after sound went off: a
// device or buffer made before the first failure is not left behind.
void SoundReleaseBuffer(SoundBuffer* buffer) {
    if (!buffer || !*buffer) return;
    BufferIn(buffer)->Release();
    *buffer = nullptr;
}

void SoundReleaseDevice(SoundDevice* device) {
    if (!device || !*device) return;
    DeviceIn(device)->Release();
    *device = nullptr;
}
