// Asks the system's code page 936 converter for everything record_table/cp936.cpp needs and
// writes it as C++ tables. Nothing here knows GBK: every value comes from WideCharToMultiByte /
// MultiByteToWideChar, and the layout the converter assumes is checked against them before
// anything is written, so a converter that behaves differently stops the run instead of
// producing tables that quietly disagree with it.
//
// Usage: cp936gen OUTPUT   (see README.md)
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr UINT kCodePage = 936;
constexpr DWORD kEncodeFlags = WC_COMPOSITECHECK;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "cp936gen: %s\n", why.c_str());
    std::exit(1);
}

std::string hex4(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

std::string encode(const wchar_t* units, int count) {
    if (count == 0) return {};
    const int size =
        WideCharToMultiByte(kCodePage, kEncodeFlags, units, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) fail("WideCharToMultiByte failed, error " + std::to_string(GetLastError()));
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(kCodePage, kEncodeFlags, units, count, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring decode(const char* bytes, int count) {
    if (count == 0) return {};
    const int size = MultiByteToWideChar(kCodePage, 0, bytes, count, nullptr, 0);
    if (size <= 0) fail("MultiByteToWideChar failed, error " + std::to_string(GetLastError()));
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(kCodePage, 0, bytes, count, out.data(), size);
    return out;
}

// One converted character as the tables hold it: a single byte, or lead << 8 | trail.
std::uint16_t packCode(const std::string& bytes, const std::string& what) {
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x80) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                          static_cast<unsigned char>(bytes[1]));
    }
    fail(what + " does not convert to one character of code page 936");
}

std::string unpackCode(std::uint16_t code) {
    std::string out;
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
    return out;
}

struct DecodeTables {
    wchar_t single[256];
    unsigned firstLead = 0, lastLead = 0, firstTrail = 0, lastTrail = 0;
    wchar_t badPair = 0;
    std::vector<std::vector<wchar_t>> pairs;  // [lead - firstLead][trail - firstTrail]
};

// MultiByteToWideChar is assumed to read a lead byte followed by any non-zero byte as one
// character, and anything else byte by byte. Every two-byte input is checked against that.
DecodeTables probeDecode() {
    DecodeTables t;
    bool lead[256] = {};
    for (unsigned a = 0; a < 256; ++a) {
        const char one[1] = {static_cast<char>(a)};
        const std::wstring alone = decode(one, 1);
        if (alone.size() != 1) fail("byte " + hex4(a) + " alone does not decode to one unit");
        t.single[a] = alone[0];
        const char two[2] = {static_cast<char>(a), 'A'};
        lead[a] = decode(two, 2).size() == 1;
    }
    t.firstLead = static_cast<unsigned>(std::find(lead, lead + 256, true) - lead);
    t.lastLead = 255 - static_cast<unsigned>(std::find(std::rbegin(lead), std::rend(lead), true) -
                                             std::rbegin(lead));
    if (t.firstLead > t.lastLead) fail("no lead bytes");
    for (unsigned a = t.firstLead; a <= t.lastLead; ++a) {
        if (!lead[a]) fail("lead bytes are not one range");
    }

    std::vector<std::vector<wchar_t>> full(256, std::vector<wchar_t>(256));
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            const char two[2] = {static_cast<char>(a), static_cast<char>(b)};
            const std::wstring got = decode(two, 2);
            std::wstring want;
            if (lead[a] && b != 0) {
                if (got.size() != 1) fail("pair " + hex4(a << 8 | b) + " is not one unit");
                full[a][b] = got[0];
                continue;
            }
            want = {t.single[a], t.single[b]};
            if (got != want) fail("bytes " + hex4(a << 8 | b) + " are not decoded one by one");
        }
    }

    // Trail bytes that give something other than the bad-pair value somewhere bound the rows.
    t.badPair = full[t.firstLead][1];
    bool usedTrail[256] = {};
    for (unsigned a = t.firstLead; a <= t.lastLead; ++a) {
        for (unsigned b = 1; b < 256; ++b) usedTrail[b] |= full[a][b] != t.badPair;
    }
    t.firstTrail = static_cast<unsigned>(std::find(usedTrail, usedTrail + 256, true) - usedTrail);
    t.lastTrail =
        255 - static_cast<unsigned>(std::find(std::rbegin(usedTrail), std::rend(usedTrail), true) -
                                    std::rbegin(usedTrail));
    for (unsigned a = t.firstLead; a <= t.lastLead; ++a) {
        t.pairs.emplace_back(full[a].begin() + t.firstTrail, full[a].begin() + t.lastTrail + 1);
    }
    return t;
}

