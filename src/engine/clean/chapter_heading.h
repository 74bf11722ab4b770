#pragma once
// Chapter headings as a reader wants them: the chapter mark and its title, without the
// book's name, a volume or other prefix before the mark, or a page counter after it
// ("书名 第一章 老地方" -> "第一章 老地方", "正文 22.第22章 风起" -> "第22章 风起",
// "第9章 (1/3)" -> "第9章").

#include "common/text.h"

namespace sorvane::clean {

// The heading tidied: blanks at its ends, what stands before its chapter mark (or, when
// it has none, `bookName` at its front) and page counters at its end ("(1/3)", "第2页")
// taken off. A heading that would be left empty is returned as it was, trimmed.
Text tidyHeading(TextView heading, TextView bookName = {});

// What a heading holds before its chapter mark, blanks trimmed; empty when it has no
// mark or starts with one.
Text headingPrefix(TextView heading);

// Whether two headings name the same chapter: both tidied, the same chapter mark when
// both start with a numbered one ("第9章" and "第9章 老地方"), else the same text.
bool sameChapter(TextView a, TextView b);

}  // namespace sorvane::clean
