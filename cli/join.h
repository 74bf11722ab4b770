#pragma once
// --join: the documents of the command line joined into one book.

#include <vector>

#include "cli/inputs.h"
#include "cli/options.h"

namespace sorvane::cli {

// Renders and cleans every input, joins them in natural order of their paths (in run
// order with options.keepOrder) into one book named from
// options.joinName, and writes it only when every chapter is rendered; chapters that fail
// are reported and left out. `failuresBefore` counts the arguments that already failed.
// Returns the exit status.
int joinAll(const std::vector<Input>& inputs, const Options& options, int failuresBefore);

}  // namespace sorvane::cli
