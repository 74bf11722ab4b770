#pragma once
// The order people expect of numbered file names: "chap2" before "chap10", "第9章"
// before "第10章".

#include <string_view>

namespace sorvane {

// Compares two UTF-8 names: runs of decimal digits (ASCII or full-width) by their number
// value, everything else character by character with case ignored; names equal in that
// order are told apart by their plain bytes, so the order is total. Returns a negative
// number, 0 or a positive number as `a` sorts before, with or after `b`. Invalid UTF-8
// bytes compare as U+FFFD.
int naturalCompare(std::string_view a, std::string_view b);

// naturalCompare(a, b) < 0, for std::sort and ordered containers.
struct NaturalLess {
    bool operator()(std::string_view a, std::string_view b) const { return naturalCompare(a, b) < 0; }
};

}  // namespace sorvane
