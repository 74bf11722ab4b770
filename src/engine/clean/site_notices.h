#pragma once
// What a novel site writes into the text of a page besides the story, found line by
// line: navigation lines ("上一章 目录 下一章"), the site's notices ("本章未完，请点击下一页
// 继续阅读", "请记住本站域名", disclaimers), and advertisements pasted into a paragraph (a
// site name with its web address, in half-width or full-width letters, spaced or not).

#include <vector>

#include "common/text.h"

namespace sorvane::clean {

// A line made only of navigation words and separators, at least one word in it
// ("上一章 ← 目录 → 下一章", "加入书签 | 投推荐票", "Previous Chapter | Next Chapter").
bool isNavigationLine(TextView line);

// A short line (at most 60 characters) that holds one of the phrases of a site's
// notices: the page continues on the next one, remember the site's address, the
// disclaimer and copyright lines, the chapter's word count and update time.
bool isNoticeLine(TextView line);

// Cuts out of `line`, in place, every web address with the site name written before it,
// the sentence that only leads up to it ("本站地址：", "手机阅读请访问"), and every sentence
// or bracketed aside that holds a notice phrase that never belongs to a story ("本章未完",
// "记住本站"). Returns the pieces cut, in order. The rest of the line is left as it was,
// but for the blank the cut leaves.
std::vector<Text> cutAdverts(Text& line);

// What one look at a line tells of it, for the searches above: whether it holds what a
// web address needs (a dot with a Latin letter or digit right after it, or three w's
// close together, in either width), and whether the first two characters of a notice
// phrase, or of one that never belongs to a story, stand somewhere in it (notice phrases
// only in a line short enough to be a notice line). Most story lines have none of these,
// and are neither copied nor searched.
struct LineHints {
    bool address = false;
    bool strongNotice = false;
    bool notice = false;

    // cutAdverts may cut something from the line.
    bool mayHoldAdvert() const { return address || strongNotice; }
    // isNoticeLine may be true of the line.
    bool mayBeNotice() const { return notice; }
};
LineHints lineHints(TextView line);

// cutAdverts on a line whose hints are known already.
std::vector<Text> cutAdverts(Text& line, const LineHints& hints);

}  // namespace sorvane::clean
