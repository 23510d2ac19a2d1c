#pragma once
// Work spread over the machine's cores by oneTBB. Every index runs exactly
// once, on whichever thread is free; callers keep one result per index and
// combine the results in index order afterwards, so that nothing depends on
// the number of threads or on which thread ran what.
#include <type_traits>

namespace kivra {

// Threads a run may use: KIVRA_THREADS when it holds a positive count (1 runs
// everything in the calling thread), else the cores the machine gives us.
int WorkerThreads();
// Sets the count for what follows (tests and benchmarks); 0 returns to the default.
void SetWorkerThreads(int n);

// Calls call(context, i) for every i in [0, count) and returns when all are done.
void RunParallel(int count, void (*call)(void* context, int i), void* context);

// Calls body(i) for every i in [0, count) and returns when all are done. The
// body must not throw.
template <class Body>
void ParallelFor(int count, Body&& body) {
    using B = std::remove_reference_t<Body>;
    RunParallel(count, [](void* b, int i) { (*static_cast<B*>(b))(i); },
                const_cast<void*>(static_cast<const void*>(&body)));
}

} // namespace kivra
