// The host data of the benchmarks: synthetic datasets whose rows look like a
// pharmacy host's (Cyrillic article names and makers, prices, VAT rates,
// dates, certificates), generated from the row number.
//
// Waybill lines carry small prices (0.05 to 1.04, one or two units): the
// Djinal layout repeats the waybill totals in 9-character fields with two
// decimals in every record, so the sum of all amounts must stay below
// 1 000 000, which these values keep up to about 1.3 million lines.
#pragma once

#include <cstdint>
#include <string>

#include "synthetic_dataset.h"

namespace pharmex::bench {

// Waybill lines per waybill header.
inline constexpr int64_t kLinesPerWaybill = 1000;
// Order lines per order header.
inline constexpr int64_t kLinesPerOrder = 100;
// Characters of a supplier name that becomes a memo.
inline constexpr int kMemoLength = 600;
// The supplier every price-list row belongs to (the Khabarovsk and Unico
// readers match only supplier 3) and the first article number.
inline constexpr int kPriceSupplier = 3;
inline constexpr int64_t kFirstPriceArticle = 100000;

// Suppliers: "id" (integer), "name" (string 60), "inn" (not exported).
SyntheticTable supplier_table(int64_t rows);
// The same with a "name" of 600 characters in a string column of size 600,
// which the export turns into a memo field.
SyntheticTable supplier_memo_table(int64_t rows);

// Order headers and lines ("orderheads_id" points at a header "id").
SyntheticTable order_header_table(int64_t lines);
SyntheticTable order_line_table(int64_t lines);

// The price list: supplier kPriceSupplier, articles from kFirstPriceArticle,
// with every column the three price layouts read. Locate answers
// "suppliers_id;art_id".
SyntheticTable price_table(int64_t rows);

// Waybill headers (Locate answers "id") and lines.
SyntheticTable waybill_header_table(int64_t lines);
SyntheticTable waybill_line_table(int64_t lines);

// The "native_id" of the first waybill header, which names the export's file.
std::string first_waybill_number();

}  // namespace pharmex::bench
