// qraudio: devices and buffers on the simulated clock, and the recorder that
// mixes what was played into a WAV file.
#include "sound/platform/qraudio.h"

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr double forever = std::numeric_limits<double>::infinity();
constexpr const char* hostClockSymbol = "QrHostClockSeconds";
constexpr std::size_t takesReserved = 4096;

using Samples = std::shared_ptr<const std::vector<std::uint8_t>>;

// One stretch of a buffer playing, kept for the recording.
struct Take {
    Samples samples;
    qraudio_format format{};
    double start{};
    std::uint32_t startPosition{};
    bool looping{};
    std::int32_t volume{};
    double end{forever};
};

struct Recording {
    bool active{};
    std::string path;
    std::uint32_t rate{};
    double start{};
    std::vector<Take> takes;
};

// The sounds started since the host last asked: where each buffer's samples
// were written from. A fixed array, so that playing stays off the heap.
constexpr std::size_t playLogSize = 1024;
struct PlayLog {
    const void* origins[playLogSize]{};
    std::size_t count{};  // may pass playLogSize: the starts not kept
};

struct State {
    bool deviceAvailable{true};
    PlayLog plays;
    double clockAdvance{};
    int devices{};
    int buffers{};
    Recording recording;
    std::uint64_t calls{};   // calls that can fail, made so far
    std::uint64_t failAt{};  // the one of them that fails, 0 none
    qraudio_observer observer{};
    void* observerContext{};
};

// Never destroyed: modules may release their objects from their own
// destructors after this library's would have run.
State& Audio() {
    static State* state = new State;
    return *state;
}

// Counts a call that can fail; true when it is the one asked to fail.
bool FailsOnRequest() {
    State& state = Audio();
    return ++state.calls == state.failAt;
}

}  // namespace

struct qraudio_device {
    void* window{};
};

struct qraudio_buffer {
    qraudio_format format{};
    std::shared_ptr<std::vector<std::uint8_t>> samples;
    std::uint32_t position{};        // where the last start or update left it
    bool playing{};
    bool looping{};
    double startTime{};
    std::uint32_t startPosition{};
    std::int32_t volume{};
    std::ptrdiff_t take{-1};         // open take of the recording
    const void* origin{};            // what the whole buffer was written from
};

