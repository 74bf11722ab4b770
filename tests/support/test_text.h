// Small text builders the tests share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/text.h"
#include "io/codepage.h"

namespace sorvane::test {

// `s` written `n` times.
inline std::string repeat(std::string_view s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

// UTF-8 text as the GBK bytes a Chinese site or editor writes.
inline std::string gbk(const char* utf8Text)
{
    return encodeCp936(fromUtf8(utf8Text)).bytes;
}

}  // namespace sorvane::test
