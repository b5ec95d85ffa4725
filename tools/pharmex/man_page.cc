#include "man_page.h"

#include <vector>

namespace pharmex::cli {

namespace {

size_t indent_of(std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  return first == std::string_view::npos ? line.size() : first;
}

bool blank(std::string_view line) {
  return line.find_first_not_of(' ') == std::string_view::npos;
}

// Text for roff: backslashes as \e, and a "-" as the minus sign \- where it
// starts an option (after a blank, a bracket, a bar or another "-"), or
// everywhere when `all_minus`.
std::string escaped(std::string_view text, bool all_minus) {
  std::string out;
  char previous = ' ';
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && (all_minus || previous == ' ' || previous == '[' || previous == '(' ||
                            previous == '|' || previous == '-')) {
      out += "\\-";
    } else {
      out.push_back(c);
    }
    previous = c;
  }
  // A line starting with "." or "'" would be a request.
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void line(std::string_view text) {
    out_.append(text);
    out_.push_back('\n');
  }
  void end_verbatim() {
    if (!verbatim_) return;
    line(".fi");
    line(".RE");
    verbatim_ = false;
  }
  void verbatim(std::string_view text) {
    if (!verbatim_) {
      if (!fresh_) line(".PP");
      line(".RS 4");
      line(".nf");
      verbatim_ = true;
    }
    line(escaped(text, true));
    fresh_ = false;
  }
  void heading(std::string_view text) {
    end_verbatim();
    line(".SH " + std::string(text));
    fresh_ = true;
    in_term_ = false;
  }
  void term(std::string_view text) {
    end_verbatim();
    line(".TP");
    line("\\fB" + escaped(text, true) + "\\fR");
    in_term_ = true;
    fresh_ = true;
  }
  // A paragraph line; `starts` when a blank line came before it.
  void text(std::string_view text, bool starts, bool in_term) {
    end_verbatim();
    if (!in_term) in_term_ = false;
    if (starts && !fresh_) line(in_term_ ? ".IP" : ".PP");
    line(escaped(text, false));
    fresh_ = false;
  }

 private:
  std::string& out_;
  bool verbatim_ = false;
  bool fresh_ = true;  // nothing written since the heading or term
  bool in_term_ = false;
};

}  // namespace

std::string man_page(std::string_view manual, std::string_view version, std::string_view date) {
  const std::vector<std::string_view> lines = lines_of(manual);
  std::string out;
  Writer writer(out);
  writer.line(".TH PHARMEX 1 \"" + std::string(date) + "\" \"pharmex " + std::string(version) +
              "\" \"User Commands\"");
  if (lines.empty()) return out;
  writer.heading("NAME");
  std::string title(lines[0]);
  const size_t dash = title.find(" - ");
  if (dash != std::string::npos) title.replace(dash, 3, " \\- ");
  writer.line(title);
  bool after_blank = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (blank(line)) {
      writer.end_verbatim();
      after_blank = true;
      continue;
    }
    const size_t indent = indent_of(line);
    const std::string_view text = line.substr(indent);
    const bool next_is_description =
        i + 1 < lines.size() && !blank(lines[i + 1]) && indent_of(lines[i + 1]) == 6;
    if (indent == 0) {
      writer.heading(text);
    } else if (indent == 4) {
      writer.verbatim(text);
    } else if (indent == 2 && next_is_description) {
      writer.term(text);
    } else {
      writer.text(text, after_blank, indent == 6);
    }
    after_blank = false;
  }
  writer.end_verbatim();
  return out;
}

}  // namespace pharmex::cli
