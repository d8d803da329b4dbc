// Bytes and UTF-16 units as hex, for readable failure messages.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace expscale::testing {

inline std::string hexBytes(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

inline std::string hexUnits(std::u16string_view units) {
    std::string out;
    char buf[8];
    for (char16_t u : units) {
        std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(u));
        out += buf;
    }
    return out;
}

}  // namespace expscale::testing
