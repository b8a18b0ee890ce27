#include "realtime/AudioThreadProbe.h"
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PANDREL_PROBE_ALLOCATOR 0
#else
#define PANDREL_PROBE_ALLOCATOR 1
#endif

namespace {
thread_local bool t_bAudio = false;
thread_local bool t_bInside = false; // the probe's own calls are not counted

std::atomic<uint64_t> g_nAllocator, g_nFileSystem, g_nMemoryMap, g_nSleep, g_nWaits, g_nContended;
std::atomic<int64_t> g_nWorstWaitNs, g_nTotalWaitNs;
std::atomic<const char*> g_pszFirst{nullptr};

// True (and the call noted) when the call comes from the audio thread.
bool Note(std::atomic<uint64_t>& counter, const char* pszName) {
    if (!t_bAudio || t_bInside) return false;
    counter.fetch_add(1, std::memory_order_relaxed);
    const char* pNone = nullptr;
    g_pszFirst.compare_exchange_strong(pNone, pszName);
    return true;
}

int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

template <class F> F Next(const char* pszName) {
    t_bInside = true;
    void* p = dlsym(RTLD_NEXT, pszName);
    t_bInside = false;
    return reinterpret_cast<F>(p);
}
} // namespace

// Forwards to the next definition, resolved once.
#define PROBE_NEXT(name) static const auto real = Next<decltype(&::name)>(#name)

namespace audio_probe {
CAudioThread::CAudioThread() { t_bAudio = true; }
CAudioThread::~CAudioThread() { t_bAudio = false; }

void Reset() {
    for (auto* p :
         {&g_nAllocator, &g_nFileSystem, &g_nMemoryMap, &g_nSleep, &g_nWaits, &g_nContended})
        p->store(0);
    g_nWorstWaitNs.store(0);
    g_nTotalWaitNs.store(0);
    g_pszFirst.store(nullptr);
}

Report Take() {
    Report r;
    r.nAllocator = g_nAllocator;
    r.nFileSystem = g_nFileSystem;
    r.nMemoryMap = g_nMemoryMap;
    r.nSleep = g_nSleep;
    r.nWaits = g_nWaits;
    r.nContended = g_nContended;
    r.nWorstWaitNs = g_nWorstWaitNs;
    r.nTotalWaitNs = g_nTotalWaitNs;
    const char* psz = g_pszFirst.load();
    r.strFirst = psz != nullptr ? psz : "";
    return r;
}

bool CountsAllocator() { return PANDREL_PROBE_ALLOCATOR != 0; }
} // namespace audio_probe

// Exported: a loaded library's calls must find these first.
#pragma GCC visibility push(default)
extern "C" {
#if PANDREL_PROBE_ALLOCATOR
// glibc's own entry points: no lookup, so no recursion through dlsym.
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t n) {
    Note(g_nAllocator, "malloc");
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t m) {
    Note(g_nAllocator, "calloc");
    return __libc_calloc(n, m);
}
void* realloc(void* p, size_t n) {
    Note(g_nAllocator, "realloc");
    return __libc_realloc(p, n);
}
void free(void* p) {
    if (p != nullptr) Note(g_nAllocator, "free");
    __libc_free(p);
}
void* aligned_alloc(size_t a, size_t n) {
    Note(g_nAllocator, "aligned_alloc");
    return __libc_memalign(a, n);
}
void* memalign(size_t a, size_t n) {
    Note(g_nAllocator, "memalign");
    return __libc_memalign(a, n);
}
int posix_memalign(void** pp, size_t a, size_t n) {
    Note(g_nAllocator, "posix_memalign");
    *pp = __libc_memalign(a, n);
    return *pp != nullptr ? 0 : 12; // ENOMEM
}
#endif

