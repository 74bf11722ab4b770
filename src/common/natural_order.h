#pragma once
// The order people expect of numbered file names: "chap2" before "chap10", "第9章"
// before "第10章".

#include <string_view>

namespace sorvane {

// Negative, 0 or positive as `a` sorts before, with or after `b`: runs of digits by
// their value, the rest ignoring case. The order is total: only equal names give 0.
int naturalCompare(std::string_view a, std::string_view b);

// naturalCompare(a, b) < 0, for std::sort and ordered containers.
struct NaturalLess {
    bool operator()(std::string_view a, std::string_view b) const { return naturalCompare(a, b) < 0; }
};

}  // namespace sorvane
