// The help page's examples and refusals, run through the create command: the page must say
// what Quillet does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"

namespace {

std::string Unescape(std::string text) {
    static const std::pair<const char*, const char*> Entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#9;", "\t"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : Entities) {
        for (std::size_t at = 0; (at = text.find(entity, at)) != std::string::npos; at += std::strlen(character)) {
            text.replace(at, std::strlen(entity), character);
        }
    }
    return text;
}

// The cells of each row of the table with this id, without their tags.
std::vector<std::vector<std::string>> TableRows(const std::string& page, const std::string& id) {
    const std::size_t start = page.find("<table id=\"" + id + "\">");
    const std::string table = page.substr(start, page.find("</table>", start) - start);
    std::vector<std::vector<std::string>> rows;
    const std::regex row("<tr>(.*?)</tr>"), cell("<td>(.*?)</td>"), tag("<[^>]*>");
    for (auto r = std::sregex_iterator(table.begin(), table.end(), row); r != std::sregex_iterator(); ++r) {
        const std::string cells = (*r)[1];
        std::vector<std::string> texts;
        for (auto c = std::sregex_iterator(cells.begin(), cells.end(), cell); c != std::sregex_iterator(); ++c) {
            texts.push_back(Unescape(std::regex_replace((*c)[1].str(), tag, "")));
        }
        if (!texts.empty()) rows.push_back(texts);
    }
    return rows;
}

// The code of a "You type" cell: the text before any remark in brackets.
std::string Typed(const std::string& cell) { return cell.substr(0, cell.find(" (")); }

class HelpPage : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream file(QUILLET_HELP_PAGE);
        page = {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(page.empty());
    }
    bool Create(const std::string& text) {
        fake::Reset();
        fake::AddFolder("C:\\Data");
        MessageBuffer.reset(new char[MessageBufferSize]);
        TargetPath.reset(new char[TargetPathSize]);
        std::strcpy(TargetPath.get(), "C:\\Data");
        const bool created = CreateFromText(text);
        ReleaseBuffers();
        return created;
    }
    std::string page;
};

TEST_F(HelpPage, EveryExampleMakesTheFoldersThePageNames) {
    const auto rows = TableRows(page, "example-table");
    ASSERT_GE(rows.size(), 5u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_TRUE(Create(row[0]));
        std::vector<std::string> named;
        const std::regex separator(", ");
        std::copy(std::sregex_token_iterator(row[1].begin(), row[1].end(), separator, -1), {}, std::back_inserter(named));
        std::vector<std::string> made;
        for (const std::string& path : fake::TheVolume().createCalls) made.push_back(path.substr(std::strlen("C:\\Data\\")));
        std::sort(named.begin(), named.end());
        std::sort(made.begin(), made.end());
        EXPECT_EQ(made, named);
    }
}

TEST_F(HelpPage, EveryRefusalGivesTheMessageThePageQuotesAndCreatesNothing) {
    const auto rows = TableRows(page, "refusal-table");
    ASSERT_GE(rows.size(), 8u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1]);
        EXPECT_FALSE(Create(Typed(row[1])));
        EXPECT_EQ(ShownErrors(), std::vector<std::string>{row[2]});
        EXPECT_TRUE(fake::TheVolume().createCalls.empty());
    }
}

}  // namespace
