#pragma once

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string_view>

namespace pipmoves::python {

// A name as text: whole, bytes that are not UTF-8 shown as backslash escapes.
pybind11::str name_text(std::string_view name);

// A core message that names something ends with the name, but what() stops at
// the name's first NUL, and pybind11 decodes it as strict UTF-8. Raises
// ValueError with the message's own text and the whole name, bytes that are
// not UTF-8 shown as backslash escapes, if `message` ends with `name` as far
// as what() carries it; otherwise returns.
void raise_naming(const char* message, std::string_view name);

// Makes the module raise a core error whose message is not UTF-8 (it carries
// a caller's path or name as bytes) as the exception pybind11 would raise,
// with those bytes shown as backslash escapes, where pybind11 itself would
// raise UnicodeDecodeError instead.
void decode_messages_leniently();

// Runs a core call on the caller's name, reporting the name whole if it fails.
template <typename Call>
decltype(auto) naming_in_errors(std::string_view name, Call&& call) {
  try {
    return call();
  } catch (const std::invalid_argument& error) {
    raise_naming(error.what(), name);
    throw;
  }
}

}  // namespace pipmoves::python
