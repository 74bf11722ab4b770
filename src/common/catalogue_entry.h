#pragma once
// One entry of the message catalogue: what the catalogue's table is made of, apart from
// the functions that read it.

#include <string_view>

namespace sorvane {

struct CatalogueEntry {
    std::string_view source;   // the Chinese text, the key
    std::string_view english;
};

}  // namespace sorvane
