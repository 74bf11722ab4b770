// Build tool: writes the entries of one context of a translation file as the C++ table
// the plain C++ layers read (common/message_table.h), so that the windows and the
// command line take each English text from the same file.
//   make_message_table FILE.ts CONTEXT OUTPUT.cpp
// An entry without a finished translation is left out (its text stays Chinese). Entries
// marked vanished are kept: the tool that refreshes the file from the windows' sources
// marks so every message of the plain C++ layers, which it never sees.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include <pugixml.hpp>

namespace {

// A C++ string literal holding `text` byte for byte: octal escapes for everything but
// printable ASCII, so no escape can run into the character after it.
std::string literal(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\' || ch == '?') {
            out += '\\';
            out += ch;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += ch;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
            out += escaped;
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: make_message_table FILE.ts CONTEXT OUTPUT.cpp\n";
        return 2;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(argv[1], pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        std::cerr << argv[1] << ": " << parsed.description() << " at byte " << parsed.offset << "\n";
        return 1;
    }
    std::string rows;
    std::size_t count = 0;
    for (const pugi::xml_node context : document.child("TS").children("context")) {
        if (std::string(context.child_value("name")) != argv[2])
            continue;
        for (const pugi::xml_node message : context.children("message")) {
            const pugi::xml_node translation = message.child("translation");
            const std::string type = translation.attribute("type").value();
            if (type == "unfinished" || !*translation.child_value())
                continue;
            rows += "    {" + literal(message.child_value("source")) + ",\n     " + literal(translation.child_value()) + "},\n";
            ++count;
        }
    }
    if (count == 0) {
        std::cerr << argv[1] << ": no finished entry in context " << argv[2] << "\n";
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out << "// Generated from " << std::filesystem::path(argv[1]).filename().string() << " (context " << argv[2] << ") by make_message_table.\n"
        << "#include \"common/message_table.h\"\n\n"
        << "namespace sorvane::detail {\n\n"
        << "const CatalogueEntry kMessageTable[] = {\n"
        << rows << "};\n"
        << "const std::size_t kMessageTableSize = " << count << ";\n\n"
        << "}  // namespace sorvane::detail\n";
    out.close();
    if (!out) {
        std::cerr << argv[3] << ": cannot write\n";
        return 1;
    }
    return 0;
}
