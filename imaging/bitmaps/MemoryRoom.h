// Room for a picture or a document before anything of it is allocated: a document is refused
// while this answers no, instead of letting a later allocation of the window toolkit (which
// ends the process when it fails) or of ours (which leaves it half built) find out.
#pragma once

#include <cstdint>

// Memory kept free beyond every request, so that the program can still report the refusal
// and go on drawing its other windows.
constexpr uint64_t kMemoryHeadroom = uint64_t(32) << 20;

// True when `bytes` (plus the headroom) lie below the memory the machine has free and the
// process can map that much address space now, and `addressOnly` bytes beyond (address space
// that is reserved but little used, such as the stacks and heaps of threads still to start); a
// limit set with ulimit -v counts. The test mapping is released at once, its pages untouched.
bool HasRoomFor(uint64_t bytes, uint64_t addressOnly = 0);
