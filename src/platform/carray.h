// CArray: the framework's growable array over std::vector; a bad index raises CInvalidArgException.
#pragma once

#include "platform/invalid_arg_exception.h"

#include <cstdint>
#include <vector>

// ARG is the framework's argument-type parameter; values are always taken as const T&, so
// temporaries can be added whatever ARG says.
template <class T, class ARG = const T&>
class CArray {
public:
    using value_type = T;

    CArray() = default;

    int32_t GetSize() const { return static_cast<int32_t>(items_.size()); }
    int32_t GetCount() const { return GetSize(); }
    int32_t GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return items_.empty(); }

    // Sets the element count; growBy is the framework's growth hint and is not needed here.
    void SetSize(int32_t newSize, int32_t growBy = -1)
    {
        (void)growBy;
        if (newSize < 0) throw CInvalidArgException();
        items_.resize(static_cast<size_t>(newSize));
    }
    void RemoveAll() { items_.clear(); }
    void FreeExtra() { items_.shrink_to_fit(); }

    const T& GetAt(int32_t i) const { return items_[Checked(i)]; }
    T& GetAt(int32_t i) { return items_[Checked(i)]; }
    T& ElementAt(int32_t i) { return items_[Checked(i)]; }
    void SetAt(int32_t i, const T& value) { items_[Checked(i)] = value; }
    const T& operator[](int32_t i) const { return GetAt(i); }
    T& operator[](int32_t i) { return GetAt(i); }

    const T* GetData() const { return items_.data(); }
    T* GetData() { return items_.data(); }

    // Appends one element and returns its index.
    int32_t Add(const T& value)
    {
        items_.push_back(value);
        return GetSize() - 1;
    }
    // Stores value at index i, growing the array first when i is past its end.
    void SetAtGrow(int32_t i, const T& value)
    {
        if (i < 0) throw CInvalidArgException();
        if (i >= GetSize()) items_.resize(static_cast<size_t>(i) + 1);
        items_[static_cast<size_t>(i)] = value;
    }
    // Inserts count copies of value before index i; i may be the size (append), or past it (grow).
    void InsertAt(int32_t i, const T& value, int32_t count = 1)
    {
        if (i < 0 || count < 0) throw CInvalidArgException();
        if (i > GetSize()) items_.resize(static_cast<size_t>(i));
        items_.insert(items_.begin() + i, static_cast<size_t>(count), value);
    }
    // Removes count elements starting at index i.
    void RemoveAt(int32_t i, int32_t count = 1)
    {
        if (i < 0 || count < 0 || i > GetSize() - count) throw CInvalidArgException();
        items_.erase(items_.begin() + i, items_.begin() + i + count);
    }
    // Appends every element of other and returns the index of the first one appended.
    int32_t Append(const CArray& other)
    {
        int32_t first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    void Copy(const CArray& other) { items_ = other.items_; }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    size_t Checked(int32_t i) const
    {
        if (i < 0 || i >= GetSize()) throw CInvalidArgException();
        return static_cast<size_t>(i);
    }

    std::vector<T> items_;
};
