#pragma once
// Runs jobs in parallel and hands them on in their own order.

#include <cstddef>
#include <functional>

namespace sorvane::cli {

// Calls work(i) for every i below `count` on up to `threads` threads, and done(i,
// finished) on the calling thread in the order of i, as soon as job i and every job
// before it are finished; `finished` is how many jobs are finished by then. Workers stay
// at most a few jobs ahead of `done`, so results waiting to be handed on stay few.
void runInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t index)>& work,
                const std::function<void(std::size_t index, std::size_t finished)>& done);

}  // namespace sorvane::cli
