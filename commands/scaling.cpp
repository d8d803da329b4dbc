#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "commands/editor.h"

namespace expscale {

namespace {

// Full-width forms a pasted factor may hold, folded to their ASCII meaning. A lead byte at the
// very end has no partner and is dropped.
std::string foldFullWidth(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 == text.size()) break;
        const auto trail = static_cast<unsigned char>(text[++i]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else {
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
        }
    }
    return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at the start of a folded text, spelled for std::from_chars.
struct DecimalNumber {
    bool negative = false;
    std::string digits;         // mantissa digits with the point removed
    std::int64_t exponent = 0;  // power of ten applied to `digits` read as an integer
};

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

// The exponent part "e5", "D-3", ...; 0 and nothing consumed when no digit follows the marker.
std::int64_t readExponent(std::string_view s, std::size_t i) {
    if (i >= s.size() || (s[i] != 'e' && s[i] != 'E' && s[i] != 'd' && s[i] != 'D')) return 0;
    bool negative = false;
    if (++i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || !isDigit(s[i])) return 0;
    std::int64_t value = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        value = std::min<std::int64_t>(value * 10 + (s[i] - '0'), 1'000'000'000);  // saturate
    }
    return negative ? -value : value;
}

std::optional<DecimalNumber> readDecimal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    DecimalNumber number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.negative = s[i++] == '-';
    const std::size_t intEnd = skipDigits(s, i);
    number.digits.assign(s.substr(i, intEnd - i));
    i = intEnd;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracEnd = skipDigits(s, i + 1);
        number.digits.append(s.substr(i + 1, fracEnd - i - 1));
        number.exponent = -static_cast<std::int64_t>(fracEnd - i - 1);
        i = fracEnd;
    }
    if (number.digits.empty()) return std::nullopt;
    number.exponent += readExponent(s, i);
    return number;
}

// The nearest double. from_chars leaves the value alone out of range, so the magnitude decides
// between infinity and zero.
double toDouble(const DecimalNumber& number) {
    const std::size_t first = number.digits.find_first_not_of('0');
    if (first == std::string::npos) return number.negative ? -0.0 : 0.0;
    const std::string_view significant = std::string_view(number.digits).substr(first);
    const std::string spelled = std::string(significant) + "e" + std::to_string(number.exponent);
    double value = 0;
    const auto result = std::from_chars(spelled.data(), spelled.data() + spelled.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const std::int64_t magnitude = number.exponent + static_cast<std::int64_t>(significant.size());
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -value : value;
}

// Round to the nearest float, ties to even, with infinity past the float range (a cast of such a
// double is undefined behaviour in C++).
float toFloat(double value) {
    const float sign = value < 0 ? -1.0f : 1.0f;
    const double magnitude = std::fabs(value);
    if (magnitude >= 0x1.ffffffp127) return sign * std::numeric_limits<float>::infinity();
    if (magnitude > FLT_MAX) return sign * FLT_MAX;  // rounds down to the largest float
    return static_cast<float>(value);
}

}  // namespace

float parseScaleFactor(std::string_view text) {
    const std::optional<DecimalNumber> number = readDecimal(foldFullWidth(text));
    return number ? toFloat(toDouble(*number)) : 0.0f;
}

std::int32_t scaleExperience(std::int32_t experience, float factor) {
    const double product = static_cast<double>(experience) * static_cast<double>(factor);
    if (product > EXPERIENCE_CAP) return EXPERIENCE_CAP;
    if (std::isnan(product)) return 0;
    if (product <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(product);  // truncates toward zero
}

bool setData(WorkingCopy& copy, std::string_view bytes) {
    copy = WorkingCopy{};
    copy.original = bytes;
    copy.keptLength = copy.length = bytes.size();
    return true;
}

bool replaceBytes(WorkingCopy& copy, WidePosition position,
                  const std::array<char, EXPERIENCE_SIZE>& bytes) {
    if (position < 1) return false;
    const auto offset = static_cast<std::uint64_t>(position - 1);
    if (offset >= copy.length) return false;
    if (!copy.replacements.empty() && offset < copy.replacements.back().offset + EXPERIENCE_SIZE) {
        return false;  // out of order: the walk never does this
    }
    if (copy.length - offset < EXPERIENCE_SIZE) {  // cut by the end: the content grows
        copy.keptLength = std::min(copy.keptLength, offset);
        copy.length = offset + EXPERIENCE_SIZE;
    }
    copy.replacements.push_back({offset, bytes});
    return true;
}

void forEachPiece(const WorkingCopy& copy, const std::function<void(std::string_view)>& emit) {
    std::uint64_t done = 0;
    for (const WorkingCopy::Replacement& r : copy.replacements) {
        emit(copy.original.substr(done, std::min(r.offset, copy.keptLength) - done));
        emit(std::string_view(r.bytes.data(), r.bytes.size()));
        done = r.offset + EXPERIENCE_SIZE;
    }
    if (done < copy.keptLength) emit(copy.original.substr(done, copy.keptLength - done));
}

bool writeToFile(const WorkingCopy& copy, const std::filesystem::path& path, IoError& error) {
    AtomicFile file;
    if (!beginAtomicWrite(file, path)) {
        error = file.error;
        return false;
    }
    forEachPiece(copy, [&file](std::string_view piece) { appendBytes(file, piece); });
    if (!commitAtomicWrite(file)) {
        error = file.error;
        return false;
    }
    return true;
}

ScaleSummary scaleRecords(WorkingCopy& copy, std::string_view fileBytes, Position tableStart,
                          std::int32_t recordCount, float factor) {
    ScaleSummary summary;
    summary.walked = recordsToWalk(fileBytes, tableStart, recordCount);
    for (std::int64_t i = 0; i < summary.walked; ++i) {
        const WidePosition field = experienceFieldPosition(tableStart + i * RECORD_STRIDE);
        const std::int32_t before = readInt32Field(fileBytes, field);
        const std::int32_t after = scaleExperience(before, factor);
        const auto raw = static_cast<std::uint32_t>(after);
        const std::array<char, EXPERIENCE_SIZE> bytes = {
            static_cast<char>(raw), static_cast<char>(raw >> 8), static_cast<char>(raw >> 16),
            static_cast<char>(raw >> 24)};
        if (!replaceBytes(copy, field, bytes)) continue;
        ++summary.scaled;
        if (static_cast<double>(before) * static_cast<double>(factor) > EXPERIENCE_CAP) {
            ++summary.capped;
        }
    }
    return summary;
}

}  // namespace expscale
