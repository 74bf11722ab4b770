#pragma once
// Memory a document took goes back to the system once the document is done, so a batch
// of large documents needs the memory of the largest of them, not of their sum.

namespace sorvane {

// Gives the memory freed so far back to the system: the free pages inside the heap as
// well as those at its end. Call it between two documents. Does nothing where the C
// library offers no such call.
void releaseFreedMemory();

}  // namespace sorvane
