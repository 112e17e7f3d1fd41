#pragma once

// A caller's writable buffer for a call to fill in place (the out= of spread
// and PatchPlayer.frame): held for the call, C-contiguous, of one item type.
// Asking the object once, without building the buffer description pybind11
// would, keeps a call that fills it about as cheap as one that returns.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>

namespace pipmoves::play::python {

class OutBuffer {
 public:
  // Throws TypeError "<what> must be a writable C-contiguous buffer of
  // <items>" when the object offers no such buffer, or its items are not of
  // `format` (a struct format character, with or without a native-order
  // prefix) or not aligned to their size.
  OutBuffer(pybind11::handle object, char format, std::size_t itemsize, const char* what, const char* items) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_WRITABLE | PyBUF_FORMAT | PyBUF_C_CONTIGUOUS) != 0) {
      PyErr_Clear();
      throw pybind11::type_error(std::string(what) + " must be a writable C-contiguous buffer of " + items);
    }
    const std::string_view given = view_.format == nullptr ? "B" : view_.format;
    const bool native =
        given.size() == 1 || (given.size() == 2 && (given[0] == '@' || given[0] == '=' || given[0] == '<'));
    // Items are written in place, so they must lie at their natural alignment.
    const bool aligned = reinterpret_cast<std::uintptr_t>(view_.buf) % itemsize == 0;
    if (!native || given.back() != format || static_cast<std::size_t>(view_.itemsize) != itemsize || !aligned) {
      PyBuffer_Release(&view_);
      throw pybind11::type_error(std::string(what) + " must be a writable C-contiguous buffer of " + items);
    }
  }
  OutBuffer(const OutBuffer&) = delete;
  OutBuffer& operator=(const OutBuffer&) = delete;
  ~OutBuffer() { PyBuffer_Release(&view_); }

  int ndim() const noexcept { return view_.ndim; }
  std::size_t shape(int axis) const noexcept { return static_cast<std::size_t>(view_.shape[axis]); }

  template <typename T>
  std::span<T> as() noexcept {
    return {static_cast<T*>(view_.buf), static_cast<std::size_t>(view_.len) / sizeof(T)};
  }

 private:
  Py_buffer view_{};
};

}  // namespace pipmoves::play::python
