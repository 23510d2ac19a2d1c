#include "engine/numeric/parallel.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <tbb/blocked_range.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_arena.h>

// The ThreadSanitizer build compiles this file without instrumentation: the
// runtime's own synchronisation is invisible to the sanitizer, so the hand-over
// of work to the threads and back is declared here instead.
#ifdef KIVRA_TSAN_ANNOTATE
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#define KIVRA_ACQUIRE(x) __tsan_acquire(x)
#define KIVRA_RELEASE(x) __tsan_release(x)
#else
#define KIVRA_ACQUIRE(x) (void)(x)
#define KIVRA_RELEASE(x) (void)(x)
#endif

namespace kivra {
namespace {

int DefaultThreads() {
    if (const char* text = std::getenv("KIVRA_THREADS")) {
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && errno == 0 && n >= 1 && n <= 4096) return static_cast<int>(n);
    }
    const int cores = tbb::info::default_concurrency();
    return cores >= 1 ? cores : 1;
}

// The thread count and an arena limited to it, made when first needed.
struct Runtime {
    int threads = DefaultThreads();
    std::unique_ptr<tbb::task_arena> arena;

    tbb::task_arena& Arena() {
        if (!arena) arena = std::make_unique<tbb::task_arena>(threads);
        return *arena;
    }
};

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

} // namespace

int WorkerThreads() { return TheRuntime().threads; }

void SetWorkerThreads(int n) {
    Runtime& r = TheRuntime();
    const int threads = n >= 1 ? n : DefaultThreads();
    if (threads == r.threads) return;
    r.arena.reset();
    r.threads = threads;
}

void RunParallel(int count, void (*call)(void*, int), void* context) {
    if (count <= 0) return;
    Runtime& r = TheRuntime();
    if (r.threads == 1 || count == 1) {
        for (int i = 0; i < count; ++i) call(context, i);
        return;
    }
    char handedOut = 0, handedBack = 0;
    KIVRA_RELEASE(&handedOut);
    r.Arena().execute([&] {
        // One index a task: the indices of a run differ widely in cost.
        tbb::parallel_for(
            tbb::blocked_range<int>(0, count, 1),
            [&](const tbb::blocked_range<int>& range) {
                KIVRA_ACQUIRE(&handedOut);
                for (int i = range.begin(); i != range.end(); ++i) call(context, i);
                KIVRA_RELEASE(&handedBack);
            },
            tbb::simple_partitioner());
    });
    KIVRA_ACQUIRE(&handedBack);
}

} // namespace kivra
