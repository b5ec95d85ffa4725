// The tool's manual is one text: --help prints it, usage errors quote its
// synopsis, and the man page is made from it. These tests hold it complete
// (every command, every option of the synopsis described) and the man page
// faithful to it.
#include "manual.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "man_page.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::run_cli;

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// The lines of one section of the manual.
std::vector<std::string> section(const std::string& heading) {
  std::vector<std::string> lines;
  bool in = false;
  for (const std::string& line : lines_of(manual_text())) {
    if (!line.empty() && line[0] != ' ') in = line == heading;
    if (in && line != heading) lines.push_back(line);
  }
  return lines;
}

// "--name" tokens of a text.
std::set<std::string> options_in(const std::string& text) {
  std::set<std::string> options;
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
    size_t end = at + 2;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-'))
      ++end;
    if (end > at + 2) options.insert(text.substr(at, end - at));
    at = end - 2;
  }
  return options;
}

TEST(ManualTest, HelpPrintsTheManual) {
  auto result = run_cli({"--help"});
  EXPECT_EQ(result.code, kDone);
  EXPECT_EQ(result.out, manual_text());
}

TEST(ManualTest, IsAsciiAndGivesEveryCommandItsSynopsis) {
  for (char c : manual_text())
    ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "the manual is ASCII";
  for (const Command& command : commands()) {
    const std::vector<std::string> synopsis = synopsis_of(command.name);
    ASSERT_FALSE(synopsis.empty()) << command.name;
    EXPECT_EQ(synopsis[0].rfind(std::string("pharmex ") + command.name + " ", 0), 0u);
  }
}

TEST(ManualTest, DescribesEveryOptionOfTheSynopsis) {
  std::string synopsis, terms;
  for (const std::string& line : section("SYNOPSIS"))
    synopsis += line + "\n";
  for (const std::string& line : section("OPTIONS")) {
    if (line.rfind("  --", 0) == 0) terms += line + "\n";
  }
  const std::set<std::string> described = options_in(terms);
  for (const std::string& option : options_in(synopsis))
    EXPECT_TRUE(described.contains(option)) << option << " is not described under OPTIONS";
}

TEST(ManPageTest, SaysWhatTheManualSays) {
  const std::string page = man_page(manual_text(), "1.2.3", "2026-12-10");
  EXPECT_EQ(page.rfind(".TH PHARMEX 1 \"2026-12-10\" \"pharmex 1.2.3\" \"User Commands\"\n", 0),
            0u);
  EXPECT_NE(page.find(".SH NAME\npharmex \\- pharmacy data exchange"), std::string::npos);
  for (const std::string& line : lines_of(manual_text())) {
    if (!line.empty() && line[0] != ' ' && line.find(" - ") == std::string::npos) {
      EXPECT_NE(page.find("\n.SH " + line + "\n"), std::string::npos) << line;
    }
  }
  for (const Command& command : commands()) {
    for (std::string line : synopsis_of(command.name)) {
      std::string escaped;
      for (char c : line)
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
      EXPECT_NE(page.find("\n" + escaped + "\n"), std::string::npos) << line;
    }
  }
  // Every line roff reads as a request is one of the man macros used.
  const std::set<std::string> requests = {".TH", ".SH", ".TP", ".PP", ".IP",
                                          ".RS", ".RE", ".nf", ".fi"};
  for (const std::string& line : lines_of(page)) {
    if (line.empty() || (line[0] != '.' && line[0] != '\'')) continue;
    EXPECT_TRUE(requests.contains(line.substr(0, 3))) << line;
  }
}

TEST(ManPageTest, MarksTermsParagraphsAndVerbatimLinesAndEscapesWhatRoffWouldRead) {
  const std::string manual =
      "tool - does things\n"
      "\n"
      "SYNOPSIS\n"
      "    tool --out PATH\n"
      "\n"
      "OPTIONS\n"
      "  --out PATH\n"
      "      Writes to PATH, a-b.\n"
      "\n"
      "      .dot and \\back\n"
      "\n"
      "  A paragraph, -x.\n";
  EXPECT_EQ(man_page(manual, "1", "2026-01-02"),
            ".TH PHARMEX 1 \"2026-01-02\" \"pharmex 1\" \"User Commands\"\n"
            ".SH NAME\n"
            "tool \\- does things\n"
            ".SH SYNOPSIS\n"
            ".RS 4\n.nf\ntool \\-\\-out PATH\n.fi\n.RE\n"
            ".SH OPTIONS\n"
            ".TP\n\\fB\\-\\-out PATH\\fR\n"
            "Writes to PATH, a-b.\n"
            ".IP\n\\&.dot and \\eback\n"
            ".PP\nA paragraph, \\-x.\n");
}

}  // namespace
}  // namespace pharmex::cli
