#include "puzzle/json_text.h"

#include <cstdio>

namespace spanwright {

int utf8Sequence(std::string_view text, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    if (lead < 0x80) {
        length = 1;
        code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + std::size_t(length) > text.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + std::size_t(k)]);
        if ((next & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    constexpr char32_t LEAST[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < LEAST[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

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
