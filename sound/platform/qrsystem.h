/* qrsystem: the window and module-resource registries of the substitute
 * panel host, standing in for the system services a Windows module finds
 * its simulator window and its own resources through (window lookup by class
 * name, resource lookup by module handle, type and id).
 *
 * Each loaded module registers the resource table embedded in it (WAVE and
 * BITMAP entries) and looks its resources up through its module handle; the
 * host looks up the bitmaps of the module it loaded the same way, and
 * registers its main window under a class name for modules to find.
 *
 * Both the gauge module and the host link this library; one copy serves the
 * whole process. Calls come from the panel thread only.
 *
 * Results: QRSYSTEM_OK (0) on success, a negative QRSYSTEM_ERR_* code else.
 */
#ifndef QRSYSTEM_H
#define QRSYSTEM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QRSYSTEM_API __attribute__((visibility("default")))

enum {
    QRSYSTEM_OK = 0,
    QRSYSTEM_ERR_INVALID = -2,    /* bad argument, or a module that is not loaded */
    QRSYSTEM_ERR_NOT_FOUND = -4,  /* the module has no such resource */
};

/* --- Windows ------------------------------------------------------------ */
/* The host registers its main window under a class name; modules look it up
 * (class names compare without regard to case). */
QRSYSTEM_API void* qrsystem_window_register(const char* class_name);
QRSYSTEM_API void qrsystem_window_unregister(void* window);
QRSYSTEM_API void* qrsystem_window_find(const char* class_name);

/* --- Module resources --------------------------------------------------- */
typedef struct qrsystem_resource {
    const char* type;      /* "WAVE", "BITMAP" */
    uint32_t id;           /* numbered resource; 0 when named */
    const char* name;      /* named resource; null when numbered */
    const void* data;
    uint32_t size;
} qrsystem_resource;

/* A module registers its resource table from its start-up code; `anchor` is
 * any address inside the module and tells which loaded object it is. */
QRSYSTEM_API int qrsystem_register_resources(const void* anchor, const qrsystem_resource* table,
                                             size_t count);
QRSYSTEM_API void qrsystem_unregister_resources(const void* anchor);

/* Finds a resource by type and id (name null) or by name, in the module with
 * that handle; handle 0 names the program itself. Types and names compare
 * without regard to case. */
QRSYSTEM_API int qrsystem_find_resource(uint32_t module, const char* type, uint32_t id,
                                        const char* name, const void** data, uint32_t* size);

/* The id of the numbered resource of that type, in any registered module,
 * whose bytes hold `address`; 0 when none does. */
QRSYSTEM_API uint32_t qrsystem_resource_holding(const void* address, const char* type);

#ifdef __cplusplus
}
#endif

#endif
