// PointBuffer: the (x, y) float pairs of a shape, up to three points held inline.
//
// Most shapes read from plot files are short (a stroke of two or three points), so their
// points live in the shape object itself and such a shape is one allocation; more points
// move to the heap. The interface is the part of std::vector the shape uses: size is the
// point capacity in floats, resize grows the storage at least to twice the size and leaves
// new elements unwritten, reserve and shrink_to_fit size the storage exactly, and data is
// null while the buffer has never held storage (as for an empty vector).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

class PointBuffer {
public:
    // Floats held in the object itself: three points.
    static constexpr size_t kInlineFloats = 6;

    PointBuffer() = default;
    PointBuffer(const PointBuffer&) = delete;
    PointBuffer& operator=(const PointBuffer&) = delete;
    ~PointBuffer() { Release(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    float* data() { return capacity_ == 0 ? nullptr : Storage(); }
    const float* data() const { return capacity_ == 0 ? nullptr : Storage(); }
    float* begin() { return data(); }
    const float* begin() const { return data(); }
    float& operator[](size_t i) { return Storage()[i]; }
    const float& operator[](size_t i) const { return Storage()[i]; }

    // Sets the size to n floats, new ones unwritten; the storage at least doubles when it grows.
    void resize(size_t n)
    {
        if (n > capacity_) Reallocate(std::max(n, 2 * size_t{size_}));
        size_ = static_cast<uint32_t>(n);
    }
    // Makes the storage hold exactly n floats when it holds fewer.
    void reserve(size_t n)
    {
        if (n > capacity_) Reallocate(n);
    }
    // Makes the storage hold exactly size() floats (inline when they fit, none for none).
    void shrink_to_fit()
    {
        if (size_ == 0)
            Release();
        else if (size_ < capacity_ && OnHeap())
            Reallocate(size_);
    }
    // Empties the buffer and frees its storage; data is null again.
    void Release()
    {
        if (OnHeap()) delete[] heap_;
        size_ = 0;
        capacity_ = 0;
    }

private:
    bool OnHeap() const { return capacity_ > kInlineFloats; }
    float* Storage() { return OnHeap() ? heap_ : inline_; }
    const float* Storage() const { return OnHeap() ? heap_ : inline_; }

    // Moves the floats held to storage of exactly capacity floats, at least the inline ones.
    void Reallocate(size_t capacity)
    {
        capacity = std::max(capacity, kInlineFloats);
        if (capacity == capacity_) return;
        float* from = Storage();
        const size_t kept = std::min<size_t>(size_, capacity);
        if (capacity <= kInlineFloats) {
            // Back from the heap into the object: copy through a temporary, as the inline
            // floats share their bytes with the heap pointer.
            float held[kInlineFloats];
            std::copy(from, from + kept, held);
            if (OnHeap()) delete[] heap_;
            std::copy(held, held + kept, inline_);
        } else {
            float* grown = new float[capacity];
            std::copy(from, from + kept, grown);
            if (OnHeap()) delete[] heap_;
            heap_ = grown;
        }
        capacity_ = static_cast<uint32_t>(capacity);
    }

    union {
        float* heap_;
        float inline_[kInlineFloats];
    };
    // Point counts are int32 in the shape, so 32 bits hold both sizes in floats.
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
