#pragma once
// A record array numbered from 1, as the shared records are held: element 1
// is the record in use; an editor may grow the array keeping its contents.
#include "platform/fs/RtError.h"

#include <string>
#include <vector>

namespace qm::store {

template <class T>
class RecordArray {
public:
    // One empty element, number 1.
    RecordArray() : items_(1) {}

    // Element `i` (1-based); qm::RtError 9 outside 1..size().
    T& operator()(int i) { return items_[index(i)]; }
    const T& operator()(int i) const { return items_[index(i)]; }

    int size() const { return static_cast<int>(items_.size()); }

    // Replaces the contents by `n` empty elements.
    void redim(int n) { items_.assign(count(n), T{}); }
    // Resizes to `n` elements keeping the first ones; new ones are empty.
    void redimPreserve(int n) { items_.resize(count(n)); }

private:
    std::size_t index(int i) const
    {
        if (i < 1 || i > size())
            throw qm::RtError(9, "Subscript out of range: element " + std::to_string(i));
        return static_cast<std::size_t>(i - 1);
    }
    static std::size_t count(int n)
    {
        if (n < 0)
            throw qm::RtError(9, "Subscript out of range: " + std::to_string(n) + " elements");
        return static_cast<std::size_t>(n);
    }

    std::vector<T> items_;
};

} // namespace qm::store
