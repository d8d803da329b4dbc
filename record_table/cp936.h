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

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

// UTF-8 to UTF-16; each maximal subpart of an ill-formed sequence becomes one U+FFFD.
std::u16string utf8ToUtf16(std::string_view bytes);

// Code page 936 to UTF-8 and back, through UTF-16 with the conversions above.
std::string cp936ToUtf8(std::string_view bytes);
// The same, appended to `out`.
void cp936ToUtf8(std::string_view bytes, std::string& out);
std::string utf8ToCp936(std::string_view text);

}  // namespace expscale
