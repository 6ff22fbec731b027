/* qraudio: the audio system of the substitute panel host, standing in for the
 * system's audio library on platforms without one that the module can use.
 *
 * It plays nothing aloud. Devices and buffers behave like a sound card's
 * secondary buffers: a buffer that starts playing counts as playing for its
 * duration on the simulated clock (the host's clock plus any time a test
 * advances it by), and everything played can be mixed into a WAV file.
 * The host can take the sound device away, as on a machine without sound.
 *
 * It also keeps each loaded module's embedded resources, so that a module
 * finds its own WAVE resources by type and id through its module handle.
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

/* --- Windows ------------------------------------------------------------ */
/* The host registers its main window under a class name; modules look it up. */
QRAUDIO_API void* qraudio_window_register(const char* class_name);
QRAUDIO_API void qraudio_window_unregister(void* window);
QRAUDIO_API void* qraudio_window_find(const char* class_name);

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
QRAUDIO_API uint32_t qraudio_buffer_size(const qraudio_buffer* buffer);
/* Starts from the current position; a playing buffer goes on undisturbed. */
QRAUDIO_API int qraudio_buffer_play(qraudio_buffer* buffer, uint32_t flags);
/* Stops where it is; the position stays. */
QRAUDIO_API int qraudio_buffer_stop(qraudio_buffer* buffer);
QRAUDIO_API int qraudio_buffer_status(qraudio_buffer* buffer, uint32_t* status);
QRAUDIO_API int qraudio_buffer_set_volume(qraudio_buffer* buffer, int32_t volume);
QRAUDIO_API int qraudio_buffer_get_volume(qraudio_buffer* buffer, int32_t* volume);
/* Byte offset of the play position, below the buffer size. */
QRAUDIO_API int qraudio_buffer_set_position(qraudio_buffer* buffer, uint32_t offset);
QRAUDIO_API int qraudio_buffer_get_position(qraudio_buffer* buffer, uint32_t* offset);
QRAUDIO_API void qraudio_buffer_release(qraudio_buffer* buffer);

/* Devices and buffers made and not yet released. */
QRAUDIO_API void qraudio_live_objects(int* devices, int* buffers);

/* --- Host controls ------------------------------------------------------ */
/* With the device away, device creation fails; what exists keeps working. */
QRAUDIO_API void qraudio_set_device_available(int available);
QRAUDIO_API int qraudio_device_available(void);

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
 * began to play (a start while it plays does not count), the id of the
 * numbered WAVE resource its samples were written from, 0 when they came
 * from elsewhere. Copies at most `max` ids into `sources` and empties the
 * list; returns how many started, which may pass `max` (and the library
 * keeps the first 1024 at most). */
QRAUDIO_API size_t qraudio_take_plays(uint32_t* sources, size_t max);

/* --- Module resources --------------------------------------------------- */
typedef struct qraudio_resource {
    const char* type;      /* "WAVE" */
    uint32_t id;           /* numbered resource; 0 when named */
    const char* name;      /* named resource; null when numbered */
    const void* data;
    uint32_t size;
} qraudio_resource;

/* A module registers its resource table from its start-up code; `anchor` is
 * any address inside the module and tells which loaded object it is. */
QRAUDIO_API int qraudio_register_resources(const void* anchor, const qraudio_resource* table,
                                           size_t count);
QRAUDIO_API void qraudio_unregister_resources(const void* anchor);

/* The module handle of the object holding `address`: the 32-bit form the host
 * hands gauges (the low half of the object's load handle). 0 when unknown. */
QRAUDIO_API uint32_t qraudio_module_handle_of(const void* address);

/* Finds a resource by type and id (name null) or by name, in the module with
 * that handle; handle 0 names the program itself. */
QRAUDIO_API int qraudio_find_resource(uint32_t module, const char* type, uint32_t id,
                                      const char* name, const void** data, uint32_t* size);

#ifdef __cplusplus
}
#endif

#endif
