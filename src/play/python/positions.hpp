#pragma once

// The rows of any buffer of float64 shaped (n, 3), as a call reads them: in
// place when packed as Frames are. A strided view (a numpy slice, or a
// broadcast row that takes a few bytes for any shape) is copied a block at a
// time, never whole.

#include <pybind11/pybind11.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play::python {

class Positions {
 public:
  // Rows copied at once from a strided view.
  static constexpr std::size_t kBlockRows = 4096;

  // Throws TypeError unless the buffer holds float64 rows of three, and
  // refuses more rows than a call fills before reading any.
  explicit Positions(const pybind11::buffer& frames) : info_(frames.request()) {
    const std::string_view format = info_.format;
    const bool doubles = info_.itemsize == sizeof(double) && (format == "d" || format == "<d" || format == "=d");
    if (!doubles || info_.ndim != 2 || info_.shape[1] != 3) {
      throw pybind11::type_error("Positions must be a buffer of float64 rows of three");
    }
    rows_ = checked_row_count(info_.shape[0]);
    packed_ = rows_ == 0 || (info_.strides[0] == sizeof(Offset3) && info_.strides[1] == sizeof(double));
  }
  Positions(const Positions&) = delete;
  Positions& operator=(const Positions&) = delete;

  std::size_t size() const noexcept { return rows_; }

  // Calls use(first, rows) on consecutive runs of rows from row 0: all of
  // them at once when packed.
  template <typename Use>
  void in_blocks(Use&& use) {
    if (packed_) {
      use(std::size_t{0}, packed());
      return;
    }
    for (std::size_t first = 0; first < rows_; first += kBlockRows) {
      use(first, copied(first, std::min(kBlockRows, rows_ - first)));
    }
  }

  // All the rows, for a call that takes `expected` of them: a strided view
  // is copied only up to one row past that, which the call refuses just as it
  // would all of them.
  std::span<const Offset3> all_for(std::size_t expected) {
    return packed_ ? packed() : copied(0, std::min(rows_, expected + 1));
  }

 private:
  std::span<const Offset3> packed() const noexcept {
    return {reinterpret_cast<const Offset3*>(info_.ptr), rows_};
  }

  std::span<const Offset3> copied(std::size_t first, std::size_t count) {
    copy_.resize(count);
    const auto* base = static_cast<const char*>(info_.ptr);
    for (std::size_t r = 0; r < count; ++r) {
      const char* row = base + static_cast<pybind11::ssize_t>(first + r) * info_.strides[0];
      double* out = &copy_[r].x;
      for (std::size_t c = 0; c < 3; ++c) {
        std::memcpy(out + c, row + static_cast<pybind11::ssize_t>(c) * info_.strides[1], sizeof(double));
      }
    }
    return copy_;
  }

  pybind11::buffer_info info_;
  std::size_t rows_ = 0;
  bool packed_ = false;
  std::vector<Offset3> copy_;
};

}  // namespace pipmoves::play::python
