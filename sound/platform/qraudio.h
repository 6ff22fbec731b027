/* qraudio: the audio system of the substitute panel host, standing in for the
 * system's audio library on platforms without one that the module can use.
 *
 * It plays nothing aloud. Devices and buffers behave like a sound card's
 * secondary buffers: a buffer that starts playing counts as playing for its
 * duration on the simulated clock (the host's clock plus any time a test
 * advances it by), and everything played can be mixed into a WAV file.
 * The host can take the sound device away, as on a machine without sound.
 *
 * Devices take the window they play for as an opaque handle; windows and
 * the module resources that waves are loaded from belong to qrsystem.
 *
 * Both the gauge module and the host link this library; one copy serves the
 * whole process. Calls come from the panel thread only.
 *
 * Results: QRAUDIO_OK (0) on success, a negative QRAUDIO_ERR_* code else.
 */
#ifndef QRAUDIO_H
#define QRAUDIO_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QRAUDIO_API __attribute__((visibility("default")))

enum {
    QRAUDIO_OK = 0,
    QRAUDIO_ERR_NO_DEVICE = -1,     /* no sound device on this machine */
    QRAUDIO_ERR_INVALID = -2,       /* bad argument or format */
    QRAUDIO_ERR_NO_MEMORY = -3,
    QRAUDIO_ERR_FAILED_ON_REQUEST = -4,  /* see qraudio_fail_call */
};

/* Play flags and status bits. */
#define QRAUDIO_PLAY_LOOPING 0x1u
#define QRAUDIO_STATUS_PLAYING 0x1u
#define QRAUDIO_STATUS_LOOPING 0x4u

/* Volume in hundredths of a decibel: 0 is full, -10000 is silence. */
#define QRAUDIO_VOLUME_MAX 0
#define QRAUDIO_VOLUME_MIN (-10000)

typedef struct qraudio_device qraudio_device;
typedef struct qraudio_buffer qraudio_buffer;

/* A PCM sample format. */
typedef struct qraudio_format {
    uint16_t format_tag;        /* 1 = PCM, the only format played */
    uint16_t channels;          /* 1 or 2 */
    uint32_t samples_per_sec;
    uint32_t avg_bytes_per_sec;
    uint16_t block_align;       /* channels * bits / 8 */
    uint16_t bits_per_sample;   /* 8 (unsigned) or 16 (signed) */
} qraudio_format;

/* --- Devices and buffers ----------------------------------------------- */
QRAUDIO_API int qraudio_device_create(qraudio_device** device);
QRAUDIO_API int qraudio_device_set_window(qraudio_device* device, void* window);
QRAUDIO_API void qraudio_device_release(qraudio_device* device);

/* A silent buffer of `bytes` bytes (at least 4, a whole number of blocks). */
QRAUDIO_API int qraudio_buffer_create(qraudio_device* device, const qraudio_format* format,
                                      uint32_t bytes, qraudio_buffer** buffer);
/* Copies samples into the buffer at an offset; the range must lie inside it. */
QRAUDIO_API int qraudio_buffer_write(qraudio_buffer* buffer, uint32_t offset, const void* data,
                                     uint32_t bytes);
/* Starts from the current position; a playing buffer goes on undisturbed. */
QRAUDIO_API int qraudio_buffer_play(qraudio_buffer* buffer, uint32_t flags);
/* Stops where it is; the position stays. */
QRAUDIO_API int qraudio_buffer_stop(qraudio_buffer* buffer);
QRAUDIO_API int qraudio_buffer_status(qraudio_buffer* buffer, uint32_t* status);
QRAUDIO_API int qraudio_buffer_set_volume(qraudio_buffer* buffer, int32_t volume);
/* Byte offset of the play position, below the buffer size. */
QRAUDIO_API int qraudio_buffer_set_position(qraudio_buffer* buffer, uint32_t offset);
QRAUDIO_API void qraudio_buffer_release(qraudio_buffer* buffer);

/* Devices and buffers made and not yet released. */
QRAUDIO_API void qraudio_live_objects(int* devices, int* buffers);

/* --- Host controls ------------------------------------------------------ */
/* With the device away, device creation fails; what exists keeps working. */
QRAUDIO_API void qraudio_set_device_available(int available);

/* Failing on request: the n-th call from now of those that can fail
 * (device creation and its window, buffer creation, write, play, stop,
 * status, volume and position) fails with QRAUDIO_ERR_FAILED_ON_REQUEST,
 * and only that one; 0 fails none. Such calls are counted either way. */
QRAUDIO_API void qraudio_fail_call(uint64_t n);
QRAUDIO_API uint64_t qraudio_calls(void);

/* Simulated seconds: the host's clock, when a host exports one, plus the
 * time advanced here. */
QRAUDIO_API double qraudio_clock_now(void);
QRAUDIO_API void qraudio_clock_advance(double seconds);

/* Records everything played from now on. Stopping mixes it on the simulated
 * clock (each buffer at its volume) into a 16-bit mono WAV file at `rate` Hz
 * and returns QRAUDIO_OK once the file is written. Starting again drops what
 * was recorded before. A recording still open at exit is written then. */
QRAUDIO_API int qraudio_record_start(const char* path, uint32_t rate);
QRAUDIO_API int qraudio_record_stop(void);
QRAUDIO_API int qraudio_recording(void);

/* The sounds started since the last call, oldest first: for each buffer that
 * began to play (a start while it plays does not count), the address its
 * samples were written from in one piece (a module's WAVE resource, say),
 * null when they were not. Copies at most `max` addresses into `origins` and
 * empties the list; returns how many started, which may pass `max` (the
 * library keeps the first 1024). */
QRAUDIO_API size_t qraudio_take_plays(const void** origins, size_t max);

/* Watching the buffers, for a host that plays the sounds aloud itself: the
 * observer hears of every buffer that begins to play (or, playing, goes back
 * to a new position), changes between playing once and looping, stops (or
 * goes while playing), or changes its volume while playing. Null stops the
 * watching. The observer is called on the panel thread, inside the call. */
enum {
    QRAUDIO_CHANGE_START = 1,
    QRAUDIO_CHANGE_LOOP = 2,
    QRAUDIO_CHANGE_STOP = 3,
    QRAUDIO_CHANGE_VOLUME = 4,
};
typedef struct qraudio_change {
    const qraudio_buffer* buffer;
    const void* origin;   /* as for qraudio_take_plays */
    uint32_t what;        /* QRAUDIO_CHANGE_* */
    uint32_t looping;     /* 1 when it plays in a loop */
    int32_t volume;       /* hundredths of a decibel */
    double offset;        /* seconds into its samples where it plays from */
} qraudio_change;
typedef void (*qraudio_observer)(const qraudio_change* change, void* context);
QRAUDIO_API void qraudio_set_observer(qraudio_observer observer, void* context);

#ifdef __cplusplus
}
#endif

#endif
