#pragma once

// Text as JSON writes it, for every record the programs and the browser module give.

#include <cstddef>
#include <string>
#include <string_view>

namespace spanwright {

/// The UTF-8 sequence at `at` of `text`: its length, with its code point in `code`, or 0
/// when the bytes there are no UTF-8 (a stray or cut sequence, an over-long form, a
/// surrogate, a value past U+10FFFF).
int utf8Sequence(std::string_view text, std::size_t at, char32_t& code);

/// `text` as a JSON string, quotes included. Bytes that are not UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace spanwright
