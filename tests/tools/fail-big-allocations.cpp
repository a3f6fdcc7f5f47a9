// Preloaded into a program under test: every allocation of at least FAIL_ALLOCATIONS_FROM
// bytes fails as it would when memory runs out; smaller ones go through. Lets a test run a
// whole process out of memory at a chosen point, without address-space limits that depend
// on how many threads and libraries the process maps.
#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" {

void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

namespace {

std::size_t limit() {
    static std::size_t cached = 0;
    if (cached == 0) {
        const char* value = std::getenv("FAIL_ALLOCATIONS_FROM");
        const unsigned long long n = value != nullptr ? std::strtoull(value, nullptr, 10) : 0;
        cached = n > 0 ? static_cast<std::size_t>(n) : static_cast<std::size_t>(-1);
    }
    return cached;
}

bool refused(std::size_t size) {
    if (size < limit())
        return false;
    errno = ENOMEM;
    return true;
}

}  // namespace

void* malloc(std::size_t size) {
    return refused(size) ? nullptr : __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > static_cast<std::size_t>(-1) / size)
        return nullptr;
    return refused(count * size) ? nullptr : __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) {
    return refused(size) ? nullptr : __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
    return refused(size) ? nullptr : __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return refused(size) ? nullptr : __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    if (refused(size))
        return ENOMEM;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *out = p;
    return 0;
}

}  // extern "C"
