#include "dbf/dbf_builder.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "dbf/dbf_table.h"
#include "dbf/disk_file.h"
#include "dbf/memo_file.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::dbf {

namespace {

constexpr size_t kStoredNameLength = 10;

}  // namespace

TDbfBuilder::TDbfBuilder(std::string_view path, platform::FileSystem& file_system,
                         const platform::Clock& clock)
    : fs_(file_system), clock_(clock), path_(TDbfTable::TablePath(path)) {}

TDbfBuilder::~TDbfBuilder() = default;

std::string TDbfBuilder::MemoPath() const {
  return TMemoFile::MemoPath(path_, MemoExtension());
}

std::string TDbfBuilder::InitialMemo(std::string_view base_name) const {
  return TMemoFile::InitialHeader(base_name);
}

void TDbfBuilder::AddField(std::string_view name, char type, int32_t length, int32_t decimals) {
  if (name.empty()) return;
  Descriptor d{};
  const std::string upper = platform::text_codec().upper_ansi(name.substr(0, kStoredNameLength));
  std::copy(upper.begin(), upper.end(), d.begin());
  type = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
  d[format::kTypeOffset] = type;
  uint32_t bytes = static_cast<uint32_t>(length);
  switch (type) {
    case 'C':
      // The high byte of a long text field's length sits in the decimals byte.
      d[format::kLengthOffset] = static_cast<char>(length & 0xFF);
      d[format::kDecimalsOffset] = static_cast<char>((length >> 8) & 0xFF);
      break;
    case 'D':
      d[format::kLengthOffset] = 8;
      bytes = 8;
      break;
    case 'L':
      d[format::kLengthOffset] = 1;
      bytes = 1;
      break;
    case 'M':
    case 'B':
    case 'G':
      d[format::kLengthOffset] = 10;
      bytes = 10;
      has_memo_ = true;
      break;
    default:
      d[format::kLengthOffset] = static_cast<char>(length & 0xFF);
      d[format::kDecimalsOffset] = static_cast<char>(decimals & 0xFF);
      break;
  }
  record_length_ += bytes;
  descriptors_.push_back(d);
}

std::string TDbfBuilder::TableImage() const {
  const size_t fields = descriptors_.size();
  std::string image(format::kHeaderSize * (fields + 1) + 2, '\0');
  const DateParts today = clock_.now();
  image[format::kVersionOffset] =
      static_cast<char>(has_memo_ ? MemoVersion() : format::kVersionPlain);
  image[format::kDateOffset] = static_cast<char>(today.year % 100);
  image[format::kDateOffset + 1] = static_cast<char>(today.month);
  image[format::kDateOffset + 2] = static_cast<char>(today.day);
  format::EncodeFixed16(
      &image[format::kHeaderLengthOffset],
      static_cast<uint16_t>(format::kDescriptorSize * fields + format::kMinHeaderLength));
  format::EncodeFixed16(&image[format::kRecordLengthOffset], static_cast<uint16_t>(record_length_));
  for (size_t i = 0; i < fields; ++i) {
    std::copy(descriptors_[i].begin(), descriptors_[i].end(),
              image.begin() + static_cast<ptrdiff_t>(format::kHeaderSize * (i + 1)));
  }
  image[format::kHeaderSize * (fields + 1)] = static_cast<char>(format::kDescriptorEnd);
  image[format::kHeaderSize * (fields + 1) + 1] = format::kEndOfFile;
  return image;
}

void TDbfBuilder::WriteAside(std::string table_file, std::string memo_file) {
  aside_table_ = std::move(table_file);
  aside_memo_ = std::move(memo_file);
}

std::unique_ptr<TDiskFile> TDbfBuilder::WriteFile(const std::string& path, const std::string& shown,
                                                  const std::string& bytes) {
  // Created empty (replacing an old file), then opened for writing, not shared.
  auto file = std::make_unique<TDiskFile>(path, false, true, fs_);
  file->ShowAs(shown);
  file->CreateNew();
  file->WriteAt(0, bytes);
  return file;
}

void TDbfBuilder::CreateFiles() {
  CloseFiles();
  table_file_ = WriteFile(aside_table_.empty() ? path_ : aside_table_, path_, TableImage());
  if (has_memo_) {
    const std::string memo = MemoPath();
    memo_file_ = WriteFile(aside_memo_.empty() ? memo : aside_memo_, memo,
                           InitialMemo(platform::base_name(path_)));
  }
}

void TDbfBuilder::ShareFiles() {
  for (TDiskFile* file : {table_file_.get(), memo_file_.get()}) {
    if (file) file->Share();
  }
}

void TDbfBuilder::CloseFiles() {
  // They hold no lock: closing them cannot fail.
  memo_file_.reset();
  table_file_.reset();
}

}  // namespace pharmex::dbf
