#pragma once
// ShowError for the tests: it keeps every text the user would have been shown, in order.
#include <string>
#include <vector>

std::vector<std::string>& ShownErrors();