namespace {

double BytesPerSecond(const qraudio_format& f) {
    return static_cast<double>(f.avg_bytes_per_sec);
}

std::uint32_t Size(const qraudio_buffer* b) {
    return static_cast<std::uint32_t>(b->samples->size());
}

void OpenTake(qraudio_buffer* b, double now) {
    Recording& r = Audio().recording;
    if (!r.active) {
        b->take = -1;
        return;
    }
    r.takes.push_back(Take{b->samples, b->format, now, b->position, b->looping, b->volume});
    b->take = static_cast<std::ptrdiff_t>(r.takes.size()) - 1;
}

void CloseTake(qraudio_buffer* b, double at) {
    Recording& r = Audio().recording;
    if (r.active && b->take >= 0 && static_cast<std::size_t>(b->take) < r.takes.size())
        r.takes[static_cast<std::size_t>(b->take)].end = at;
    b->take = -1;
}

// Brings a playing buffer's position up to the clock; a buffer played once
// stops at its end and goes back to the start, ready to play again.
void Update(qraudio_buffer* b, double now) {
    if (!b->playing)
        return;
    const double elapsed = std::max(0.0, now - b->startTime);
    const std::uint32_t size = Size(b);
    const std::uint32_t block = std::max<std::uint32_t>(1, b->format.block_align);
    const double played = std::floor(elapsed * BytesPerSecond(b->format) / block) * block;
    if (b->looping) {
        b->position = static_cast<std::uint32_t>(
            std::fmod(static_cast<double>(b->startPosition) + played, size));
        return;
    }
    if (b->startPosition + played >= size) {
        const double end =
            b->startTime + static_cast<double>(size - b->startPosition) / BytesPerSecond(b->format);
        b->playing = false;
        b->position = 0;
        CloseTake(b, end);
        return;
    }
    b->position = b->startPosition + static_cast<std::uint32_t>(played);
}

// Restarts the stretch after a change of position or volume while playing.
void Restart(qraudio_buffer* b, double now) {
    CloseTake(b, now);
    b->startTime = now;
    b->startPosition = b->position;
    OpenTake(b, now);
}

void LogPlay(const void* origin) {
    PlayLog& log = Audio().plays;
    if (log.count < playLogSize) log.origins[log.count] = origin;
    ++log.count;
}

void Tell(const qraudio_buffer* b, std::uint32_t what) {
    const State& state = Audio();
    if (!state.observer)
        return;
    const double rate = BytesPerSecond(b->format);
    const qraudio_change change{b, b->origin, what, b->looping ? 1u : 0u, b->volume,
                                rate > 0 ? b->position / rate : 0.0};
    state.observer(&change, state.observerContext);
}

bool ValidFormat(const qraudio_format& f) {
    return f.format_tag == 1 && (f.channels == 1 || f.channels == 2) &&
           (f.bits_per_sample == 8 || f.bits_per_sample == 16) && f.samples_per_sec >= 100 &&
           f.samples_per_sec <= 200000 && f.block_align == f.channels * f.bits_per_sample / 8 &&
           f.avg_bytes_per_sec == f.samples_per_sec * f.block_align;
}

// One sample of a take's buffer as a value in [-1, 1], channels averaged.
double SampleAt(const Take& t, std::uint64_t frame) {
    const std::vector<std::uint8_t>& s = *t.samples;
    const std::size_t at = static_cast<std::size_t>(frame) * t.format.block_align;
    double sum = 0;
    for (std::uint16_t c = 0; c < t.format.channels; ++c) {
        if (t.format.bits_per_sample == 8) {
            sum += (static_cast<double>(s[at + c]) - 128.0) / 128.0;
        } else {
            const std::size_t i = at + 2u * c;
            const auto v = static_cast<std::int16_t>(s[i] | (s[i + 1] << 8));
            sum += v / 32768.0;
        }
    }
    return sum / t.format.channels;
}

void PutU32(std::FILE* f, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void PutU16(std::FILE* f, std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

// Mixes every take on the simulated clock from the start of the recording.
int WriteRecording(Recording& r, double now) {
    const std::uint32_t rate = r.rate;
    double last = r.start;
    for (Take& t : r.takes) {
        if (t.end == forever) {
            // Still playing: a single play ends at the buffer's end, a loop now.
            t.end = t.looping ? now
                              : t.start + static_cast<double>(t.samples->size() - t.startPosition) /
                                              BytesPerSecond(t.format);
        }
        last = std::max(last, t.end);
    }
    const double seconds = std::min(last - r.start, 3600.0);
    const auto frames = static_cast<std::size_t>(std::ceil(seconds * rate));
    std::vector<double> mix(frames, 0.0);
    for (const Take& t : r.takes) {
        const double gain = std::pow(10.0, t.volume / 2000.0);
        const std::uint64_t bufferFrames = t.samples->size() / t.format.block_align;
        if (bufferFrames == 0)
            continue;
        const double first = std::max(0.0, std::ceil((t.start - r.start) * rate));
        for (auto k = static_cast<std::size_t>(first); k < frames; ++k) {
            const double at = r.start + static_cast<double>(k) / rate;
            if (at >= t.end)
                break;
            std::uint64_t frame = t.startPosition / t.format.block_align +
                                  static_cast<std::uint64_t>((at - t.start) * t.format.samples_per_sec);
            if (t.looping)
                frame %= bufferFrames;
            if (frame >= bufferFrames)
                break;
            mix[k] += gain * SampleAt(t, frame);
        }
    }
    std::FILE* f = std::fopen(r.path.c_str(), "wb");
    if (!f)
        return QRAUDIO_ERR_INVALID;
    const auto dataBytes = static_cast<std::uint32_t>(frames * 2);
    std::fwrite("RIFF", 1, 4, f);
    PutU32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    PutU32(f, 16);
    PutU16(f, 1);
    PutU16(f, 1);
    PutU32(f, rate);
    PutU32(f, rate * 2);
    PutU16(f, 2);
    PutU16(f, 16);
    std::fwrite("data", 1, 4, f);
    PutU32(f, dataBytes);
    for (double v : mix) {
        const long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        PutU16(f, static_cast<std::uint16_t>(static_cast<std::int16_t>(s)));
    }
    const bool ok = std::fclose(f) == 0;
    return ok ? QRAUDIO_OK : QRAUDIO_ERR_INVALID;
}

// Writes a recording left open when the process ends.
struct RecordingAtExit {
    ~RecordingAtExit() {
        if (Audio().recording.active)
            qraudio_record_stop();
    }
} recordingAtExit;

// Brings the buffer up to now and ends what it was playing, if anything.
void Stop(qraudio_buffer* buffer) {
    const double now = qraudio_clock_now();
    Update(buffer, now);
    if (!buffer->playing)
        return;
    CloseTake(buffer, now);
    buffer->playing = false;
    Tell(buffer, QRAUDIO_CHANGE_STOP);
}

}  // namespace

extern "C" {

int qraudio_device_create(qraudio_device** device) {
    if (!device)
        return QRAUDIO_ERR_INVALID;
    *device = nullptr;
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!Audio().deviceAvailable)
        return QRAUDIO_ERR_NO_DEVICE;
    *device = new (std::nothrow) qraudio_device{};
    if (!*device)
        return QRAUDIO_ERR_NO_MEMORY;
    ++Audio().devices;
    return QRAUDIO_OK;
}

int qraudio_device_set_window(qraudio_device* device, void* window) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!device)
        return QRAUDIO_ERR_INVALID;
    device->window = window;
    return QRAUDIO_OK;
}

