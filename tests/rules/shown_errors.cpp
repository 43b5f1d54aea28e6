#include "shown_errors.h"

#include "Shared.h"

std::vector<std::string>& ShownErrors() {
    static std::vector<std::string> texts;
    return texts;
}

void ShowError(const char* text) { ShownErrors().emplace_back(text); }
