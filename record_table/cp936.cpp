// Placeholder until the generated tables land: ASCII only.
#include "record_table/cp936.h"

namespace expscale {

std::string utf16ToCp936(std::u16string_view units) {
    std::string out;
    for (char16_t u : units) out.push_back(u < 0x80 ? static_cast<char>(u) : '?');
    return out;
}

std::u16string cp936ToUtf16(std::string_view bytes) {
    std::u16string out;
    for (char c : bytes) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : u'?');
    return out;
}

}  // namespace expscale

namespace expscale {
// Placeholder: ASCII only.
std::string utf16ToUtf8(std::u16string_view units) { return utf16ToCp936(units); }
std::u16string utf8ToUtf16(std::string_view bytes) { return cp936ToUtf16(bytes); }
std::string cp936ToUtf8(std::string_view bytes) { return std::string(bytes); }
std::string utf8ToCp936(std::string_view bytes) { return std::string(bytes); }
}  // namespace expscale
