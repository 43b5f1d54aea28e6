#pragma once
// The typed lines the benchmarks give Quillet, each with the folders it names, so that the bare
// baseline can make exactly the same folders and the rule benchmark can check what it parsed.
// Shared by the native rule benchmark and the Windows timing driver. Every line is ASCII, so its
// length in bytes is its length in characters.
#include <cstddef>
#include <string>
#include <vector>

namespace lines {

constexpr std::size_t LongestName = 215;  // what Quillet accepts in one name

struct Line {
    std::string text;
    // Relative paths with backslashes, in the order Quillet makes them (each parent first).
    std::vector<std::string> folders;
};

// Writes a line token by token and keeps the folder list in step with it.
class Builder {
public:
    explicit Builder(bool blanks = false) : blanks_(blanks) {}

    Builder& Name(const std::string& name) {
        line_.text += name;
        line_.folders.push_back(path_.empty() ? name : path_.back() + "\\" + name);
        return *this;
    }
    Builder& Into() {  // '<': the next names go inside the last one
        Separator('<');
        path_.push_back(line_.folders.back());
        return *this;
    }
    Builder& Out() {  // '>'
        Separator('>');
        path_.pop_back();
        return *this;
    }
    Builder& Next() {  // '|'
        Separator('|');
        return *this;
    }

    std::size_t Length() const { return line_.text.size(); }
    std::size_t SeparatorLength() const { return blanks_ ? 3 : 1; }
    const Line& Result() const { return line_; }

private:
    void Separator(char separator) {
        if (blanks_) line_.text += ' ';
        line_.text += separator;
        if (blanks_) line_.text += ' ';
    }

    bool blanks_;
    Line line_;
    std::vector<std::string> path_;
};

inline std::string Numbered(const char* prefix, int number) {
    std::string digits = std::to_string(number);
    return prefix + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

// Fills what is left of `length` with one more name on the top level, when there is room for one.
inline Line PadTo(Builder builder, std::size_t length) {
    const std::size_t left = length - builder.Length();
    if (left <= builder.SeparatorLength()) return builder.Result();
    const std::size_t nameLength = left - builder.SeparatorLength();
    builder.Next().Name(std::string(nameLength < LongestName ? nameLength : LongestName, 'n'));
    return builder.Result();
}

// `count` folders side by side: f000|f001|... (500 of them make 2,499 characters).
inline Line Siblings(int count) {
    Builder builder;
    for (int index = 0; index < count; ++index) {
        if (index > 0) builder.Next();
        builder.Name(Numbered("f", index));
    }
    return builder.Result();
}

// A typical line: project folders of ten folders each, three levels deep,
// P001<Doc<a1|b2|c3>|Src<a1|b2|c3>|Out>|P002<...>, as many as fit in `length` characters
// (2,500 give 651 folders); with blanks, one blank on each side of every separator.
inline Line Projects(std::size_t length, bool blanks = false) {
    const auto project = [](Builder& builder, int number) {
        if (number > 1) builder.Next();
        builder.Name(Numbered("P", number)).Into();
        builder.Name("Doc").Into().Name("a1").Next().Name("b2").Next().Name("c3").Out().Next();
        builder.Name("Src").Into().Name("a1").Next().Name("b2").Next().Name("c3").Out().Next();
        builder.Name("Out").Out();
    };
    Builder builder(blanks);
    for (int number = 1;; ++number) {
        Builder longer = builder;
        project(longer, number);
        if (longer.Length() > length) break;
        builder = longer;
    }
    return PadTo(builder, length);
}

// a<a<a<...>>>: as many levels as fit (2,500 characters give 834 folders, 833 levels below the first).
inline Line DeepNest(std::size_t length) {
    const std::size_t levels = (length - 1) / 3;
    Builder builder;
    for (std::size_t level = 0; level < levels; ++level) builder.Name("a").Into();
    builder.Name("a");
    for (std::size_t level = 0; level < levels; ++level) builder.Out();
    return builder.Result();
}

// One name of the longest length on each level, and a last level that fills what is left.
inline Line LongNames(std::size_t length) {
    // Each full level takes its name, its '<' and its '>'; the last name takes at least one character.
    const std::size_t levels = (length - 1) / (LongestName + 2);
    const std::size_t left = length - levels * (LongestName + 2);
    Builder builder;
    for (std::size_t level = 0; level < levels; ++level) {
        builder.Name(std::string(LongestName, static_cast<char>('A' + level % 26))).Into();
    }
    builder.Name(std::string(left < LongestName ? left : LongestName, 'z'));
    for (std::size_t level = 0; level < levels; ++level) builder.Out();
    return builder.Result();
}

// Single-letter folders side by side: a|b|c|...|z|a|b...
inline Line ShortSiblings(std::size_t length) {
    Builder builder;
    for (std::size_t index = 0; builder.Length() + 2 <= length || index == 0; ++index) {
        if (index > 0) builder.Next();
        builder.Name(std::string(1, static_cast<char>('a' + index % 26)));
    }
    return builder.Result();
}

}  // namespace lines
