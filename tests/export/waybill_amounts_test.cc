// The waybill amounts compute plain numbers on doubles, without a variant for
// each step: every case here must come out exactly as the variant rules
// compute it, operation by operation.
#include "export/waybill_amounts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"

namespace pharmex::exporting {
namespace {

const RegionalSettings kSettings{',', "dd.MM.yyyy", "H:mm:ss"};

// The operands hosts hand over: every numeric kind, text, null and the odd ones.
std::vector<Variant> Operands() {
  return {Variant::integer(10),
          Variant::small_int(20),
          Variant::int64(18),
          Variant::real(10.0),
          Variant::real(10.5),
          Variant::real(-0.0),
          Variant::real(std::nan("")),
          Variant::currency_units(100000),
          Variant::date(10),
          Variant::boolean(true),
          Variant::ascii("10"),
          Variant::ascii("10,0"),
          Variant::ascii("x"),
          Variant::null(),
          Variant(),
          Variant::real(156.4),
          Variant::integer(-100)};
}

// A result as its kind and the exact bits of its number, or the message of
// its failure.
template <class Compute>
std::string Outcome(Compute compute) {
  try {
    const Variant value = compute();
    if (value.is_null()) return "null";
    const auto bits = std::bit_cast<uint64_t>(value.to_double(kSettings));
    return std::string(Variant::kind_name(value.kind())) + " " + std::to_string(bits);
  } catch (const Error& e) {
    return e.what();
  }
}

TEST(WaybillAmountsTest, AVatRateIsWhatTheVariantComparisonSays) {
  for (const Variant& nds : Operands()) {
    for (int32_t rate : {0, 10, 18, 20, -1}) {
      bool by_rules = false;
      try {
        by_rules = compare(nds, Variant::integer(rate), kSettings) == Ordering::Equal;
      } catch (const Error&) {
        EXPECT_ANY_THROW(vat_rate_is(nds, rate, kSettings));
        continue;
      }
      EXPECT_EQ(vat_rate_is(nds, rate, kSettings), by_rules)
          << Variant::kind_name(nds.kind()) << " " << rate;
    }
  }
}

TEST(WaybillAmountsTest, PricesWithoutVatAreTheVariantRulesSteps) {
  const Variant one = Variant::integer(1);
  const Variant hundred = Variant::integer(100);
  for (const Variant& price : Operands()) {
    for (const Variant& nds : Operands()) {
      const auto by_rules = [&] {
        return divide(price, add(one, divide(nds, hundred, kSettings), kSettings), kSettings);
      };
      const auto net = [&] { return price_without_vat(price, nds, kSettings); };
      EXPECT_EQ(Outcome(net), Outcome(by_rules))
          << Variant::kind_name(price.kind()) << " / " << Variant::kind_name(nds.kind());
      EXPECT_EQ(Outcome([&] { return unit_vat(price, nds, kSettings); }),
                Outcome([&] { return subtract(price, by_rules(), kSettings); }))
          << Variant::kind_name(price.kind()) << " / " << Variant::kind_name(nds.kind());
    }
  }
}

}  // namespace
}  // namespace pharmex::exporting