int open(const char* path, int flags, ...) {
    PROBE_NEXT(open);
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    Note(g_nFileSystem, "open");
    return real(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    PROBE_NEXT(open64);
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    Note(g_nFileSystem, "open64");
    return real(path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
    PROBE_NEXT(openat);
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    Note(g_nFileSystem, "openat");
    return real(dir, path, flags, mode);
}
FILE* fopen(const char* path, const char* mode) {
    PROBE_NEXT(fopen);
    Note(g_nFileSystem, "fopen");
    return real(path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
    PROBE_NEXT(fopen64);
    Note(g_nFileSystem, "fopen64");
    return real(path, mode);
}
int close(int fd) {
    PROBE_NEXT(close);
    Note(g_nFileSystem, "close");
    return real(fd);
}
ssize_t read(int fd, void* p, size_t n) {
    PROBE_NEXT(read);
    Note(g_nFileSystem, "read");
    return real(fd, p, n);
}
ssize_t write(int fd, const void* p, size_t n) {
    PROBE_NEXT(write);
    Note(g_nFileSystem, "write");
    return real(fd, p, n);
}
ssize_t pread64(int fd, void* p, size_t n, off64_t at) {
    PROBE_NEXT(pread64);
    Note(g_nFileSystem, "pread64");
    return real(fd, p, n, at);
}
ssize_t pwrite64(int fd, const void* p, size_t n, off64_t at) {
    PROBE_NEXT(pwrite64);
    Note(g_nFileSystem, "pwrite64");
    return real(fd, p, n, at);
}
int stat(const char* path, struct stat* st) {
    PROBE_NEXT(stat);
    Note(g_nFileSystem, "stat");
    return real(path, st);
}
int lstat(const char* path, struct stat* st) {
    PROBE_NEXT(lstat);
    Note(g_nFileSystem, "lstat");
    return real(path, st);
}
int fstat(int fd, struct stat* st) {
    PROBE_NEXT(fstat);
    Note(g_nFileSystem, "fstat");
    return real(fd, st);
}
int access(const char* path, int mode) {
    PROBE_NEXT(access);
    Note(g_nFileSystem, "access");
    return real(path, mode);
}
int fsync(int fd) {
    PROBE_NEXT(fsync);
    Note(g_nFileSystem, "fsync");
    return real(fd);
}

void* mmap(void* p, size_t n, int prot, int flags, int fd, off_t at) {
    PROBE_NEXT(mmap);
    Note(g_nMemoryMap, "mmap");
    return real(p, n, prot, flags, fd, at);
}
void* mmap64(void* p, size_t n, int prot, int flags, int fd, off64_t at) {
    PROBE_NEXT(mmap64);
    Note(g_nMemoryMap, "mmap64");
    return real(p, n, prot, flags, fd, at);
}
int munmap(void* p, size_t n) {
    PROBE_NEXT(munmap);
    Note(g_nMemoryMap, "munmap");
    return real(p, n);
}
void* mremap(void* p, size_t n, size_t m, int flags, ...) {
    PROBE_NEXT(mremap);
    va_list ap;
    va_start(ap, flags);
    void* pNew = (flags & MREMAP_FIXED) != 0 ? va_arg(ap, void*) : nullptr;
    va_end(ap);
    Note(g_nMemoryMap, "mremap");
    return real(p, n, m, flags, pNew);
}
int brk(void* p) {
    PROBE_NEXT(brk);
    Note(g_nMemoryMap, "brk");
    return real(p);
}
void* sbrk(intptr_t n) {
    PROBE_NEXT(sbrk);
    Note(g_nMemoryMap, "sbrk");
    return real(n);
}

int nanosleep(const timespec* t, timespec* rest) {
    PROBE_NEXT(nanosleep);
    Note(g_nSleep, "nanosleep");
    return real(t, rest);
}
int clock_nanosleep(clockid_t c, int flags, const timespec* t, timespec* rest) {
    PROBE_NEXT(clock_nanosleep);
    Note(g_nSleep, "clock_nanosleep");
    return real(c, flags, t, rest);
}
int usleep(useconds_t n) {
    PROBE_NEXT(usleep);
    Note(g_nSleep, "usleep");
    return real(n);
}
unsigned int sleep(unsigned int n) {
    PROBE_NEXT(sleep);
    Note(g_nSleep, "sleep");
    return real(n);
}
int sched_yield() {
    PROBE_NEXT(sched_yield);
    Note(g_nSleep, "sched_yield");
    return real();
}
int poll(pollfd* p, nfds_t n, int t) {
    PROBE_NEXT(poll);
    Note(g_nSleep, "poll");
    return real(p, n, t);
}
int select(int n, fd_set* r, fd_set* w, fd_set* e, timeval* t) {
    PROBE_NEXT(select);
    Note(g_nSleep, "select");
    return real(n, r, w, e, t);
}

int pthread_cond_wait(pthread_cond_t* c, pthread_mutex_t* m) {
    PROBE_NEXT(pthread_cond_wait);
    Note(g_nWaits, "pthread_cond_wait");
    return real(c, m);
}
int pthread_cond_timedwait(pthread_cond_t* c, pthread_mutex_t* m, const timespec* t) {
    PROBE_NEXT(pthread_cond_timedwait);
    Note(g_nWaits, "pthread_cond_timedwait");
    return real(c, m, t);
}
int sem_wait(sem_t* s) {
    PROBE_NEXT(sem_wait);
    Note(g_nWaits, "sem_wait");
    return real(s);
}

// A lock that is free costs nothing; one that another thread holds is a wait.
int pthread_mutex_lock(pthread_mutex_t* m) {
    PROBE_NEXT(pthread_mutex_lock);
    static const auto tryLock = Next<decltype(&::pthread_mutex_trylock)>("pthread_mutex_trylock");
    if (!t_bAudio || t_bInside) return real(m);
    if (tryLock(m) == 0) return 0;
    const int64_t nStart = NowNs();
    const int r = real(m);
    const int64_t nWait = NowNs() - nStart;
    Note(g_nContended, "pthread_mutex_lock (held by another thread)");
    g_nTotalWaitNs.fetch_add(nWait, std::memory_order_relaxed);
    int64_t nWorst = g_nWorstWaitNs.load(std::memory_order_relaxed);
    while (nWait > nWorst && !g_nWorstWaitNs.compare_exchange_weak(nWorst, nWait)) {
    }
    return r;
}
} // extern "C"
#pragma GCC visibility pop