void qraudio_device_release(qraudio_device* device) {
    if (!device)
        return;
    delete device;
    --Audio().devices;
}

int qraudio_buffer_create(qraudio_device* device, const qraudio_format* format, uint32_t bytes,
                          qraudio_buffer** buffer) {
    if (!buffer)
        return QRAUDIO_ERR_INVALID;
    *buffer = nullptr;
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!device || !format || !ValidFormat(*format) || bytes < 4 || bytes > (64u << 20) ||
        bytes % format->block_align != 0)
        return QRAUDIO_ERR_INVALID;
    auto* b = new (std::nothrow) qraudio_buffer{};
    if (!b)
        return QRAUDIO_ERR_NO_MEMORY;
    try {
        b->samples = std::make_shared<std::vector<std::uint8_t>>(
            bytes, format->bits_per_sample == 8 ? 0x80 : 0x00);
    } catch (const std::bad_alloc&) {
        delete b;
        return QRAUDIO_ERR_NO_MEMORY;
    }
    b->format = *format;
    *buffer = b;
    ++Audio().buffers;
    return QRAUDIO_OK;
}

int qraudio_buffer_write(qraudio_buffer* buffer, uint32_t offset, const void* data,
                         uint32_t bytes) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer || (!data && bytes) || offset > Size(buffer) || bytes > Size(buffer) - offset)
        return QRAUDIO_ERR_INVALID;
    if (bytes == 0)
        return QRAUDIO_OK;
    // A recording keeps the samples that were played; give it its own copy.
    if (buffer->samples.use_count() > 1)
        buffer->samples = std::make_shared<std::vector<std::uint8_t>>(*buffer->samples);
    std::memcpy(buffer->samples->data() + offset, data, bytes);
    buffer->origin = offset == 0 && bytes == Size(buffer) ? data : nullptr;
    return QRAUDIO_OK;
}

int qraudio_buffer_play(qraudio_buffer* buffer, uint32_t flags) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer)
        return QRAUDIO_ERR_INVALID;
    const double now = qraudio_clock_now();
    Update(buffer, now);
    const bool looping = (flags & QRAUDIO_PLAY_LOOPING) != 0;
    if (buffer->playing && buffer->looping == looping)
        return QRAUDIO_OK;
    const bool starts = !buffer->playing;
    if (starts) LogPlay(buffer->origin);
    buffer->playing = true;
    buffer->looping = looping;
    Restart(buffer, now);
    Tell(buffer, starts ? QRAUDIO_CHANGE_START : QRAUDIO_CHANGE_LOOP);
    return QRAUDIO_OK;
}

int qraudio_buffer_stop(qraudio_buffer* buffer) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer)
        return QRAUDIO_ERR_INVALID;
    Stop(buffer);
    return QRAUDIO_OK;
}

