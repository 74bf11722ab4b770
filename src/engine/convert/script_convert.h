#pragma once
// Traditional <-> Simplified Chinese conversion of a text, by phrase and by character.

#include "common/conversion_params.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// The text converted as `kind` says; ScriptConversion::None returns it unchanged.
// Fails with NotFound when the conversion's data files are not installed, and with
// BadInput when they cannot be read; the message names the file. Safe to call from
// several threads at once: each kind's data is loaded once and then shared.
Result<Text> convertScript(TextView text, ScriptConversion kind);

}  // namespace sorvane
