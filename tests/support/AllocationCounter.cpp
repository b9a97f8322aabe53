#include "tests/support/AllocationCounter.h"
#include "tests/support/Sanitizers.h"

#include <cstdlib>
#include <new>

// Counts every heap allocation of the current thread while a scope is active:
// operator new and, in uninstrumented builds, the C allocation functions too,
// since the toolkit's buffers (HeapBlock) allocate through malloc, calloc and
// realloc. Sanitizers own malloc; there their allocator hook counts instead.
namespace
{
thread_local bool counting = false;
thread_local std::int64_t allocations = 0;

inline void noteAllocation() noexcept
{
    if (counting)
        ++allocations;
}
} // namespace

#if defined(SONDERLITH_SANITIZED)
// Declared here: gcc ships the sanitizer runtimes but not their headers.
extern "C" int __sanitizer_install_malloc_and_free_hooks (void (*) (const volatile void*, std::size_t), void (*) (const volatile void*));
namespace
{
void countHook (const volatile void*, std::size_t) { noteAllocation(); }
void ignoreFree (const volatile void*) {}
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks (countHook, ignoreFree);
} // namespace
#define SONDERLITH_OPERATOR_NEW_COUNTS 0
#elif defined(__GLIBC__)
extern "C"
{
void* __libc_malloc (std::size_t);
void* __libc_calloc (std::size_t, std::size_t);
void* __libc_realloc (void*, std::size_t);
void* __libc_memalign (std::size_t, std::size_t);
void __libc_free (void*);

void* malloc (std::size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

void* calloc (std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* p, std::size_t size)
{
    noteAllocation();
    return __libc_realloc (p, size);
}

void* aligned_alloc (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

void* memalign (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** out, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
        return 22; // EINVAL
    *out = __libc_memalign (alignment, size);
    return *out != nullptr ? 0 : 12; // ENOMEM
}

void free (void* p) { __libc_free (p); }
}
// operator new below goes through malloc, which already counts.
#define SONDERLITH_OPERATOR_NEW_COUNTS 0
#else
#define SONDERLITH_OPERATOR_NEW_COUNTS 1
#endif

namespace
{
void* allocate (std::size_t size)
{
    if (SONDERLITH_OPERATOR_NEW_COUNTS)
        noteAllocation();
    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    if (SONDERLITH_OPERATOR_NEW_COUNTS)
        noteAllocation();
    const auto align = static_cast<std::size_t> (alignment);
    const auto rounded = ((size == 0 ? 1 : size) + align - 1) / align * align;
    if (void* p = std::aligned_alloc (align, rounded))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }

namespace test
{
ScopedAllocationCounter::ScopedAllocationCounter()
{
    allocations = 0;
    counting = true;
}

ScopedAllocationCounter::~ScopedAllocationCounter() { counting = false; }

std::int64_t ScopedAllocationCounter::count() const { return allocations; }
} // namespace test
