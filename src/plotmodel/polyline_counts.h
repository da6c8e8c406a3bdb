// PolylineCounts: the point count of each sub-polyline of a shape, the first held inline.
//
// Most shapes have one sub-polyline, so its count lives in the object itself and a shape
// needs no allocation for it; more counts move to the heap. The interface is the part of
// std::vector the shape uses: size is the sub-polyline capacity, resize grows geometrically
// and fills new entries, reserve and shrink_to_fit size the storage exactly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

class PolylineCounts {
public:
    PolylineCounts() = default;
    PolylineCounts(const PolylineCounts&) = delete;
    PolylineCounts& operator=(const PolylineCounts&) = delete;
    ~PolylineCounts() { Release(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int32_t* begin() { return OnHeap() ? heap_ : &inline_; }
    const int32_t* begin() const { return OnHeap() ? heap_ : &inline_; }
    int32_t& operator[](size_t i) { return begin()[i]; }
    const int32_t& operator[](size_t i) const { return begin()[i]; }

    // Sets the size to n, new entries set to fill; the storage at least doubles when it grows.
    void resize(size_t n, int32_t fill = 0)
    {
        if (n > capacity_) Reallocate(std::max(n, 2 * size_t{capacity_}));
        if (n > size_) std::fill(begin() + size_, begin() + n, fill);
        size_ = static_cast<uint32_t>(n);
    }
    // Makes the storage hold exactly n entries when it holds fewer.
    void reserve(size_t n)
    {
        if (n > capacity_) Reallocate(n);
    }
    // Makes the storage hold exactly size() entries.
    void shrink_to_fit()
    {
        if (OnHeap() && size_ < capacity_) Reallocate(size_);
    }
    // Empties the counts and frees their storage.
    void Release()
    {
        if (OnHeap()) delete[] heap_;
        size_ = 0;
        capacity_ = 1;
        inline_ = 0;
    }

private:
    bool OnHeap() const { return capacity_ > 1; }

    // Moves the entries to storage of exactly capacity entries (inline for one or none).
    void Reallocate(size_t capacity)
    {
        if (capacity <= 1) {
            if (OnHeap()) {
                const int32_t first = size_ > 0 ? heap_[0] : 0;
                delete[] heap_;
                inline_ = first;
            }
            capacity_ = 1;
            return;
        }
        auto* grown = new int32_t[capacity];
        std::copy(begin(), begin() + size_, grown);
        if (OnHeap()) delete[] heap_;
        heap_ = grown;
        capacity_ = static_cast<uint32_t>(capacity);
    }

    // The heap storage while the capacity is above one, else the one count itself.
    union {
        int32_t* heap_;
        int32_t inline_ = 0;
    };
    // Sub-polyline counts are int32 in the shape, so 32 bits hold both sizes.
    uint32_t size_ = 0;
    uint32_t capacity_ = 1;
};
