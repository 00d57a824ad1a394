#pragma once
// A variable that the window thread and the worker both touch without a lock.
// Plain loads and stores of an aligned word are what the hardware gives us; in
// C++ they must be atomic to be defined, and relaxed ordering is enough because
// no reader needs two variables to agree. On x86 this compiles to the same
// single mov as a plain variable, and ThreadSanitizer understands it.

#include <atomic>

template <typename T>
class Relaxed {
 public:
  constexpr Relaxed(T value = T{}) noexcept : value_(value) {}  // NOLINT: implicit on purpose
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;

  operator T() const noexcept { return value_.load(std::memory_order_relaxed); }  // NOLINT
  T Load() const noexcept { return value_.load(std::memory_order_relaxed); }

  Relaxed& operator=(T value) noexcept {
    value_.store(value, std::memory_order_relaxed);
    return *this;
  }
  // Only one thread writes each counter, so an increment never races another
  // increment; fetch_add keeps it a single defined operation all the same.
  Relaxed& operator++() noexcept {
    value_.fetch_add(1, std::memory_order_relaxed);
    return *this;
  }
  T operator++(int) noexcept { return value_.fetch_add(1, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
};
