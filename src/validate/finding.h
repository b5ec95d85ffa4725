// Finding: one defect that `pharmex validate` reports about a file, with
// where it is (the file, the record or line, the field, the byte offset) and
// what the layout expects there. A note is a finding that does not break the
// layout but that a partner may still question (a waybill's total that its
// records do not add up to, since the library counts lines it leaves out);
// it does not make the file fail. Texts are UTF-8, ready to be shown; bytes of
// the file that appear in them are decoded by the file's code page and
// escaped (validate/shown_bytes.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pharmex::validate {

struct Finding {
  // Where in the file: the table header and its field descriptors, one record
  // (tables) or one line (text files), a block of the memo file, or the file
  // as a whole.
  enum class Place { file, header, record, line, memo };

  std::string file;  // the table, its memo file or the text file, as named
  Place place = Place::file;
  int64_t number = 0;              // the record or line, from 1; 0 for the other places
  std::string field;               // the field's name, "field 6" in a text record; may be ""
  std::optional<uint64_t> offset;  // byte offset in `file`
  std::string problem;             // what is wrong
  std::string expected;            // what the layout expects there; may be ""
  bool note = false;
};

// The findings of one file, in the order they were found.
class Findings {
 public:
  explicit Findings(std::string file) : file_(std::move(file)) {}

  const std::string& file() const { return file_; }
  const std::vector<Finding>& all() const { return findings_; }

  void add(Finding finding) { findings_.push_back(std::move(finding)); }
  // A finding in the table or text file itself.
  void add(Finding::Place place, int64_t number, std::string field, std::optional<uint64_t> offset,
           std::string problem, std::string expected = {});
  // A note at a byte of the file.
  void add_note(Finding::Place place, int64_t number, std::optional<uint64_t> offset,
                std::string problem, std::string expected);

 private:
  std::string file_;
  std::vector<Finding> findings_;
};

}  // namespace pharmex::validate
