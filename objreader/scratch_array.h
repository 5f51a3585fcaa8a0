// The reader's scratch arrays of plain values (face corners and corner counts), which
// grow by doubling as a file is read and are dropped once its triangles are built.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace tessoid::obj {

// Grown with realloc, not copied into a new block as a vector is: the C library may move a
// large block's pages instead of their bytes (Linux remaps them), so growth neither copies
// nor faults in the old contents a second time.
template <typename T> class ScratchArray {
    static_assert(std::is_trivially_copyable_v<T>, "moved by realloc");

  public:
    ScratchArray() = default;
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;
    ~ScratchArray() { std::free(data_); }

    void push_back(T value) {
        if (size_ == capacity_)
            grow();
        data_[size_++] = value;
    }
    size_t size() const { return size_; }
    // Drops the values from `size` on.
    void shrink(size_t size) {
        assert(size <= size_);
        size_ = size;
    }
    const T* data() const { return data_; }
    const T& operator[](size_t i) const { return data_[i]; }
    // Gives the memory back at once.
    void release() {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

  private:
    static constexpr size_t FIRST_CAPACITY = 1024;

    void grow() {
        if (capacity_ > std::numeric_limits<size_t>::max() / 2 / sizeof(T))
            throw std::length_error("scratch array");
        const size_t capacity = capacity_ ? 2 * capacity_ : FIRST_CAPACITY;
        void* bigger = std::realloc(data_, capacity * sizeof(T));
        if (!bigger)
            throw std::bad_alloc(); // data_ is still whole and freed by the destructor
        data_ = static_cast<T*>(bigger);
        capacity_ = capacity;
    }

    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

} // namespace tessoid::obj
