#pragma once
// The fields of a word-processor document as its text walks through them: each field
// has a code part (hidden) and then its result (shown), and fields nest. The readers of
// Word 97, DOCX and Word 2003 XML documents mark the same three points.

#include <string_view>
#include <vector>

namespace sorvane {

class FieldNesting {
public:
    void begin()
    {
        m_inCode.push_back(true);
        ++m_codes;
    }
    // The code part of the innermost field ends; its result follows.
    void separate()
    {
        if (!m_inCode.empty() && m_inCode.back()) {
            m_inCode.back() = false;
            --m_codes;
        }
    }
    void end()
    {
        if (m_inCode.empty())
            return;
        if (m_inCode.back())
            --m_codes;
        m_inCode.pop_back();
    }
    // A field character of the XML vocabularies ("begin", "separate" or "end"); any
    // other type marks nothing.
    void mark(std::string_view type)
    {
        if (type == "begin")
            begin();
        else if (type == "separate")
            separate();
        else if (type == "end")
            end();
    }
    void clear()
    {
        m_inCode.clear();
        m_codes = 0;
    }
    // Whether text here shows: no open field is in its code part.
    bool shown() const { return m_codes == 0; }

private:
    std::vector<bool> m_inCode;  // per open field: still in its code part
    int m_codes = 0;             // open fields that are in their code part
};

}  // namespace sorvane
