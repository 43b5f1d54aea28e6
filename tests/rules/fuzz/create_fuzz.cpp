// Any typed text through the whole create command, checked against a reading of the syntax of its
// own: a refused text creates nothing and shows one message; an accepted one asks for exactly the
// folders it names, each below the target and within Windows' path length, in typed order. The first byte picks the
// target.
#include <algorithm>
#include <cstdint>
#include <regex>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"
#include "require.h"

namespace {

std::size_t Utf16Units(const std::string& utf8) {
    std::size_t units = 0;
    for (const unsigned char c : utf8) units += ((c & 0xC0) != 0x80) + (c >= 0xF0);
    return units;
}

// Whether Windows makes the name as typed: at most 215 UTF-16 units, none of \ / : * ? ", no device
// name (also with blanks or an extension after it), no trailing dot or blank, no control character.
bool Makeable(const std::string& name) {
    static const std::regex device("(CON|PRN|AUX|NUL|(COM|LPT)([1-9]|\xC2\xB9|\xC2\xB2|\xC2\xB3)) *(\\..*)?",
                                   std::regex::icase);
    static const std::regex c1("\xC2[\x80-\x9F]");  // the C1 controls
    return Utf16Units(name) <= 215 && name.find_first_of("\\/:*?\"") == std::string::npos &&
           !std::regex_match(name, device) && name.back() != '.' && name.back() != ' ' &&
           std::none_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }) &&
           !std::regex_search(name, c1);
}

std::string WithoutOuterBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The folders `text` names, as paths below `base` in typed order; false when it must be refused.
// A name may be missing only after a '>', and not before a '<'.
bool NamedFolders(const std::string& text, const std::string& base, std::vector<std::string>* paths) {
    std::vector<std::string> parents;
    char before = '^';
    for (std::size_t start = 0, at = 0; at != std::string::npos; start = at + 1) {
        at = text.find_first_of("<>|", start);
        const std::string name = WithoutOuterBlanks(text.substr(start, at - start));
        const char after = at == std::string::npos ? '$' : text[at];
        if (name.empty() ? before != '>' || after == '<' : !Makeable(name)) return false;
        std::string path = base;
        for (const std::string& parent : parents) path += "\\" + parent;
        if (!name.empty()) paths->push_back(path + "\\" + name);
        if (after == '<') parents.push_back(name);
        if (after == '>' && parents.empty()) return false;
        if (after == '>') parents.pop_back();
        before = after;
    }
    return parents.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string target = std::vector<std::string>{"C:\\T", "C:\\T\\", "C:\\"}[data[0] % 3];
    const std::string base = target.back() == '\\' ? target.substr(0, target.size() - 1) : target;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    fake::Reset();
    fake::AddFolder("C:\\T");
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", target.c_str());

    // The engine reads the text up to its first NUL, at most 2,500 UTF-16 units, and asks for each
    // folder whether it is there already or not, when every path stays within the 247 Windows makes.
    const std::string line = text.substr(0, text.find('\0'));
    const std::string typed = WithoutOuterBlanks(line);
    std::vector<std::string> expected;
    const bool tooLong = Utf16Units(line) > 2500;
    const bool accepted =
        !tooLong && !typed.empty() && NamedFolders(typed, base, &expected) &&
        std::all_of(expected.begin(), expected.end(), [](const std::string& path) { return Utf16Units(path) <= 247; });

    const bool created = CreateFromText(text);
    if (!accepted) {
        Require(!created && fake::TheVolume().createCalls.empty(), "a refused text created something");
        Require(ShownErrors().size() == (typed.empty() && !tooLong ? 0u : 1u),
                "a refused text showed no single message");
    } else {
        Require(created && ShownErrors().empty(), "an accepted text failed or showed a message");
        Require(fake::TheVolume().createCalls == expected, "not exactly the named folders were created");
    }
    fake::Reset();  // so that a run frees what it allocated and libFuzzer's leak check stays quiet
    return 0;
}
