#include "Patterns.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "Shared.h"

namespace {

constexpr std::uint64_t Unbounded = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t MaxNumberDigits = 9;  // below one billion: no range can overflow

constexpr const char* UnclosedMessage = "\"%s\" has no \")\" to close its pattern.";
constexpr const char* NestedMessage = "\"%s\" holds a pattern inside a pattern, which Quillet cannot read.";
constexpr const char* RangeMessage =
    "\"%s\" is not a range Quillet can read: give two whole numbers below one billion, or two letters "
    "of the same case, such as *(1..10) or *(A..F), and a step after a third .. if you like.";
constexpr const char* StepMessage = "\"%s\" has a step of 0: a range's step is 1 or more.";
constexpr const char* WordMessage =
    "\"%s\" is not a pattern Quillet knows: a pattern is a range such as *(1..10) or *(A..F), a list "
    "such as *(Draft,Final), or one of the words date, year, month, day and parent.";

// The message `format` about the text of one pattern, which may be as long as the whole line.
std::string Problem(const char* format, const std::string& pattern) {
    std::string text(std::string_view(format).size() + pattern.size() + 1, '\0');
    FormatText(text.data(), text.size(), format, {pattern.c_str()});
    text.resize(std::string_view(text.c_str()).size());
    return text;
}

std::vector<std::string> Split(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (std::size_t at = 0;;) {
        const std::size_t found = text.find(separator, at);
        pieces.push_back(text.substr(at, found - at));
        if (found == std::string::npos) return pieces;
        at = found + separator.size();
    }
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.size() <= MaxNumberDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Of digits IsNumber has passed. std::stoll would link in libstdc++'s exceptions and locales,
// some 60 KB of the program.
std::int64_t Number(const std::string& digits) {
    std::int64_t value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool IsLetter(const std::string& text, bool upper) {
    return text.size() == 1 && (upper ? text[0] >= 'A' && text[0] <= 'Z' : text[0] >= 'a' && text[0] <= 'z');
}

std::string Padded(std::int64_t value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > Unbounded / a) return Unbounded;
    return a * b;
}

std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b) {
    return b > Unbounded - a ? Unbounded : a + b;
}

std::string NamePattern::Read(const std::string& typed, const sys::Date& today) {
    parts_.clear();
    const auto addText = [this](const std::string& text) {
        if (!text.empty()) parts_.push_back(Part{Part::Kind::Text, {text}});
    };
    for (std::size_t at = 0; at < typed.size();) {
        const std::size_t star = typed.find("*(", at);
        if (star == std::string::npos) {
            addText(typed.substr(at));
            break;
        }
        addText(typed.substr(at, star - at));
        const std::size_t close = typed.find(')', star + 2);
        if (close == std::string::npos) return Problem(UnclosedMessage, typed.substr(star));
        const std::string body = typed.substr(star + 2, close - star - 2);
        if (body.find("*(") != std::string::npos) {
            // Shown to the ")" of the inner pattern's outer one, where there is one.
            const std::size_t outer = typed.find(')', close + 1);
            return Problem(NestedMessage, typed.substr(star, outer == std::string::npos ? outer : outer + 1 - star));
        }
        if (const std::string problem = ReadPattern(typed.substr(star, close + 1 - star), body, today);
            !problem.empty()) {
            return problem;
        }
        at = close + 1;
    }
    return {};
}

std::string NamePattern::ReadPattern(const std::string& pattern, const std::string& body, const sys::Date& today) {
    if (body.find(',') != std::string::npos) {
        parts_.push_back(Part{Part::Kind::Items, Split(body, ",")});
        return {};
    }
    if (body.find("..") == std::string::npos) {
        const std::string word = Lowered(body);
        const std::string date = Padded(today.year, 4) + "-" + Padded(today.month, 2) + "-" + Padded(today.day, 2);
        const std::string value = word == "date"    ? date
                                  : word == "year"  ? date.substr(0, 4)
                                  : word == "month" ? date.substr(5, 2)
                                  : word == "day"   ? date.substr(8, 2)
                                                    : std::string();
        if (word == "parent") {
            parts_.push_back(Part{Part::Kind::Parent, {}});
        } else if (!value.empty()) {
            parts_.push_back(Part{Part::Kind::Items, {value}});
        } else {
            return Problem(WordMessage, pattern);
        }
        return {};
    }
    const std::vector<std::string> ends = Split(body, "..");
    if (ends.size() > 3 || (ends.size() == 3 && !IsNumber(ends[2]))) return Problem(RangeMessage, pattern);
    const std::string& first = ends[0];
    const std::string& last = ends[1];
    Part range(Part::Kind::Numbers, {});
    if (IsNumber(first) && IsNumber(last)) {
        range.from = Number(first);
        // A leading zero at either end pads every value to the wider end.
        if ((first.size() > 1 && first[0] == '0') || (last.size() > 1 && last[0] == '0')) {
            range.width = std::max(first.size(), last.size());
        }
    } else if ((IsLetter(first, true) && IsLetter(last, true)) || (IsLetter(first, false) && IsLetter(last, false))) {
        range.kind = Part::Kind::Letters;
        range.from = first[0];
    } else {
        return Problem(RangeMessage, pattern);
    }
    const std::int64_t to = range.kind == Part::Kind::Numbers ? Number(last) : last[0];
    const std::int64_t step = ends.size() == 3 ? Number(ends[2]) : 1;
    if (step == 0) return Problem(StepMessage, pattern);
    range.step = to < range.from ? -step : step;
    range.count = static_cast<std::uint64_t>((to < range.from ? range.from - to : to - range.from) / step) + 1;
    parts_.push_back(std::move(range));
    return {};
}

std::uint64_t NamePattern::Count() const {
    std::uint64_t count = 1;
    for (const Part& part : parts_) count = SaturatingProduct(count, part.Size());
    return count;
}

std::string NamePattern::Name(std::uint64_t index, const std::string& parent) const {
    // The digits of `index` in the mixed radix of the parts' counts, the last part the lowest.
    std::vector<std::uint64_t> digits(parts_.size());
    for (std::size_t part = parts_.size(); part-- > 0;) {
        digits[part] = index % parts_[part].Size();
        index /= parts_[part].Size();
    }
    std::string name;
    for (std::size_t part = 0; part < parts_.size(); ++part) name += parts_[part].Value(digits[part], parent);
    return name;
}

std::string NamePattern::Part::Value(std::uint64_t index, const std::string& parent) const {
    const std::int64_t value = from + step * static_cast<std::int64_t>(index);
    switch (kind) {
        case Kind::Text: return items[0];
        case Kind::Items: return items[index];
        case Kind::Numbers: return Padded(value, width);
        case Kind::Letters: return std::string(1, static_cast<char>(value));
        case Kind::Parent: return parent;
    }
    return {};
}
