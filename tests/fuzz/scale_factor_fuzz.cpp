// The factor text against a straightforward reference: fold the full-width forms, match the
// number with a regular expression, convert with strtod (C locale) and round to float.
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "commands/editor.h"

namespace {

std::string referenceFold(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) { out += text[i]; continue; }
        if (i + 1 >= text.size()) break;
        const auto t = static_cast<unsigned char>(text[++i]);
        if (b == 0xA3 && t >= 0xA1 && t != 0xFF) out += static_cast<char>(t - 0x80);
        else if (b == 0xA1 && t == 0xA1) out += ' ';
        else if (b == 0xA1 && t == 0xAB) out += '~';
        else if (b == 0xA1 && (t == 0xEE || t == 0xEF)) out += '*';
        else out += {static_cast<char>(b), static_cast<char>(t)};
    }
    return out;
}

float referenceParse(std::string_view text) {
    static const std::regex number(R"(^[\t\n\v\f\r ]*([+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+))(?:[eEdD]([+-]?[0-9]+))?)");
    const std::string folded = referenceFold(text);
    std::smatch match;
    if (!std::regex_search(folded, match, number)) return 0;
    std::string spelled = match[1].str();
    if (match[2].matched) spelled += "e" + match[2].str();
    return static_cast<float>(std::strtod(spelled.c_str(), nullptr));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256) return 0;  // the reference's regular expression recurses per character
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const float got = expscale::parseScaleFactor(text);
    const float expected = referenceParse(text);
    if (std::memcmp(&got, &expected, sizeof got) != 0) std::abort();
    return 0;
}
