#pragma once
// The message catalogue's entries, generated at build time from the translation file the
// windows use too (translations/sorvane_en.ts, context "Messages"), so that each English
// text is written once.

#include <cstddef>

#include "common/catalogue_entry.h"

namespace sorvane::detail {

extern const CatalogueEntry kMessageTable[];
extern const std::size_t kMessageTableSize;

}  // namespace sorvane::detail
