#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <type_traits>

namespace pipmoves::play {

// The most rows one call fills: 2^24, 384 MiB of positions.
inline constexpr std::int64_t kMaxRows = std::int64_t{1} << 24;

// The row count of a request, refused before anything is allocated:
// std::invalid_argument "Count must not be negative" or "Too many rows: at
// most 16777216".
std::size_t checked_row_count(std::int64_t count);

// An owning, contiguous block of rows, left uninitialised until filled: the
// caller writes every row. Row is a plain value of doubles or bytes.
template <typename Row>
class Rows {
  static_assert(std::is_trivially_copyable_v<Row> && std::is_trivially_destructible_v<Row>);

 public:
  Rows() = default;

  // Refuses a bad count as checked_row_count does, before allocating.
  explicit Rows(std::int64_t count) : count_(checked_row_count(count)) {
    if (count_ > 0) {
      // Fresh storage implicitly begins the lifetime of the rows it holds.
      data_.reset(static_cast<Row*>(::operator new(count_ * sizeof(Row), std::align_val_t{alignof(Row)})));
    }
  }

  std::size_t size() const noexcept { return count_; }
  std::span<Row> rows() noexcept { return {data_.get(), count_}; }
  std::span<const Row> rows() const noexcept { return {data_.get(), count_}; }

 private:
  struct Free {
    void operator()(Row* rows) const noexcept { ::operator delete(rows, std::align_val_t{alignof(Row)}); }
  };

  std::size_t count_ = 0;
  std::unique_ptr<Row[], Free> data_;
};

}  // namespace pipmoves::play
