// Code page 936 both ways from tables taken off the system converter (tools/cp936gen), plus the
// UTF-8 helpers the command-line tool needs.
#include "record_table/cp936.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <iterator>
#include <utility>

#include "record_table/cp936_tables.inc"

namespace expscale {

namespace {

namespace t = cp936_tables;

constexpr std::uint16_t kQuestionMark = '?';

constexpr bool isLead(unsigned byte) {
    return byte >= t::kFirstLead && byte <= t::kLastLead;
}

// Encoding is decoding run backwards: every unit gives the bytes that decode to it, unless the
// generator listed it as a substitution, and "?" when nothing decodes to it. Deriving it at first
// use keeps the generated file to the decode table and the exceptions; tools/cp936gen checks that
// this rule gives every unit what the system gives.
struct EncodeTables {
    std::uint16_t code[0x10000];
    std::bitset<0x10000> isSecond;  // second unit of some composition

    EncodeTables() {
        std::fill(std::begin(code), std::end(code), kQuestionMark);
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (!isLead(byte)) code[t::kSingle[byte]] = static_cast<std::uint16_t>(byte);
        }
        for (unsigned lead = t::kFirstLead; lead <= t::kLastLead; ++lead) {
            for (unsigned trail = t::kFirstTrail; trail <= t::kLastTrail; ++trail) {
                const char16_t unit = t::kPairs[lead - t::kFirstLead][trail - t::kFirstTrail];
                if (unit != t::kBadPair) code[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        for (const auto& s : t::kSubstitutions) code[s.unit] = s.code;
        for (const auto& c : t::kCompositions) isSecond.set(c.second);
    }
};

const EncodeTables& encodeTables() {
    static const EncodeTables tables;
    return tables;
}

// The code of first + second converted as one character, or 0 when the pair is not composed.
// Code 0 is U+0000's own, which never comes out of a composition (tools/cp936gen checks).
std::uint16_t compositionCode(char16_t first, char16_t second) {
    const auto* end = std::end(t::kCompositions);
    const auto* it =
        std::lower_bound(std::begin(t::kCompositions), end, std::pair{second, first},
                         [](const t::Composition& c, std::pair<char16_t, char16_t> key) {
                             return std::pair{c.second, c.first} < key;
                         });
    return it != end && it->second == second && it->first == first ? it->code : 0;
}

// The writers below put bytes through a pointer into room made beforehand: a push_back per byte
// was a tenth of the time of listing a large file.
char* putCode(char* out, std::uint16_t code) {
    if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
    *out++ = static_cast<char>(code & 0xFF);
    return out;
}

constexpr char16_t kReplacement = 0xFFFD;

constexpr bool isHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

char* putUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | cp >> 6);
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | cp >> 12);
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | cp >> 18);
        *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// At most 3 bytes per unit: a lone surrogate gives 3, a pair 4 for its two units.
constexpr std::size_t MAX_UTF8_PER_UNIT = 3;

// Writes the UTF-8 of `units` at `out`, which has room for MAX_UTF8_PER_UNIT bytes per unit.
char* putUtf16AsUtf8(char* out, std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (isHighSurrogate(u) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            out = putUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            out = putUtf8(out, isHighSurrogate(u) || isLowSurrogate(u) ? kReplacement : u);
        }
    }
    return out;
}

// The unit of the character at bytes[i], moving i to its last byte.
char16_t decodeAt(std::string_view bytes, std::size_t& i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    // Windows pairs a lead byte with whatever non-zero byte follows, a valid trail or not (an
    // invalid pair is one kBadPair); before a zero byte or at the end it stands alone.
    if (!isLead(byte) || i + 1 == bytes.size() || bytes[i + 1] == '\0') return t::kSingle[byte];
    const auto trail = static_cast<unsigned char>(bytes[++i]);
    return trail >= t::kFirstTrail && trail <= t::kLastTrail
               ? t::kPairs[byte - t::kFirstLead][trail - t::kFirstTrail]
               : t::kBadPair;
}

// No bytes decode to a surrogate, so code page 936 goes to UTF-8 a unit at a time and gives
// what cp936ToUtf16 and then utf16ToUtf8 give.
constexpr bool decodesToNoSurrogate() {
    for (const char16_t unit : t::kSingle) {
        if (isHighSurrogate(unit) || isLowSurrogate(unit)) return false;
    }
    for (const auto& row : t::kPairs) {
        for (const char16_t unit : row) {
            if (isHighSurrogate(unit) || isLowSurrogate(unit)) return false;
        }
    }
    return !isHighSurrogate(t::kBadPair) && !isLowSurrogate(t::kBadPair);
}
static_assert(decodesToNoSurrogate());

// Appends the UTF-8 of `units` to `out`.
void appendUtf16AsUtf8(std::string& out, std::u16string_view units) {
    const std::size_t start = out.size();
    out.resize(start + units.size() * MAX_UTF8_PER_UNIT);
    char* const end = putUtf16AsUtf8(out.data() + start, units);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

std::string utf16ToCp936(std::u16string_view units) {
    const EncodeTables& tables = encodeTables();
    std::string out(units.size() * 2, '\0');
    char* p = out.data();
    // Windows composes the unit at hand with the next one only; after a composed pair it goes on
    // with the unit after the pair, so a second mark on the same letter is converted by itself.
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (i + 1 < units.size() && tables.isSecond[units[i + 1]]) {
            if (const std::uint16_t code = compositionCode(units[i], units[i + 1])) {
                p = putCode(p, code);
                ++i;
                continue;
            }
        }
        p = putCode(p, tables.code[units[i]]);
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

std::u16string cp936ToUtf16(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) out[n++] = decodeAt(bytes, i);
    out.resize(n);
    return out;
}

std::string utf16ToUtf8(std::u16string_view units) {
    std::string out;
    appendUtf16AsUtf8(out, units);
    return out;
}

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            out.push_back(lead);
            continue;
        }
        // The first continuation byte's range rules out overlong forms, surrogates and code
        // points past U+10FFFF; a byte outside it ends the maximal subpart.
        std::size_t more;
        char32_t cp;
        unsigned low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out.push_back(kReplacement);
            continue;
        }
        for (; more > 0 && i < bytes.size(); --more, ++i) {
            const auto next = static_cast<unsigned char>(bytes[i]);
            if (next < low || next > high) break;
            cp = cp << 6 | (next & 0x3F);
            low = 0x80, high = 0xBF;
        }
        if (more > 0) {
            out.push_back(kReplacement);
        } else if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string cp936ToUtf8(std::string_view bytes) {
    std::string out;
    cp936ToUtf8(bytes, out);
    return out;
}

void cp936ToUtf8(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * MAX_UTF8_PER_UNIT);  // a byte gives at most one unit
    char* p = out.data() + start;
    for (std::size_t i = 0; i < bytes.size(); ++i) p = putUtf8(p, decodeAt(bytes, i));
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::string utf8ToCp936(std::string_view text) {
    return utf16ToCp936(utf8ToUtf16(text));
}

}  // namespace expscale
