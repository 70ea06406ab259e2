#pragma once

#include <atomic>
#include <cstddef>

/// The largest single request made through operator new in this test program since the last
/// reset. Lets a test show that a damaged size is refused before memory is reserved for it
/// (overcommit would hide a huge allocation that is never touched).
extern std::atomic<std::size_t> largestAllocation;
