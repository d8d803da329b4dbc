// Code page 936 (GBK) conversions, both ways, matching the Windows converter byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace expscale {

// UTF-16 to code page 936 as WideCharToMultiByte(936, WC_COMPOSITECHECK, ...) gives it with no
// default character passed: look-alike substitutions, "?" for what has no form, a base letter and
// a following nonspacing mark composed where code page 936 has the precomposed letter.
std::string utf16ToCp936(std::u16string_view units);

// Code page 936 to UTF-16 as MultiByteToWideChar(936, 0, ...) gives it.
std::u16string cp936ToUtf16(std::string_view bytes);

}  // namespace expscale
