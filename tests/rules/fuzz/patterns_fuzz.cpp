// libFuzzer target: the fuzzer's bytes choose a tree of names made of plain text and patterns.
// The line written from that tree must plan exactly the folders the tree expands to, in order:
// each name's values with the last pattern varying fastest, each folder followed by its children.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Shared.h"
#include "Unit2.h"

namespace {

using Texts = std::vector<std::string>;

// Reads the fuzzer's bytes as small choices; past the end every choice is 0.
struct Choices {
    const std::uint8_t* data;
    std::size_t left;
    int Next(int count) { return left == 0 ? 0 : (--left, *data++ % count); }
};

// A pattern as typed and its values: a number range, padded or not, a letter range in either
// case, or a list of two items or more; ranges with steps and counting down. No value repeats.
std::pair<std::string, Texts> MakePattern(Choices& choices) {
    const int from = choices.Next(12), to = choices.Next(12), step = 1 + choices.Next(3);
    std::string bounds;
    Texts values;
    // The range's values as `text` writes them, between ends written `first` and `last`.
    const auto range = [&](auto text, const std::string& first, const std::string& last) {
        for (int value = from; from <= to ? value <= to : value >= to; value += from <= to ? step : -step)
            values.push_back(text(value));
        bounds = first + ".." + last + (step > 1 ? ".." + std::to_string(step) : "");
    };
    const int kind = choices.Next(3);
    if (kind == 0) {
        // Either end may be written with leading zeros; then all values are as wide as the wider end.
        const auto digits = [](int value, std::size_t width) {
            const std::string text = std::to_string(value);
            return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
        };
        const std::string first = digits(from, choices.Next(4)), last = digits(to, choices.Next(4));
        const bool padded = (first.size() > 1 && first[0] == '0') || (last.size() > 1 && last[0] == '0');
        range([&](int value) { return digits(value, padded ? std::max(first.size(), last.size()) : 0); }, first, last);
    } else if (kind == 1) {
        const char a = choices.Next(2) == 0 ? 'a' : 'A';
        const auto letter = [a](int value) { return std::string(1, static_cast<char>(a + value)); };
        range(letter, letter(from), letter(to));
    } else {
        for (int item = 0; item < 2 + from % 3; ++item) values.push_back("i" + std::to_string(item));
        for (const std::string& value : values) bounds += (bounds.empty() ? "" : ",") + value;
    }
    return {"*(" + bounds + ")", values};
}

struct Node {
    std::string typed;  // with its children's line
    Texts names;
    std::vector<Node> children;
};

// Names start with a tag of their own, and no pattern is next to another, so that no two
// folders share a path.
Node MakeNode(Choices& choices, const std::string& tag, int depth) {
    Node node{tag, {tag}, {}};
    for (int parts = choices.Next(3); parts > 0; --parts) {
        const auto [typed, values] = choices.Next(2) == 0 ? std::pair{"(x)-", Texts{"(x)-"}} : MakePattern(choices);
        Texts names;
        for (const std::string& name : node.names)
            for (const std::string& value : values) names.push_back(name + value + "_");
        node.typed += typed + "_";
        node.names = names;
    }
    for (int child = 0, children = depth < 3 ? choices.Next(3) : 0; child < children; ++child) {
        node.children.push_back(MakeNode(choices, tag + std::to_string(child), depth + 1));
        node.typed += (child == 0 ? "<" : "|") + node.children.back().typed + (child + 1 == children ? ">" : "");
    }
    return node;
}

// The tree's folders in order, up to one more than a line may make.
void Expand(const std::vector<Node>& nodes, const std::string& parent, Texts& folders) {
    for (const Node& node : nodes)
        for (const std::string& name : node.names) {
            if (folders.size() > 10000) return;
            folders.push_back(parent + name);
            Expand(node.children, parent + name + "\\", folders);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choices{data, size};
    std::vector<Node> top;
    std::string line;
    for (int node = 0, nodes = 1 + choices.Next(3); node < nodes; ++node) {
        top.push_back(MakeNode(choices, std::string(1, static_cast<char>('p' + node)), 1));
        line += (node == 0 ? "" : "|") + top.back().typed;
    }
    Texts expected;
    Expand(top, "", expected);
    if (expected.size() > 10000) return 0;

    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", "C:\\Data");
    const FolderPlan plan = PlanFolders(line);
    if (plan.folders == expected) return 0;
    std::fprintf(stderr, "%s\nplanned %zu folders (%s), the tree has %zu\n", line.c_str(), plan.folders.size(),
                 plan.problem.c_str(), expected.size());
    std::abort();
}
