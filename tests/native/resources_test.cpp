// The resource scripts and help pages as text: everything Qor shows exists in Japanese and in
// English.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {
std::string sourceFile(const char* path) {
  std::ifstream file(std::string(QOR_SOURCE_DIR) + "/" + path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Every first capture group of pattern in text.
std::vector<std::string> matches(const std::string& text, const char* pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto m = std::sregex_iterator(text.begin(), text.end(), re); m != std::sregex_iterator(); ++m)
    found.push_back((*m)[1]);
  return found;
}

// A script's string table: id and text, a quote written doubled read as one.
std::map<std::string, std::string> stringTable(const std::string& script) {
  std::map<std::string, std::string> table;
  const std::regex entry(R"re(\n  (IDS_\w+) "((?:[^"]|"")*)")re");
  for (auto m = std::sregex_iterator(script.begin(), script.end(), entry); m != std::sregex_iterator(); ++m)
    EXPECT_TRUE(table.emplace((*m)[1], std::regex_replace((*m)[2].str(), std::regex("\"\""), "\""))
                    .second) << "twice: " << (*m)[1];
  return table;
}

std::string formats(const std::string& text) {
  std::string f;
  for (const std::string& m : matches(text, "(%[0-9]*[a-z])")) f += m;
  return f;
}

size_t characters(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}
}  // namespace

TEST(Resources, EveryStringComesInJapaneseAndEnglish) {
  const std::string ids = sourceFile("resources/resource.h");
  const std::set<std::string> defined = [&] {
    auto v = matches(ids, R"(#define (IDS_\w+) )");
    return std::set<std::string>(v.begin(), v.end());
  }();
  ASSERT_GT(defined.size(), 40u);
  const char* scripts[] = {"resources/ja.rc", "resources/en.rc"};
  std::map<std::string, std::string> tables[2];
  for (int i = 0; i < 2; ++i) {
    tables[i] = stringTable(sourceFile(scripts[i]));
    std::set<std::string> listed;
    for (const auto& entry : tables[i]) listed.insert(entry.first);
    EXPECT_EQ(listed, defined) << scripts[i];
  }
  // Formatted the same in both, and the balloon's text fits its 255 characters with either button.
  for (const auto& entry : tables[0])
    EXPECT_EQ(formats(tables[1][entry.first]), formats(entry.second)) << entry.first;
  for (const auto& table : tables)
    for (const char* pan : {"IDS_WELCOME_CLICK_PAN", "IDS_WELCOME_DRAG_PAN"})
      for (const char* button : {"IDS_WELCOME_RIGHT", "IDS_WELCOME_MIDDLE"})
        EXPECT_LE(characters(table.at(pan)) - 2 + characters(table.at(button)) +
                      characters(table.at("IDS_WELCOME_TEXT")), 255u) << pan << button;
  // Help opens either page at the same anchors.
  std::vector<std::string> anchors[2];
  for (int i = 0; i < 2; ++i) {
    anchors[i] = matches(sourceFile(i ? "resources/help/Qor.en.html" : "resources/help/Qor.html"),
                         R"re(id="(\w+)")re");
    std::sort(anchors[i].begin(), anchors[i].end());
  }
  EXPECT_GT(anchors[0].size(), 40u);
  EXPECT_EQ(anchors[1], anchors[0]);
}

// Every help context id the settings dialog's tables give a control opens the page at an anchor
// of its own ("h" and the id), as do the help commands; Qor.en.html has the same anchors.
TEST(Resources, EveryHelpIdHasItsAnchorInThePage) {
  const std::string page = sourceFile("resources/help/Qor.html");
  std::vector<std::string> anchors = {"contents", "index"};
  int tables = 0;
  for (const char* code : {"ui/settings_dialog.cpp", "ui/settings_pages.cpp"})
    for (const std::string& table : matches(sourceFile(code), R"(const DWORD k\w*HelpIds\[\] = \{([^}]*)\})")) {
      ++tables;
      for (const std::string& id : matches(table, R"(\b[A-Z]\w*,\s*(\d+))"))  // control, help id
        anchors.push_back("h" + id);
    }
  EXPECT_EQ(tables, 5);  // the dialog's and its four pages'
  for (const std::string& anchor : anchors)
    EXPECT_NE(page.find("id=\"" + anchor + "\""), std::string::npos) << anchor;
}
