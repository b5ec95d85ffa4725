#include "memhost/csv_file_rows.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/error.h"
#include "memhost/csv_scanner.h"
#include "memhost/csv_value.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

// Decodes UTF-8 that the scan found valid into `units` (at least one unit
// a byte); the count of units, or nothing when it is not valid after all.
std::optional<size_t> decode_utf8(std::string_view text, char16_t* units) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  char16_t* next = units;
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time while they are all ASCII, or eight whole
  // two-byte sequences (a Cyrillic word); a window of other bytes goes one
  // sequence at a time.
  size_t one_by_one_until = 0;
#endif
  while (i < n) {
#if defined(__SSE2__)
    if (i >= one_by_one_until) {
      while (n - i >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        if (_mm_movemask_epi8(chunk) == 0) {
          const __m128i zero = _mm_setzero_si128();
          _mm_storeu_si128(reinterpret_cast<__m128i*>(next), _mm_unpacklo_epi8(chunk, zero));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(next + 8), _mm_unpackhi_epi8(chunk, zero));
          next += 16;
          i += 16;
          continue;
        }
        // As eight 16-bit lanes: a lead 110xxxxx in the low byte and a
        // continuation 10yyyyyy in the high byte of each.
        const __m128i pattern = _mm_and_si128(chunk, _mm_set1_epi16(static_cast<short>(0xC0E0)));
        if (_mm_movemask_epi8(
                _mm_cmpeq_epi16(pattern, _mm_set1_epi16(static_cast<short>(0x80C0)))) != 0xFFFF) {
          one_by_one_until = i + 16;
          break;
        }
        const __m128i code =
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(chunk, _mm_set1_epi16(0x001F)), 6),
                         _mm_and_si128(_mm_srli_epi16(chunk, 8), _mm_set1_epi16(0x003F)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(next), code);
        next += 8;
        i += 16;
      }
      if (i == n) break;
    }
#endif
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      *next++ = lead;
      ++i;
      continue;
    }
    // A lead 110xxxxx and a continuation 10yyyyyy.
    if (i + 1 < n && ((lead & 0xE0) | (bytes[i + 1] & 0xC0) << 8) == 0x80C0) {
      *next++ = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    const size_t length = lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF8 ? 4 : 0;
    if (length == 0 || n - i < length) return std::nullopt;
    char32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return std::nullopt;
      code = code << 6 | (bytes[i + k] & 0x3F);
    }
    i += length;
    if (code >= 0x10000) {
      *next++ = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      *next++ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      *next++ = static_cast<char16_t>(code);
    }
  }
  return static_cast<size_t>(next - units);
}

// Writes the host's form of a value read as plain data into `out`, as
// AbiVariant makes it of the same value as a Variant.
void write_abi_scalar(const CsvScalar& scalar, PxVariant& out) {
  switch (scalar.kind) {
    case Variant::Kind::SmallInt:
      out.value.i2 = static_cast<int16_t>(scalar.whole);
      out.vt = PX_VT_I2;
      break;
    case Variant::Kind::Integer:
      out.value.i4 = static_cast<int32_t>(scalar.whole);
      out.vt = PX_VT_I4;
      break;
    case Variant::Kind::Int64:
      out.value.i8 = scalar.whole;
      out.vt = PX_VT_I8;
      break;
    case Variant::Kind::Double:
      out.value.r8 = scalar.real;
      out.vt = PX_VT_R8;
      break;
    case Variant::Kind::Currency:
      out.value.cy = scalar.whole;
      out.vt = PX_VT_CY;
      break;
    case Variant::Kind::Date:
      out.value.date = scalar.real;
      out.vt = PX_VT_DATE;
      break;
    case Variant::Kind::Boolean:
      out.value.boolean = scalar.whole != 0 ? -1 : 0;
      out.vt = PX_VT_BOOL;
      break;
    default:
      out = AbiVariant(scalar.to_variant()).release();
      break;
  }
}

}  // namespace

CsvFileRows::CsvFileRows(std::unique_ptr<CheckedFile> file) : file_(std::move(file)) {}

std::unique_ptr<CsvFileRows> CsvFileRows::open(const std::string& path) {
  auto file = std::make_unique<CheckedFile>(platform::text_codec().utf8_to_ansi(path));
  std::unique_ptr<CsvFileRows> rows(new CsvFileRows(std::move(file)));
  CsvScanner scanner(*rows->file_, path);
  rows->columns_ = scanner.read_header();
  uint64_t offset = 0;
  while (scanner.next_row(offset, nullptr))
    rows->offsets_.push_back(offset);
  rows->end_ = scanner.end();
  rows->file_->finish_first_reading();
  for (const Column& column : rows->columns_)
    rows->kinds_.push_back(column_kind(column.type));
  rows->values_.resize(rows->columns_.size());
  rows->read_.resize(rows->columns_.size());
  return rows;
}

void CsvFileRows::changed() const {
  raise<Error>("The file %s changed while it was read", {file_->path()});
}

void CsvFileRows::load(size_t row) const {
  row_ = kNoRow;
  const uint64_t start = offsets_[row];
  const uint64_t end = row + 1 < offsets_.size() ? offsets_[row + 1] : end_;
  std::string_view bytes =
      file_->bytes(start, static_cast<size_t>(end - start), row == previous_row_ + 1);
  const CsvSplitResult split = split_csv_record(bytes, true, record_);
  if (split.outcome != CsvSplit::kRecord || split.length != bytes.size() ||
      record_.cells.size() != columns_.size()) {
    changed();
  }
  std::fill(read_.begin(), read_.end(), uint8_t{0});
  row_ = previous_row_ = row;
}

const Variant& CsvFileRows::value(size_t row, size_t column) const {
  if (row != row_) load(row);
  Variant& value = values_[column];
  if (!read_[column]) {
    if (record_.is_null(column)) {
      value = Variant::null();
    } else if (kinds_[column] == Variant::Kind::String) {
      value = Variant::string(platform::utf8_to_utf16(record_.text(column, scratch_)));
    } else {
      std::optional<CsvScalar> scalar =
          parse_csv_scalar(record_.text(column, scratch_), columns_[column].type);
      if (!scalar) changed();  // the scan found it valid
      value = scalar->to_variant();
    }
    read_[column] = 1;
  }
  return value;
}

void CsvFileRows::abi_value(size_t row, size_t column, PxVariant& out) const {
  if (row != row_) load(row);
  if (read_[column] || record_.is_null(column)) {
    out = AbiVariant(value(row, column)).release();
    return;
  }
  std::string_view text = record_.text(column, scratch_);
  if (kinds_[column] != Variant::Kind::String) {
    std::optional<CsvScalar> scalar = parse_csv_scalar(text, columns_[column].type);
    if (!scalar) changed();  // the scan found it valid
    write_abi_scalar(*scalar, out);
    return;
  }
  if (units_.size() < text.size()) units_.resize(text.size());
  std::optional<size_t> count = decode_utf8(text, units_.data());
  if (!count) {
    out = AbiVariant(value(row, column)).release();
    return;
  }
  out.value.bstr = make_abi_string(std::u16string_view(units_.data(), *count));
  out.vt = PX_VT_BSTR;
}

}  // namespace pharmex::memhost
