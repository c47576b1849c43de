#pragma once

#include <base/Log.hpp>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace game {

// A binary min-heap over elements of type T that knows nothing of the elements:
// the comparator orders them (-1 when the first is smaller, 0 when equal, 1 when
// larger) and the optional key coder names them, so that an element can be found
// again by its key while it is in the heap. Values are kept by copy, so T is
// normally a handle (an index, a Ref). Main thread; one search at a time.
template<typename T, typename Key = std::string> class MinHeap {
public:
    using Comparator = std::function<int(T const&, T const&)>;
    // Answers the element's key, or none for an element that is not to be indexed.
    using KeyCoder = std::function<std::optional<Key>(T const&)>;

    void setComparator(Comparator comparator) { comparator_ = std::move(comparator); }
    void setHashCoder(KeyCoder coder) { keyCoder_ = std::move(coder); }

    // Appends the element, records it under its key (replacing what the key held)
    // and sifts it up to its place.
    void push(T element) {
        if (keyCoder_) {
            if (auto key = keyCoder_(element))
                keys_.insert_or_assign(std::move(*key), element);
        }
        data_.push_back(std::move(element));
        minHeapifyUp();
    }

    // Removes and answers the smallest element, forgetting its key; none when empty.
    std::optional<T> pop() {
        if (data_.empty())
            return std::nullopt;
        T top = std::move(data_.front());
        if (data_.size() == 1) {
            data_.pop_back();
        } else {
            data_.front() = std::move(data_.back());
            data_.pop_back();
            minHeapifyDown();
        }
        if (keyCoder_) {
            if (auto key = keyCoder_(top))
                keys_.erase(*key);
        }
        return top;
    }

    // The smallest element, left in place; null when empty.
    T const* peek() const { return data_.empty() ? nullptr : &data_.front(); }
    std::size_t count() const { return data_.size(); }
    // The elements in heap order: index 0 the smallest, the children of i at 2i + 1
    // and 2i + 2.
    std::vector<T> const& array() const { return data_; }
    // The element recorded under the key, or null.
    T const* objectForKey(Key const& key) const {
        auto found = keys_.find(key);
        return found == keys_.end() ? nullptr : &found->second;
    }

    // Drops every element and key and forgets the comparator and the key coder.
    // The storage is kept, so a heap reset between searches does not allocate again.
    void reset() {
        data_.clear();
        keys_.clear();
        comparator_ = nullptr;
        keyCoder_ = nullptr;
    }

    // Moves the last element up while it is smaller than its parent.
    void minHeapifyUp() {
        long index = long(data_.size()) - 1;
        while (index > 0) {
            long parent = getParentIndex(index);
            if (comparator_(data_[std::size_t(index)], data_[std::size_t(parent)]) != -1)
                break;
            swapElement(index, parent);
            index = parent;
        }
    }

    // Moves the root down while a child is smaller; of two smaller children the
    // left one only when it is smaller than the right, so equal children go right.
    void minHeapifyDown() {
        long index = 0;
        long size = long(data_.size());
        for (;;) {
            long left = getLeftChildIndex(index);
            long right = getRightChildIndex(index);
            auto& element = data_[std::size_t(index)];
            bool leftSmaller = left < size && comparator_(element, data_[std::size_t(left)]) == 1;
            bool rightSmaller
                = right < size && comparator_(element, data_[std::size_t(right)]) == 1;
            long next;
            if (leftSmaller && rightSmaller)
                next = comparator_(data_[std::size_t(left)], data_[std::size_t(right)]) == -1
                    ? left
                    : right;
            else if (leftSmaller)
                next = left;
            else if (rightSmaller)
                next = right;
            else
                return;
            swapElement(index, next);
            index = next;
        }
    }

    // Swaps two positions; an index below zero or not below the count logs and
    // changes nothing.
    void swapElement(long first, long second) {
        long size = long(data_.size());
        if (first < 0 || second < 0 || first >= size || second >= size) {
            base::logLine("Index out of range");
            return;
        }
        std::swap(data_[std::size_t(first)], data_[std::size_t(second)]);
    }

    static long getParentIndex(long index) { return (index - 1) / 2; }
    static long getLeftChildIndex(long index) { return 2 * index + 1; }
    static long getRightChildIndex(long index) { return 2 * index + 2; }

private:
    std::vector<T> data_;
    std::unordered_map<Key, T> keys_;
    Comparator comparator_;
    KeyCoder keyCoder_;
};

}
