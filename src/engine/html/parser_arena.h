#pragma once
// The memory the HTML parser allocates from while a page is parsed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace sorvane {

// Memory for the parser. An element-dense page makes the parser allocate several small
// blocks per node (the node itself, its child list, its text), so what each block costs
// beyond its size decides how much memory such a page takes:
// - Small blocks (up to kSmall bytes) come from 64 KB chunks, each chunk holding blocks
//   of one size class (a multiple of 16 bytes), with no header per block: the chunk's
//   header, found by rounding the address down, gives the class. Chunks are cut from
//   1 MB slabs: a 64 KB-aligned block asked of the heap on its own leaves a gap beside
//   it that costs memory too. Freed small blocks go
//   on a free list of their class and are reused (the parser frees a temporary block
//   for every tag), and all of them are released at once with the document.
// - Large blocks (growing buffers, long texts) are heap blocks with a header, freed as
//   the parser asks. Their addresses are 8 modulo 16 and a small block's are 0 modulo
//   16, which is how a block tells which kind it is.
// Blocks are handed out zero-filled, so the length of a string the parser wrote into a
// small block can be read back from where its zero bytes start (see stringLength).
class ParserArena {
public:
    ParserArena() = default;
    ParserArena(const ParserArena&) = delete;
    ParserArena& operator=(const ParserArena&) = delete;
    ~ParserArena() { reset(); }

    // Releases every block.
    void reset()
    {
        for (Large* l = m_large.next; l != &m_large;) {
            Large* next = l->next;
            std::free(l);
            l = next;
        }
        m_large.next = m_large.prev = &m_large;
        for (void* slab : m_slabs)
            std::free(slab);
        m_slabs.clear();
        m_slabNext = m_slabEnd = nullptr;
        m_classes = {};
    }

    static void* allocate(void* self, size_t size) { return static_cast<ParserArena*>(self)->take(size); }
    static void release(void* self, void* p) { static_cast<ParserArena*>(self)->give(p); }

    // The length of a string the parser allocated here and wrote with a terminating NUL,
    // read without stopping at a NUL inside it: the parser hands out each decoded text
    // and attribute value as a block of its length plus one. NUL characters at the very
    // end of a text in a small block are not counted; they are never shown. A pointer
    // that is not the start of a block of this arena is read up to its first NUL.
    static size_t stringLength(const char* s)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(s);
        if (address % 16 == kLargeOffset) {
            const Large* l = reinterpret_cast<const Large*>(s - sizeof(Large));
            if (l->tag == kLargeTag && l->size > 0 && s[l->size - 1] == '\0')
                return l->size - 1;
            return std::strlen(s);
        }
        const auto* chunk = reinterpret_cast<const ChunkHeader*>(address & ~(kChunk - 1));
        if (chunk->tag != kChunkTag || (address - reinterpret_cast<std::uintptr_t>(chunk + 1)) % chunk->blockSize != 0)
            return std::strlen(s);
        size_t length = chunk->blockSize;
        while (length > 0 && s[length - 1] == '\0')
            --length;
        return length;
    }

private:
    static constexpr size_t kSmall = 1024;
    static constexpr size_t kChunk = 64 * 1024;  // also the chunks' alignment
    static constexpr size_t kSlab = 16 * kChunk;
    static constexpr std::uintptr_t kLargeOffset = 8;
    static constexpr std::uint32_t kChunkTag = 0x5A5A5A5A;
    static constexpr std::uint64_t kLargeTag = 0xA5A5A5A5A5A5A5A5ULL;

    struct ChunkHeader {
        std::uint32_t tag;
        std::uint32_t blockSize;
        std::uint64_t unused;  // keeps the blocks 16-byte aligned
    };
    static_assert(sizeof(ChunkHeader) == 16);

    struct Large {
        Large* prev;
        Large* next;
        std::uint64_t size;  // as asked for
        std::uint64_t tag;
        std::uint64_t pad;   // puts the block at 8 modulo 16
    };
    static_assert(sizeof(Large) % 16 == kLargeOffset);

    struct FreeBlock {
        FreeBlock* next;
    };

    struct SizeClass {
        char* next = nullptr;  // the unused rest of the class's newest chunk
        char* end = nullptr;
        FreeBlock* freed = nullptr;
    };

    void* take(size_t size)
    {
        if (size > kSmall) {
            auto* l = static_cast<Large*>(std::calloc(1, sizeof(Large) + size));
            if (!l)
                throw std::bad_alloc();
            l->size = size;
            l->tag = kLargeTag;
            l->next = m_large.next;
            l->prev = &m_large;
            m_large.next->prev = l;
            m_large.next = l;
            return l + 1;
        }
        const size_t index = size == 0 ? 0 : (size - 1) / 16;
        const size_t blockSize = (index + 1) * 16;
        SizeClass& c = m_classes[index];
        char* block;
        if (c.freed) {
            block = reinterpret_cast<char*>(c.freed);
            c.freed = c.freed->next;
        } else {
            if (c.next == c.end) {
                if (m_slabNext == m_slabEnd) {
                    void* slab = std::aligned_alloc(kChunk, kSlab);
                    if (!slab)
                        throw std::bad_alloc();
                    m_slabs.push_back(slab);
                    m_slabNext = static_cast<char*>(slab);
                    m_slabEnd = m_slabNext + kSlab;
                }
                void* chunk = m_slabNext;
                m_slabNext += kChunk;
                auto* header = static_cast<ChunkHeader*>(chunk);
                *header = ChunkHeader{kChunkTag, static_cast<std::uint32_t>(blockSize), 0};
                c.next = reinterpret_cast<char*>(header + 1);
                c.end = c.next + (kChunk - sizeof(ChunkHeader)) / blockSize * blockSize;
            }
            block = c.next;
            c.next += blockSize;
        }
        std::memset(block, 0, blockSize);
        return block;
    }

    void give(void* p)
    {
        if (!p)
            return;
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        if (address % 16 == kLargeOffset) {
            Large* l = static_cast<Large*>(p) - 1;
            l->prev->next = l->next;
            l->next->prev = l->prev;
            std::free(l);
            return;
        }
        const auto* chunk = reinterpret_cast<const ChunkHeader*>(address & ~(kChunk - 1));
        SizeClass& c = m_classes[chunk->blockSize / 16 - 1];
        auto* block = static_cast<FreeBlock*>(p);
        block->next = c.freed;
        c.freed = block;
    }

    std::vector<void*> m_slabs;
    char* m_slabNext = nullptr;  // the unused rest of the newest slab
    char* m_slabEnd = nullptr;
    std::array<SizeClass, kSmall / 16> m_classes{};
    Large m_large{&m_large, &m_large, 0, 0, 0};
};

}  // namespace sorvane