struct Substitution {
    unsigned unit;
    std::uint16_t code;
};

// The encode side is rebuilt at run time as the inverse of decoding; what the system does
// differently for a unit on its own (look-alikes, "?" ) is listed here. Must mirror
// buildEncodeTable() in record_table/cp936.cpp.
std::vector<Substitution> probeSubstitutions(const DecodeTables& t,
                                             std::vector<std::string>& alone) {
    std::vector<std::uint16_t> inverse(0x10000, '?');
    std::vector<bool> set(0x10000, false);
    auto give = [&](wchar_t unit, std::uint16_t code) {
        if (set[unit]) fail("unit " + hex4(unit) + " is decoded from two byte sequences");
        set[unit] = true;
        inverse[unit] = code;
    };
    for (unsigned a = 0; a < 256; ++a) {
        if (a < t.firstLead || a > t.lastLead) give(t.single[a], static_cast<std::uint16_t>(a));
    }
    for (unsigned a = t.firstLead; a <= t.lastLead; ++a) {
        for (unsigned b = t.firstTrail; b <= t.lastTrail; ++b) {
            const wchar_t unit = t.pairs[a - t.firstLead][b - t.firstTrail];
            if (unit != t.badPair) give(unit, static_cast<std::uint16_t>(a << 8 | b));
        }
    }

    std::vector<Substitution> out;
    alone.assign(0x10000, {});
    for (unsigned u = 0; u < 0x10000; ++u) {
        const wchar_t unit = static_cast<wchar_t>(u);
        alone[u] = encode(&unit, 1);
        const std::uint16_t code = packCode(alone[u], "unit " + hex4(u));
        // The composition search below relies on single bytes never being lead bytes.
        if (code < 0x100 && code >= t.firstLead && code <= t.lastLead) {
            fail("unit " + hex4(u) + " converts to a lone lead byte");
        }
        if (code != inverse[u]) out.push_back({u, code});
    }
    return out;
}

struct Composition {
    unsigned first, second;
    std::uint16_t code;
};

struct SearchJob {
    const std::vector<std::string>* alone;
    unsigned from, to;  // range of second units
    std::vector<Composition> found;
};

