#pragma once

#include <base/Verify.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

// Bob Jenkins' one-at-a-time hash of a run of bytes, in unsigned 32-bit
// arithmetic.
std::uint32_t HashBytes(void const* bytes, std::size_t length);

// The first bucket count of the set's prime table that is at least n. Past the
// last prime of the table it is a broken invariant.
int nextPrime(int n);

// A chained hash set of elements it does not own, with a caller-supplied
// equality test and a prime number of buckets. The caller computes the hash and
// passes it with every operation; each bin keeps the hash it was inserted
// under, so growing relinks bins without hashing again. The action manager
// keys its per-target records with it. Not thread-safe.
template<typename T> class HashSet {
public:
    // True when the two are equal; called with the searched-for key first and
    // the stored element second.
    using Equal = bool (*)(T const* key, T const* stored);

    HashSet(int capacity, Equal equal)
        : size_(nextPrime(capacity))
        , equal_(equal)
        , bins_(static_cast<std::size_t>(size_)) {
        VERIFY(equal_);
    }
    ~HashSet() { freeBuckets(); }

    HashSet(HashSet const&) = delete;
    HashSet& operator=(HashSet const&) = delete;

    // Stores the element at the head of its bucket and returns it, unless an
    // equal element is stored already: then returns that one and stores nothing.
    // Grows to the next prime once there are three elements per bucket.
    T* insert(std::uint32_t hash, T* element) {
        for (Bin* bin = bins_[bucketOf(hash)].get(); bin; bin = bin->next.get()) {
            if (equal_(element, bin->element))
                return bin->element;
        }
        auto bin = std::make_unique<Bin>();
        bin->element = element;
        bin->hash = hash;
        auto& head = bins_[bucketOf(hash)];
        bin->next = std::move(head);
        head = std::move(bin);
        ++entries_;
        if (static_cast<float>(entries_) >= 3.0f * static_cast<float>(size_))
            grow();
        return element;
    }

    // The first stored element equal to the key, or null.
    T* find(std::uint32_t hash, T const* key) const {
        for (Bin* bin = bins_[bucketOf(hash)].get(); bin; bin = bin->next.get()) {
            if (equal_(key, bin->element))
                return bin->element;
        }
        return defaultValue_;
    }

    // Unlinks the first element equal to the key and returns it, or null when
    // there is none. The element itself is the caller's.
    T* remove(std::uint32_t hash, T const* key) {
        std::unique_ptr<Bin>* link = &bins_[bucketOf(hash)];
        while (*link) {
            if (equal_(key, (*link)->element)) {
                std::unique_ptr<Bin> bin = std::move(*link);
                *link = std::move(bin->next);
                --entries_;
                return bin->element;
            }
            link = &(*link)->next;
        }
        return nullptr;
    }

    // Every element in bucket order, then chain order. The next bin is read
    // before each call, so the callback may remove the element it is given.
    template<typename F> void forEach(F&& callback) const {
        for (std::size_t i = 0; i < bins_.size(); ++i) {
            Bin* bin = bins_[i].get();
            while (bin) {
                Bin* next = bin->next.get();
                callback(bin->element);
                bin = next;
            }
        }
    }

    int entries() const { return entries_; }
    int size() const { return size_; }

private:
    struct Bin {
        T* element {nullptr};
        std::uint32_t hash {0};
        std::unique_ptr<Bin> next;
    };

    std::size_t bucketOf(std::uint32_t hash) const {
        return hash % static_cast<std::uint32_t>(size_);
    }

    void grow() {
        int newSize = nextPrime(size_ + 1);
        std::vector<std::unique_ptr<Bin>> newBins(static_cast<std::size_t>(newSize));
        for (auto& head : bins_) {
            while (head) {
                std::unique_ptr<Bin> bin = std::move(head);
                head = std::move(bin->next);
                auto& target = newBins[bin->hash % static_cast<std::uint32_t>(newSize)];
                bin->next = std::move(target);
                target = std::move(bin);
            }
        }
        bins_ = std::move(newBins);
        size_ = newSize;
    }

    // One bin at a time: a long chain must not unwind recursively.
    void freeBuckets() {
        for (auto& head : bins_) {
            while (head)
                head = std::move(head->next);
        }
        bins_.clear();
        entries_ = 0;
    }

    int entries_ {0};
    int size_;
    Equal equal_;
    T* defaultValue_ {nullptr};
    std::vector<std::unique_ptr<Bin>> bins_;
};

}
