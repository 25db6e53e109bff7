#pragma once

// What the programs that print JSON Lines share.

#include <string>
#include <string_view>

namespace spanwright {

/// `text` as a JSON string, quotes included. Bytes that are not UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace spanwright
