#include "common/natural_order.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace sorvane {
namespace {

// Reads names one code point at a time, keeping the position.
class Reader {
public:
    explicit Reader(std::string_view s) : m_s(reinterpret_cast<const uint8_t*>(s.data())), m_size(s.size()) {}

    bool done() const { return m_pos >= m_size; }

    UChar32 peek() const
    {
        size_t i = m_pos;
        return next(i);
    }

    UChar32 take() { return next(m_pos); }

private:
    // U8_NEXT wants 32-bit offsets; names are short, but a long one must not overflow, so
    // each character is decoded from a window of at most four bytes.
    UChar32 next(size_t& pos) const
    {
        const int32_t window = static_cast<int32_t>(std::min<size_t>(4, m_size - pos));
        int32_t i = 0;
        UChar32 c;
        U8_NEXT(m_s + pos, i, window, c);
        pos += static_cast<size_t>(i);
        return c < 0 ? 0xFFFD : c;
    }

    const uint8_t* m_s;
    size_t m_size;
    size_t m_pos = 0;
};

// The value 0-9 of a decimal digit of any script, or -1.
int digitValue(UChar32 c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c < 0x80 || u_charType(c) != U_DECIMAL_DIGIT_NUMBER)
        return -1;
    return u_charDigitValue(c);
}

// The digits of the run at the reader's position, without leading zeros; any length, so
// no run of digits can overflow.
std::string takeNumber(Reader& r)
{
    std::string digits;
    while (!r.done()) {
        const int d = digitValue(r.peek());
        if (d < 0)
            break;
        r.take();
        if (d != 0 || !digits.empty())
            digits.push_back(static_cast<char>('0' + d));
    }
    return digits;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

}  // namespace

// Runs of decimal digits of any script (ASCII and full-width included) compare by their
// number value, everything else character by character with case folded; names equal in
// that order are told apart by their plain bytes. Invalid UTF-8 bytes compare as U+FFFD.
int naturalCompare(std::string_view a, std::string_view b)
{
    Reader ra(a);
    Reader rb(b);
    while (!ra.done() && !rb.done()) {
        if (digitValue(ra.peek()) >= 0 && digitValue(rb.peek()) >= 0) {
            const std::string na = takeNumber(ra);
            const std::string nb = takeNumber(rb);
            if (na.size() != nb.size())
                return na.size() < nb.size() ? -1 : 1;
            if (const int c = na.compare(nb); c != 0)
                return sign(c);
            continue;
        }
        const UChar32 ca = u_foldCase(ra.take(), U_FOLD_CASE_DEFAULT);
        const UChar32 cb = u_foldCase(rb.take(), U_FOLD_CASE_DEFAULT);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (ra.done() != rb.done())
        return ra.done() ? -1 : 1;
    return sign(a.compare(b));
}

}  // namespace sorvane
