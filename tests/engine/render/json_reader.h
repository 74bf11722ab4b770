#pragma once
// A small JSON reader for test data, enough for the conformance cases: objects, arrays,
// strings (all escapes, \u surrogate pairs), numbers, true/false/null. Strings come out
// as UTF-8. Throws std::runtime_error on malformed input.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorvane::test {

struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>, std::shared_ptr<Object>> v;

    const std::string& str() const { return std::get<std::string>(v); }
    bool boolean() const { return std::get<bool>(v); }
    double number() const { return std::get<double>(v); }
    const Array& array() const { return *std::get<std::shared_ptr<Array>>(v); }
    const Object& object() const { return *std::get<std::shared_ptr<Object>>(v); }
    const JsonValue& operator[](const std::string& key) const
    {
        const auto& o = object();
        const auto it = o.find(key);
        if (it == o.end())
            throw std::runtime_error("missing key " + key);
        return it->second;
    }
};

class JsonReader {
public:
    static JsonValue parse(std::string_view text)
    {
        JsonReader r(text);
        JsonValue v = r.value();
        r.skipSpace();
        if (r.m_pos != text.size())
            r.fail("trailing characters");
        return v;
    }

private:
    explicit JsonReader(std::string_view t) : m_t(t) {}

    [[noreturn]] void fail(const char* what) const
    {
        throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(m_pos));
    }

    void skipSpace()
    {
        while (m_pos < m_t.size() && (m_t[m_pos] == ' ' || m_t[m_pos] == '\n' || m_t[m_pos] == '\r' || m_t[m_pos] == '\t'))
            ++m_pos;
    }

    char peek()
    {
        skipSpace();
        if (m_pos >= m_t.size())
            fail("unexpected end");
        return m_t[m_pos];
    }

    void expect(char c)
    {
        if (peek() != c)
            fail("unexpected character");
        ++m_pos;
    }

    bool literal(std::string_view word)
    {
        if (m_t.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    JsonValue value()
    {
        const char c = peek();
        if (c == '{') {
            ++m_pos;
            auto obj = std::make_shared<JsonValue::Object>();
            if (peek() == '}') {
                ++m_pos;
                return {obj};
            }
            for (;;) {
                if (peek() != '"')
                    fail("expected a key");
                std::string key = string();
                expect(':');
                (*obj)[key] = value();
                if (peek() == ',') {
                    ++m_pos;
                    continue;
                }
                expect('}');
                return {obj};
            }
        }
        if (c == '[') {
            ++m_pos;
            auto arr = std::make_shared<JsonValue::Array>();
            if (peek() == ']') {
                ++m_pos;
                return {arr};
            }
            for (;;) {
                arr->push_back(value());
                if (peek() == ',') {
                    ++m_pos;
                    continue;
                }
                expect(']');
                return {arr};
            }
        }
        if (c == '"')
            return {string()};
        if (literal("true"))
            return {true};
        if (literal("false"))
            return {false};
        if (literal("null"))
            return {nullptr};
        size_t used = 0;
        const double d = std::stod(std::string(m_t.substr(m_pos, 32)), &used);
        if (used == 0)
            fail("bad value");
        m_pos += used;
        return {d};
    }

    std::uint32_t hex4()
    {
        if (m_pos + 4 > m_t.size())
            fail("short \\u escape");
        const std::uint32_t v = static_cast<std::uint32_t>(std::stoul(std::string(m_t.substr(m_pos, 4)), nullptr, 16));
        m_pos += 4;
        return v;
    }

    static void appendUtf8(std::string& out, std::uint32_t cp)
    {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    std::string string()
    {
        expect('"');
        std::string out;
        for (;;) {
            if (m_pos >= m_t.size())
                fail("unterminated string");
            const char c = m_t[m_pos++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (m_pos >= m_t.size())
                fail("unterminated escape");
            const char e = m_t[m_pos++];
            switch (e) {
            case '"': out.push_back('"'); break;
            case '\\': out.push_back('\\'); break;
            case '/': out.push_back('/'); break;
            case 'b': out.push_back('\b'); break;
            case 'f': out.push_back('\f'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'u': {
                std::uint32_t cp = hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF && m_t.substr(m_pos, 2) == "\\u") {
                    m_pos += 2;
                    const std::uint32_t low = hex4();
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                fail("bad escape");
            }
        }
    }

    std::string_view m_t;
    size_t m_pos = 0;
};

}  // namespace sorvane::test
