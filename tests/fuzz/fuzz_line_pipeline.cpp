// Fuzz target: the whole text cleanup (convertText) on random text with random parameter
// texts and a small random replacement list. Checks the shape of the result: at least one
// part, the first starting at line 0, starts rising and inside the line table, every part
// made of whole CR LF lines, every part within the size limit (its first line not
// counted), and the parts together equal to the text converted without a limit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/text.h"
#include "engine/convert/line_pipeline.h"
#include "fuzz_support.h"

namespace {

using namespace sorvane;

// Characters counted against the size limit in one part: every line but the first,
// indent included, line breaks not.
std::uint64_t countedCharacters(const Text& content)
{
    std::uint64_t total = 0;
    bool first = true;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find(u"\r\n", start);
        FUZZ_CHECK(end != Text::npos);  // every line ends in CR LF
        if (!first)
            total += end - start;
        first = false;
        start = end + 2;
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    ConversionParams params;
    params.naming = input.ConsumeIntegralInRange(-1, 7);
    params.head = input.ConsumeRandomLengthString(24);
    params.headBlank = input.ConsumeRandomLengthString(24);
    params.restBlank = input.ConsumeRandomLengthString(24);
    params.maxRun = input.ConsumeRandomLengthString(24);
    params.maxSize = input.ConsumeRandomLengthString(24);
    ReplacementList list;
    const int rows = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < rows; ++i) {
        ReplacementRow row;
        row.search = fromUtf8(input.ConsumeRandomLengthString(8));
        row.replacement = fromUtf8(input.ConsumeRandomLengthString(8));
        row.keep = input.ConsumeBool() ? "Y" : "N";
        list.push_back(std::move(row));
    }
    const Text text = fromUtf8(input.ConsumeRemainingBytesAsString());

    const CleanupParams numbers = cleanupParams(params);
    FUZZ_CHECK(numbers.sizeLimit == 0 || numbers.sizeLimit >= 100);

    const ConvertedText out = convertText(text, params, list);
    FUZZ_CHECK(!out.parts.empty());
    FUZZ_CHECK(out.lines >= 1);
    FUZZ_CHECK(out.parts.front().start == 0);
    Text joined;
    for (std::size_t k = 0; k < out.parts.size(); ++k) {
        const TextPart& part = out.parts[k];
        if (k > 0) {
            FUZZ_CHECK(part.start > out.parts[k - 1].start);
            FUZZ_CHECK(part.start < out.lines);
            FUZZ_CHECK(!part.content.empty());
        }
        const std::uint64_t counted = countedCharacters(part.content);
        if (numbers.sizeLimit > 0)
            FUZZ_CHECK(counted <= static_cast<std::uint64_t>(numbers.sizeLimit));
        else
            FUZZ_CHECK(out.parts.size() == 1);
        joined += part.content;
    }

    if (out.parts.size() > 1) {
        ConversionParams unlimited = params;
        unlimited.maxSize.clear();
        const ConvertedText whole = convertText(text, unlimited, list);
        FUZZ_CHECK(whole.parts.size() == 1);
        FUZZ_CHECK(whole.parts.front().content == joined);
        FUZZ_CHECK(whole.lines == out.lines);
    }
    return 0;
}
