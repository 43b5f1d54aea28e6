// Any typed text through the whole create command, checked against a reading of the syntax of its
// own: a refused text creates nothing and shows one message; an accepted one asks for exactly the
// folders it names, each below the target, in typed order. The first byte picks the target.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"
#include "require.h"

namespace {

// Characters as Windows counts them: UTF-16 units.
std::size_t Units(const std::string& utf8) {
    std::size_t units = 0;
    for (const unsigned char c : utf8) units += ((c & 0xC0) != 0x80) + (c >= 0xF0);
    return units;
}

// What Windows cannot make as typed: a device name, a trailing dot or blank, a control character.
bool Unmakeable(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    const std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL"};
    const std::string port = base.size() > 3 ? base.substr(3) : "";
    const bool numbered = (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
                          ((port.size() == 1 && port[0] >= '1' && port[0] <= '9') || port == "\xC2\xB9" ||
                           port == "\xC2\xB2" || port == "\xC2\xB3");
    return devices.count(base) != 0 || numbered || name.back() == '.' || name.back() == ' ' ||
           std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string WithoutOuterBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The folders `text` names, as paths below `base` in typed order; false when it must be refused.
// A name may be missing only after a '>', and not before a '<'.
bool NamedFolders(const std::string& text, const std::string& base, std::vector<std::string>* paths) {
    std::vector<std::string> names, parents;
    std::string separators;
    for (std::size_t start = 0, at = 0; at != std::string::npos; start = at + 1) {
        at = text.find_first_of("<>|", start);
        names.push_back(WithoutOuterBlanks(text.substr(start, at - start)));
        separators += at == std::string::npos ? '$' : text[at];
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const char before = i == 0 ? '^' : separators[i - 1], after = separators[i];
        if (name.empty() && (before != '>' || after == '<')) return false;
        if (!name.empty() && (Units(name) > 215 || name.find_first_of("\\/:*?\"") != std::string::npos ||
                              Unmakeable(name))) {
            return false;
        }
        std::string path = base;
        for (const std::string& parent : parents) path += "\\" + parent;
        if (!name.empty()) paths->push_back(path + "\\" + name);
        if (after == '<') parents.push_back(name);
        if (after == '>' && parents.empty()) return false;
        if (after == '>') parents.pop_back();
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
    if (!MessageBuffer) {  // the buffers live on from run to run, as in the program
        MessageBuffer.reset(new char[MessageBufferSize]);
        TargetPath.reset(new char[TargetPathSize]);
    }
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", target.c_str());

    // The engine reads the text up to its first NUL; WorkPath holds 780 characters of UTF-8
    // beyond the target. Each folder is asked for, whether it is there already or not.
    const std::string typed = WithoutOuterBlanks(text.substr(0, text.find('\0')));
    std::vector<std::string> paths, expected;
    const bool accepted = !typed.empty() && NamedFolders(typed, base, &paths);
    bool tooLong = false;
    for (const std::string& path : paths) {
        if ((tooLong = path.size() >= target.size() + 780 * 3)) break;
        expected.push_back(path);
    }

    const bool created = CreateFromText(text);
    const std::vector<std::string>& calls = fake::TheVolume().createCalls;
    if (!accepted) {
        Require(!created && calls.empty(), "a refused text created something");
        Require(ShownErrors().size() == (typed.empty() ? 0u : 1u), "a refused text showed no single message");
    } else {
        Require(created == !tooLong && ShownErrors().size() == (tooLong ? 1u : 0u), "wrong result or messages");
        Require(calls == expected, "not exactly the named folders were created");
    }
    for (const std::string& call : calls) Require(call.rfind(base + "\\", 0) == 0, "a folder outside the target");
    fake::Reset();  // so that a run frees what it allocated and libFuzzer's leak check stays quiet
    return 0;
}
