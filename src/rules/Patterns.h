#pragma once
// Patterns inside a folder name: *(1..10), *(01..52), *(10..0..5), *(A..D), *(Draft,Final) and
// the words *(date), *(year), *(month), *(day) and *(parent). A name without "*(" stands for
// itself, so every line typed before patterns existed makes what it made then.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "system.h"

constexpr std::uint64_t MaxFoldersPerCommand = 10000;

class NamePattern {
public:
    // Reads a typed name. "" when it can be read; otherwise the message to show, which names the
    // pattern at fault.
    std::string Read(const std::string& typed, const sys::Date& today);
    // How many names it stands for; counts beyond what 64 bits hold stay at the largest.
    std::uint64_t Count() const;
    // The name at `index` (below Count), the last pattern varying fastest; *(parent) is `parent`.
    std::string Name(std::uint64_t index, const std::string& parent) const;

private:
    struct Part {
        enum class Kind { Text, Numbers, Letters, Items, Parent };
        Part(Kind kind, std::vector<std::string> items) : kind(kind), items(std::move(items)) {}
        Kind kind;
        std::vector<std::string> items;  // Text: the text; Items: the list, or a word's value
        std::int64_t from = 0;           // Numbers and Letters: the first value ...
        std::int64_t step = 1;           // ... the signed step ...
        std::uint64_t count = 1;         // ... and how many values (Text and Parent: one)
        std::size_t width = 0;           // Numbers: padded with zeros to this many digits
        std::uint64_t Size() const { return kind == Kind::Items ? items.size() : count; }
        std::string Value(std::uint64_t index, const std::string& parent) const;
    };
    std::string ReadPattern(const std::string& pattern, const std::string& body, const sys::Date& today);
    std::vector<Part> parts_;
};

// The product and sum of counts, stopping at the largest 64-bit value instead of wrapping.
std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b);
std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b);
