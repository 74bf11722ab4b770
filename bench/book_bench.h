#pragma once
// The memory figure of joining a book, measured in a fresh process as the other memory
// figures are.

namespace sorvane::bench {

// Joins the .htm pages of `folder` into a book in folder/out on two threads, then prints
// the peak resident set in bytes and the size of the written parts. Returns the exit
// status.
int joinOnce(const char* folder);

// Runs joinOnce on 500 generated chapters in a fresh process and prints the peak against
// 3 x the book's text + 50 MB.
void reportBookMemory();

}  // namespace sorvane::bench
