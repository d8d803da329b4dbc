// Name decoding and the converter both ways on arbitrary bytes: no crash, no read outside the
// input, and the bounds the callers rely on.
#include <cstdlib>
#include <string>

#include "record_table/cp936.h"
#include "record_table/record_table.h"

using namespace expscale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // A name field holds at most 32 units, each at most two bytes of code page 936.
    const std::string name = decodeRecordName(bytes.substr(0, NAME_SIZE));
    if (name.size() > 64 || name.find('\0') != std::string::npos) std::abort();

    std::u16string units(size / 2, u'\0');
    for (std::size_t j = 0; j < units.size(); ++j) units[j] = static_cast<char16_t>(data[2 * j] | data[2 * j + 1] << 8);
    const std::string encoded = utf16ToCp936(units);
    if (encoded.size() > 2 * units.size()) std::abort();

    const std::u16string decoded = cp936ToUtf16(bytes);
    if (decoded.size() > bytes.size()) std::abort();

    const std::string utf8 = cp936ToUtf8(bytes);
    if (utf8 != utf16ToUtf8(decoded)) std::abort();
    std::string appended = "(";
    cp936ToUtf8(bytes, appended);
    if (appended != "(" + utf8) std::abort();
    (void)utf8ToCp936(utf8);
    (void)utf8ToUtf16(bytes);
    (void)utf16ToUtf8(units);
    return 0;
}
