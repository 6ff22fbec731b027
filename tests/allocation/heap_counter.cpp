#include "tests/allocation/heap_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include <malloc.h>

namespace {

std::atomic<bool> measuring{false};
std::atomic<bool> inModuleCode{false};
std::atomic<long> allocations{0};
std::atomic<long> releases{0};
std::atomic<long> moduleEntries{0};

bool Counting() {
    return measuring.load(std::memory_order_relaxed) && inModuleCode.load(std::memory_order_relaxed);
}

void NoteAllocation() {
    if (Counting()) allocations.fetch_add(1, std::memory_order_relaxed);
}

void NoteRelease(const volatile void* pointer) {
    if (pointer && Counting()) releases.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

namespace heapcount {

void ModuleCodeRunning(bool inModule) {
    if (inModule && measuring.load(std::memory_order_relaxed)) {
        moduleEntries.fetch_add(1, std::memory_order_relaxed);
    }
    inModuleCode.store(inModule, std::memory_order_relaxed);
}

void Start() {
    allocations = 0;
    releases = 0;
    moduleEntries = 0;
    measuring = true;
}

Counts Stop() {
    measuring = false;
    return Counts{allocations.load(), releases.load(), moduleEntries.load()};
}

void PretendModuleCode(bool on) { inModuleCode = on; }

}  // namespace heapcount

#if defined(__SANITIZE_ADDRESS__)

// AddressSanitizer's allocator calls these for every malloc and operator new.
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*mallocHook)(const volatile void*, std::size_t), void (*freeHook)(const volatile void*));

namespace {

void SanitizerMallocHook(const volatile void*, std::size_t) { NoteAllocation(); }
void SanitizerFreeHook(const volatile void* pointer) { NoteRelease(pointer); }

[[maybe_unused]] const int sanitizerHooks =
    __sanitizer_install_malloc_and_free_hooks(SanitizerMallocHook, SanitizerFreeHook);

}  // namespace

#else

// The C library's allocator under its own names.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

extern "C" {

void* malloc(std::size_t size) noexcept {
    NoteAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    NoteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) noexcept {
    NoteAllocation();
    if (pointer) NoteRelease(pointer);
    return __libc_realloc(pointer, size);
}

void free(void* pointer) noexcept {
    NoteRelease(pointer);
    __libc_free(pointer);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    NoteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    NoteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    NoteAllocation();
    void* pointer = __libc_memalign(alignment, size);
    if (!pointer) return ENOMEM;
    *result = pointer;
    return 0;
}

}  // extern "C"

#endif
