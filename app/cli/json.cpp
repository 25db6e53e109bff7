#include "app/cli/json.h"

#include <cstdio>

#include "app/cli/program.h"

namespace spanwright {

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = byteAt(i);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            json += escaped;
        } else if (c < 0x80) {
            json += char(c);
        } else {
            // A UTF-8 sequence passes whole; a byte that starts none becomes U+FFFD.
            char32_t code = 0;
            const int length = utf8Sequence(text, i, code);
            if (length == 0) {
                json += "\\ufffd";
                ++i;
                continue;
            }
            json.append(text.substr(i, std::size_t(length)));
            i += std::size_t(length);
            continue;
        }
        ++i;
    }
    return json + '"';
}

}  // namespace spanwright
