#include "io/memory_release.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace sorvane {

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    // The C library keeps freed memory for later: blocks past its mapping threshold are
    // unmapped, but it raises that threshold to the size of any such block freed, so the
    // next document's buffers come from the heap, and the heap returns only its end.
    malloc_trim(0);
#endif
}

}  // namespace sorvane