// Every pair of BMP units is tried as (first, second). Each second unit is checked in one call on
// first0 second first1 second ...; any composition there changes the output (a composed
// character is one character of at most two bytes standing for two characters, and no two single
// bytes make a double-byte character), so only calls that differ are taken apart pair by pair.
DWORD WINAPI searchCompositions(void* param) {
    auto& job = *static_cast<SearchJob*>(param);
    const auto& alone = *job.alone;
    std::wstring units(0x20000, L'\0');
    for (unsigned first = 0; first < 0x10000; ++first)
        units[2 * first] = static_cast<wchar_t>(first);
    std::string got(2 * units.size(), '\0');  // at most two bytes a unit
    for (unsigned second = job.from; second < job.to; ++second) {
        if (second % 0x1000 == 0 && second != job.from) {
            std::fprintf(stderr, "cp936gen: second units %04X..%04X searched\n", job.from,
                         second - 1);
        }
        for (unsigned first = 0; first < 0x10000; ++first) {
            units[2 * first + 1] = static_cast<wchar_t>(second);
        }
        const int size = WideCharToMultiByte(kCodePage, kEncodeFlags, units.data(),
                                             static_cast<int>(units.size()), got.data(),
                                             static_cast<int>(got.size()), nullptr, nullptr);
        if (size <= 0) fail("WideCharToMultiByte failed on a search string");
        const std::string_view out(got.data(), static_cast<std::size_t>(size));
        std::size_t at = 0;
        bool same = true;
        for (unsigned first = 0; first < 0x10000 && same; ++first) {
            for (const std::string* part : {&alone[first], &alone[second]}) {
                same = same && at + part->size() <= out.size() &&
                       out.compare(at, part->size(), *part) == 0;
                at += part->size();
            }
        }
        if (same && at == out.size()) continue;
        for (unsigned first = 0; first < 0x10000; ++first) {
            const wchar_t pair[2] = {static_cast<wchar_t>(first), static_cast<wchar_t>(second)};
            const std::string pairOut = encode(pair, 2);
            if (pairOut == alone[first] + alone[second]) continue;
            const std::uint16_t code =
                packCode(pairOut, "pair " + hex4(first) + " " + hex4(second));
            // The converter's code 0 is U+0000's own; cp936.cpp uses it to mean "not composed".
            if (code == 0) fail("pair " + hex4(first) + " " + hex4(second) + " gives a zero byte");
            job.found.push_back({first, second, code});
        }
    }
    return 0;
}

std::vector<Composition> probeCompositions(const std::vector<std::string>& alone) {
    SearchJob jobs[2] = {{&alone, 0, 0x8000, {}}, {&alone, 0x8000, 0x10000, {}}};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i] = CreateThread(nullptr, 0, searchCompositions, &jobs[i], 0, nullptr);
        if (!threads[i]) fail("CreateThread failed");
    }
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    std::vector<Composition> out = jobs[0].found;
    out.insert(out.end(), jobs[1].found.begin(), jobs[1].found.end());
    std::sort(out.begin(), out.end(), [](const Composition& x, const Composition& y) {
        return x.second != y.second ? x.second < y.second : x.first < y.first;
    });

    // The converter composes the unit at hand with the next one only, and otherwise goes on one
    // unit at a time; a chain of marks and a composable pair right after a composed one must
    // come out as that rule says.
    for (const Composition& c : out) {
        for (const Composition& d : out) {
            if (d.first != c.second) continue;
            const wchar_t three[3] = {static_cast<wchar_t>(c.first), static_cast<wchar_t>(c.second),
                                      static_cast<wchar_t>(d.second)};
            if (encode(three, 3) != unpackCode(c.code) + alone[d.second]) {
                fail("overlapping compositions " + hex4(c.first) + " " + hex4(c.second) + " " +
                     hex4(d.second) + " do not go left to right");
            }
        }
    }
    return out;
}

void writeUnits(std::FILE* f, const wchar_t* units, std::size_t count, const char* indent,
                std::size_t perLine) {
    for (std::size_t i = 0; i < count; ++i) {
        std::fprintf(f, "%s0x%04X,", i % perLine == 0 ? indent : "",
                     static_cast<unsigned>(units[i]));
        std::fputs(i % perLine == perLine - 1 || i + 1 == count ? "\n" : " ", f);
    }
}

