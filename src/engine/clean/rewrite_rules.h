#pragma once
// Rules a reader writes: a plain-text file, UTF-8, one rule a line, a regular expression,
// a tab and what each match becomes; blank lines and lines starting with # are comments.
// The rules apply in file order, each to the whole text of a document, after the
// replacement list.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "common/text.h"
#include "engine/clean/regex_pattern.h"

namespace sorvane::clean {

struct RewriteRule {
    std::size_t line = 0;  // in the rules file, from 1
    RegexPattern pattern;
    std::string rewrite;
};

class RewriteRules {
public:
    // Reads rules from the text of a rules file. Fails with BadInput naming the first bad
    // line and why: not UTF-8, no tab, an empty or invalid expression, a replacement that
    // names a group the expression lacks. `where` names the file in the error.
    static Result<RewriteRules> parse(std::string_view text, const std::string& where = {});
    // The same for a file; also fails as reading it fails, or when it is larger than 1 MB.
    static Result<RewriteRules> load(const std::filesystem::path& file);

    bool empty() const { return m_rules.empty(); }
    std::size_t size() const { return m_rules.size(); }

    // Applies every rule, in order, to `text`. Line ends are LF while the rules run (so
    // `^`, `$` and `\n` see lines) and CR LF again afterwards. Fails with BadInput when a
    // rule leaves no text of a text that had some, naming the rule's line; `text` is then
    // unchanged.
    Status apply(Text& text) const;

private:
    std::vector<RewriteRule> m_rules;
    std::string m_where;
};

}  // namespace sorvane::clean