int qraudio_buffer_status(qraudio_buffer* buffer, uint32_t* status) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer || !status)
        return QRAUDIO_ERR_INVALID;
    Update(buffer, qraudio_clock_now());
    *status = (buffer->playing ? QRAUDIO_STATUS_PLAYING : 0u) |
              (buffer->playing && buffer->looping ? QRAUDIO_STATUS_LOOPING : 0u);
    return QRAUDIO_OK;
}

int qraudio_buffer_set_volume(qraudio_buffer* buffer, int32_t volume) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer || volume > QRAUDIO_VOLUME_MAX || volume < QRAUDIO_VOLUME_MIN)
        return QRAUDIO_ERR_INVALID;
    const double now = qraudio_clock_now();
    Update(buffer, now);
    const bool changed = buffer->volume != volume;
    buffer->volume = volume;
    if (buffer->playing) {
        Restart(buffer, now);
        if (changed)
            Tell(buffer, QRAUDIO_CHANGE_VOLUME);
    }
    return QRAUDIO_OK;
}

int qraudio_buffer_set_position(qraudio_buffer* buffer, uint32_t offset) {
    if (FailsOnRequest())
        return QRAUDIO_ERR_FAILED_ON_REQUEST;
    if (!buffer || offset >= Size(buffer))
        return QRAUDIO_ERR_INVALID;
    const double now = qraudio_clock_now();
    Update(buffer, now);
    const std::uint32_t block = std::max<std::uint32_t>(1, buffer->format.block_align);
    buffer->position = offset - offset % block;
    if (buffer->playing) {
        Restart(buffer, now);
        Tell(buffer, QRAUDIO_CHANGE_START);
    }
    return QRAUDIO_OK;
}

void qraudio_buffer_release(qraudio_buffer* buffer) {
    if (!buffer)
        return;
    Stop(buffer);
    delete buffer;
    --Audio().buffers;
}

void qraudio_live_objects(int* devices, int* buffers) {
    if (devices)
        *devices = Audio().devices;
    if (buffers)
        *buffers = Audio().buffers;
}

void qraudio_set_device_available(int available) {
    Audio().deviceAvailable = available != 0;
}

void qraudio_fail_call(uint64_t n) {
    State& state = Audio();
    state.failAt = n == 0 ? 0 : state.calls + n;
}

uint64_t qraudio_calls(void) {
    return Audio().calls;
}

double qraudio_clock_now(void) {
    using ClockFn = double (*)();
    static const auto hostClock = reinterpret_cast<ClockFn>(dlsym(RTLD_DEFAULT, hostClockSymbol));
    const double host = hostClock ? hostClock() : 0.0;
    return (std::isfinite(host) ? host : 0.0) + Audio().clockAdvance;
}

void qraudio_clock_advance(double seconds) {
    if (std::isfinite(seconds) && seconds > 0)
        Audio().clockAdvance += seconds;
}

int qraudio_record_start(const char* path, uint32_t rate) {
    if (!path || !*path || rate < 1000 || rate > 192000)
        return QRAUDIO_ERR_INVALID;
    Recording& r = Audio().recording;
    r = Recording{true, path, rate, qraudio_clock_now(), {}};
    // Room for the plays of a long session, made now: a click that plays
    // while recording stays off the heap like any other.
    r.takes.reserve(takesReserved);
    return QRAUDIO_OK;
}

int qraudio_record_stop(void) {
    Recording& r = Audio().recording;
    if (!r.active)
        return QRAUDIO_ERR_INVALID;
    const int result = WriteRecording(r, qraudio_clock_now());
    r = Recording{};
    return result;
}

int qraudio_recording(void) {
    return Audio().recording.active ? 1 : 0;
}

size_t qraudio_take_plays(const void** origins, size_t max) {
    PlayLog& log = Audio().plays;
    const std::size_t started = log.count;
    if (origins) {
        for (std::size_t i = 0; i < std::min({started, max, playLogSize}); ++i) origins[i] = log.origins[i];
    }
    log.count = 0;
    return started;
}

void qraudio_set_observer(qraudio_observer observer, void* context) {
    State& state = Audio();
    state.observer = observer;
    state.observerContext = observer ? context : nullptr;
}

}  // extern "C"
