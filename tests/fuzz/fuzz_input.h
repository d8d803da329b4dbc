// Splits a fuzzer's bytes into the arguments of the function under test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace expscale::fuzzing {

struct FuzzInput {
    std::string_view rest;

    std::int32_t takeInt32() {
        std::uint32_t value = 0;
        const std::size_t n = rest.size() < 4 ? rest.size() : 4;
        std::memcpy(&value, rest.data(), n);
        rest.remove_prefix(n);
        return static_cast<std::int32_t>(value);
    }
    // A run whose length is given by the next byte.
    std::string_view takeShortRun() {
        if (rest.empty()) return {};
        const std::size_t n = std::min<std::size_t>(static_cast<unsigned char>(rest[0]), rest.size() - 1);
        const std::string_view run = rest.substr(1, n);
        rest.remove_prefix(1 + n);
        return run;
    }
};

}  // namespace expscale::fuzzing