void write(const char* path, const DecodeTables& t, const std::vector<Substitution>& subs,
           const std::vector<Composition>& comps) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) fail(std::string("cannot write ") + path);
    std::fputs(
        "// Generated by tools/cp936gen from the system's code page 936 converter; do not edit.\n"
        "// Regenerate with that tool (tools/cp936gen/README.md). Included by "
        "record_table/cp936.cpp.\n"
        "// Codes are one byte, or lead << 8 | trail.\n"
        "// clang-format off\n\n"
        "#include <cstdint>\n\n"
        "namespace expscale::cp936_tables {\n\n",
        f);
    std::fputs(
        "// MultiByteToWideChar for each byte alone; for a lead byte, what it gives when no trail\n"
        "// byte follows or the next byte is zero (which is then read on its own).\n"
        "inline constexpr char16_t kSingle[256] = {\n",
        f);
    writeUnits(f, t.single, 256, "    ", 12);
    std::fprintf(f,
                 "};\n\n"
                 "// A lead byte followed by any non-zero byte is one character.\n"
                 "inline constexpr unsigned kFirstLead = 0x%02X, kLastLead = 0x%02X;\n"
                 "// Trail bytes outside this range give kBadPair with every lead byte.\n"
                 "inline constexpr unsigned kFirstTrail = 0x%02X, kLastTrail = 0x%02X;\n"
                 "inline constexpr char16_t kBadPair = 0x%04X;\n\n",
                 t.firstLead, t.lastLead, t.firstTrail, t.lastTrail,
                 static_cast<unsigned>(t.badPair));
    std::fputs(
        "// A lead byte and a trail byte in range, at [lead - kFirstLead][trail - kFirstTrail].\n"
        "inline constexpr char16_t kPairs[kLastLead - kFirstLead + 1][kLastTrail - kFirstTrail + "
        "1] = {\n",
        f);
    for (unsigned a = t.firstLead; a <= t.lastLead; ++a) {
        std::fprintf(f, "    {  // lead %02X\n", a);
        const auto& row = t.pairs[a - t.firstLead];
        writeUnits(f, row.data(), row.size(), "        ", 11);
        std::fputs("    },\n", f);
    }
    std::fputs(
        "};\n\n"
        "// Units whose WideCharToMultiByte output is not the bytes that decode to them: "
        "look-alike\n"
        "// substitutions for characters outside the code page, and \"?\" for decoded units the\n"
        "// converter does not give back. Every other unit that no bytes decode to gives \"?\".\n"
        "struct Substitution {\n    char16_t unit;\n    std::uint16_t code;\n};\n"
        "inline constexpr Substitution kSubstitutions[] = {\n",
        f);
    for (std::size_t i = 0; i < subs.size(); ++i) {
        std::fprintf(f, "%s{0x%04X, 0x%04X},", i % 5 == 0 ? "    " : "", subs[i].unit,
                     subs[i].code);
        std::fputs(i % 5 == 4 || i + 1 == subs.size() ? "\n" : " ", f);
    }
    std::fputs(
        "};\n\n"
        "// Pairs of units that WC_COMPOSITECHECK converts as one character, with that "
        "character's\n"
        "// code; sorted by second unit, then first.\n"
        "struct Composition {\n    char16_t first;\n    char16_t second;\n    std::uint16_t "
        "code;\n};\n"
        "inline constexpr Composition kCompositions[] = {\n",
        f);
    for (std::size_t i = 0; i < comps.size(); ++i) {
        std::fprintf(f, "%s{0x%04X, 0x%04X, 0x%04X},", i % 3 == 0 ? "    " : "", comps[i].first,
                     comps[i].second, comps[i].code);
        std::fputs(i % 3 == 2 || i + 1 == comps.size() ? "\n" : " ", f);
    }
    std::fputs("};\n\n}  // namespace expscale::cp936_tables\n// clang-format on\n", f);
    if (std::fclose(f) != 0) fail(std::string("cannot write ") + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: cp936gen OUTPUT (e.g. record_table/cp936_tables.inc)\n", stderr);
        return 2;
    }
    const DWORD start = GetTickCount();
    const DecodeTables decodeTables = probeDecode();
    std::vector<std::string> alone;
    const std::vector<Substitution> subs = probeSubstitutions(decodeTables, alone);
    std::fprintf(stderr, "cp936gen: decode and single units done, %zu substitutions\n",
                 subs.size());
    const std::vector<Composition> comps = probeCompositions(alone);
    std::fprintf(stderr, "cp936gen: %zu compositions, %lu s\n", comps.size(),
                 static_cast<unsigned long>((GetTickCount() - start) / 1000));
    write(argv[1], decodeTables, subs, comps);
    return 0;
}
