// A 32-bit value that one thread writes while another reads: every access is one whole,
// relaxed atomic load or store, so a reader sees the old or the new value, never a mix.
#pragma once
#include <atomic>
#include <cstdint>

template <typename T>
class SharedWord {
 public:
  constexpr SharedWord(T value = T()) : value_(value) {}
  SharedWord(const SharedWord& other) : value_(other.load()) {}
  SharedWord& operator=(const SharedWord& other) { store(other.load()); return *this; }
  SharedWord& operator=(T value) { store(value); return *this; }
  operator T() const { return load(); }
  T load() const { return value_.load(std::memory_order_relaxed); }
  void store(T value) { value_.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
  static_assert(sizeof(T) == 4, "shared words are 32 bits wide");
};

using SharedInt32 = SharedWord<int32_t>;
using SharedUInt32 = SharedWord<uint32_t>;
static_assert(sizeof(SharedInt32) == 4 && alignof(SharedInt32) == 4, "one aligned word");
static_assert(std::atomic<int32_t>::is_always_lock_free, "a word is read and written whole");
