#pragma once
// Bytes handed across the boundary of a program module: the module writes through the
// sink, the program keeps the bytes. Plain C types only, so the module and the program
// need not share a C++ runtime.

#include <cstddef>
#include <string>

namespace sorvane {

struct ByteSink {
    void* target;
    void (*append)(void* target, const char* data, std::size_t size);

    void write(const char* data, std::size_t size) const { append(target, data, size); }
    void write(const char* text) const;
};

// A sink that appends to `s`.
inline ByteSink sinkInto(std::string& s)
{
    return ByteSink{&s, [](void* target, const char* data, std::size_t size) {
                        static_cast<std::string*>(target)->append(data, size);
                    }};
}

inline void ByteSink::write(const char* text) const
{
    std::size_t n = 0;
    while (text[n] != '\0')
        ++n;
    append(target, text, n);
}

}  // namespace sorvane
