#include "bench_data.h"

#include <string_view>

namespace pharmex::bench {

namespace {

// 2025-01-01 in days since 1899-12-30, the host's date-time origin.
constexpr double kBaseDate = 45658;
constexpr int32_t kFirstWaybill = 1001;
constexpr int64_t kFirstWaybillNumber = 4817;

constexpr std::u16string_view kArticleNames[] = {
    u"Парацетамол таб. 500мг №",        u"Аспирин Кардио таб. 100мг №", u"Нурофен таб. п/о 200мг №",
    u"Бинт стерильный 7м х 14см, уп. ", u"Амоксициллин капс. 500мг №",  u"Но-шпа таб. 40мг №",
    u"Валидол таб. подъязычные 60мг №", u"Фурацилин таб. д/р-ра 20мг №"};
constexpr std::u16string_view kMakers[] = {u"Фармстандарт-Лексредства ОАО",
                                           u"Байер Консьюмер Кэр АГ",
                                           u"Рекитт Бенкизер Хелскэр",
                                           u"Эвтекс ООО",
                                           u"Хинойн Завод Фармацевтических и Химических Продуктов",
                                           u"Татхимфармпрепараты ОАО"};
constexpr std::u16string_view kCountries[] = {u"Россия", u"Германия", u"Великобритания", u"Венгрия",
                                              u"Индия"};
constexpr std::u16string_view kGroups[] = {u"Анальгетики", u"Антибиотики", u"Перевязочные средства",
                                           u"Витамины", u"Сердечно-сосудистые"};

template <size_t N>
std::u16string_view pick(const std::u16string_view (&pool)[N], int64_t row) {
  return pool[static_cast<size_t>(row) % N];
}

// Lines: the columns every waybill layout reads.
void waybill_id(int64_t row, PxVariant* out) {
  set_integer(out, kFirstWaybill + static_cast<int32_t>(row / kLinesPerWaybill));
}
void small_price(int64_t row, PxVariant* out) {
  set_double(out, 0.05 + static_cast<double>(row * 37 % 100) / 100);
}
void small_qty(int64_t row, PxVariant* out) {
  set_double(out, row % 3 == 0 ? 2 : 1);
}
void vat_rate(int64_t row, PxVariant* out) {
  static constexpr double kRates[] = {10, 20, 10, 18};
  set_double(out, kRates[row % 4]);
}
void article_id(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(50000 + row));
}
void article_name(int64_t row, PxVariant* out) {
  set_text(out, pick(kArticleNames, row), 10 + row % 40);
}
void maker(int64_t row, PxVariant* out) {
  set_text(out, pick(kMakers, row));
}
void country(int64_t row, PxVariant* out) {
  if (row % 10 == 9) {
    out->vt = PX_VT_NULL;
  } else {
    set_text(out, pick(kCountries, row));
  }
}
void box(int64_t row, PxVariant* out) {
  set_double(out, static_cast<double>(1 + row % 40));
}
void serial(int64_t row, PxVariant* out) {
  set_text(out, u"S", 100000 + row % 900000);
}
void made(int64_t row, PxVariant* out) {
  set_date(out, kBaseDate - static_cast<double>(row % 700));
}
void expires(int64_t row, PxVariant* out) {
  set_date(out, kBaseDate + 730 + static_cast<double>(row % 700));
}
void customs(int64_t row, PxVariant* out) {
  set_text(out, u"10130032/150126/", 1000000 + row % 9000000);
}
void certificate(int64_t row, PxVariant* out) {
  set_text(out, u"РОСС RU.ФМ01.Д", 10000 + row % 90000);
}
void certificate_ends(int64_t row, PxVariant* out) {
  set_date(out, kBaseDate + 365 + static_cast<double>(row % 300));
}
void barcode(int64_t row, PxVariant* out) {
  set_text(out, u"460", 1000000000 + row % 1000000000);
}

// Waybill headers.
void waybill_header_id(int64_t row, PxVariant* out) {
  set_integer(out, kFirstWaybill + static_cast<int32_t>(row));
}
void waybill_number(int64_t row, PxVariant* out) {
  set_text(out, u"", kFirstWaybillNumber + row);
}
void document_date(int64_t row, PxVariant* out) {
  set_date(out, kBaseDate + static_cast<double>(row % 30));
}
void header_supplier(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(3 + row % 5));
}
void description(int64_t row, PxVariant* out) {
  set_text(out, u"Поставка по заказу ", 77 + row);
}

int64_t locate_waybill(std::u16string_view key_fields, const PxVariant& key) {
  int64_t id = 0;
  if (key_fields != u"id" || !key_number(key, &id)) return -1;
  return id - kFirstWaybill;
}

// Suppliers.
void supplier_id(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(row + 1));
}
void supplier_name(int64_t row, PxVariant* out) {
  set_text(out, u"ООО Фармация-Регион ", row + 1);
}
void supplier_inn(int64_t row, PxVariant* out) {
  set_text(out, u"77", 10000000 + row);
}
const std::u16string& memo_prefix() {
  static const std::u16string kPrefix = [] {
    const std::u16string_view phrase =
        u"Поставщик лекарственных средств и изделий медицинского назначения; ";
    std::u16string text;
    while (text.size() < kMemoLength - 7)
      text.append(phrase);
    text.resize(kMemoLength - 7);
    return text;
  }();
  return kPrefix;
}
void supplier_memo(int64_t row, PxVariant* out) {
  set_text(out, memo_prefix(), 1000000 + row % 9000000);  // 7 digits: 600 in all
}

// Orders.
void order_header_id(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(row + 1));
}
void order_number(int64_t row, PxVariant* out) {
  set_text(out, u"З-", 1000 + row);
}
void order_of_line(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(row / kLinesPerOrder + 1));
}
void price(int64_t row, PxVariant* out) {
  set_double(out, 10 + static_cast<double>(row * 7919 % 99000) / 100);
}
void whole_qty(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(1 + row % 20));
}
void whole_vat_rate(int64_t row, PxVariant* out) {
  set_integer(out, row % 3 == 0 ? 20 : 10);
}

int64_t locate_order(std::u16string_view key_fields, const PxVariant& key) {
  int64_t id = 0;
  if (key_fields != u"id" || !key_number(key, &id)) return -1;
  return id - 1;
}

// Price list.
void price_supplier(int64_t, PxVariant* out) {
  set_integer(out, kPriceSupplier);
}
void price_article(int64_t row, PxVariant* out) {
  set_integer(out, static_cast<int32_t>(kFirstPriceArticle + row));
}
void group(int64_t row, PxVariant* out) {
  set_text(out, pick(kGroups, row));
}
void flag(int64_t row, PxVariant* out) {
  out->vt = PX_VT_BOOL;
  out->value.boolean = row % 7 == 0 ? -1 : 0;
}
void remainder(int64_t row, PxVariant* out) {
  set_double(out, static_cast<double>(row % 500) + 0.5);
}

int64_t locate_price(std::u16string_view key_fields, const PxVariant& key) {
  const PxVariant* supplier = key_item(key, 0);
  const PxVariant* article = key_item(key, 1);
  int64_t supplier_id = 0;
  int64_t article_id = 0;
  if (key_fields != u"suppliers_id;art_id" || supplier == nullptr || article == nullptr ||
      !key_number(*supplier, &supplier_id) || !key_number(*article, &article_id) ||
      supplier_id != kPriceSupplier) {
    return -1;
  }
  return article_id - kFirstPriceArticle;
}

int64_t headers_for(int64_t lines, int64_t per_header) {
  return lines / per_header + 1;
}

}  // namespace

SyntheticTable supplier_table(int64_t rows) {
  return {{{u"id", ftInteger, 0, supplier_id},
           {u"name", ftString, 60, supplier_name},
           {u"inn", ftString, 12, supplier_inn}},
          rows};
}

SyntheticTable supplier_memo_table(int64_t rows) {
  return {{{u"id", ftInteger, 0, supplier_id},
           {u"name", ftString, kMemoLength, supplier_memo},
           {u"inn", ftString, 12, supplier_inn}},
          rows};
}

SyntheticTable order_header_table(int64_t lines) {
  return {{{u"id", ftInteger, 0, order_header_id},
           {u"native_id", ftString, 20, order_number},
           {u"date", ftDate, 0, document_date},
           {u"suppliers_id", ftInteger, 0, header_supplier}},
          headers_for(lines, kLinesPerOrder),
          locate_order};
}

SyntheticTable order_line_table(int64_t lines) {
  return {{{u"orderheads_id", ftInteger, 0, order_of_line},
           {u"art_id", ftInteger, 0, article_id},
           {u"art_name", ftString, 80, article_name},
           {u"maker", ftString, 40, maker},
           {u"box", ftFloat, 0, box},
           {u"dateworkfirst", ftDate, 0, made},
           {u"dateworklast", ftDate, 0, expires},
           {u"qty", ftInteger, 0, whole_qty},
           {u"price", ftFloat, 0, price},
           {u"nds", ftInteger, 0, whole_vat_rate}},
          lines};
}

SyntheticTable price_table(int64_t rows) {
  return {{{u"suppliers_id", ftInteger, 0, price_supplier},
           {u"art_id", ftInteger, 0, price_article},
           {u"art_name", ftString, 80, article_name},
           {u"maker", ftString, 40, maker},
           {u"country", ftString, 15, country},
           {u"box", ftFloat, 0, box},
           {u"dateworkfirst", ftDate, 0, made},
           {u"dateworklast", ftDate, 0, expires},
           {u"price", ftFloat, 0, price},
           {u"nds", ftInteger, 0, whole_vat_rate},
           {u"groups1_name", ftString, 40, group},
           {u"groups2_name", ftString, 40, group},
           {u"groups3_name", ftString, 40, group},
           {u"groups4_name", ftString, 40, group},
           {u"groups_new", ftBoolean, 0, flag},
           {u"isadvertising", ftBoolean, 0, flag},
           {u"remainder", ftFloat, 0, remainder},
           {u"remainder_wait", ftFloat, 0, remainder},
           {u"ean13", ftString, 13, barcode}},
          rows,
          locate_price};
}

SyntheticTable waybill_header_table(int64_t lines) {
  return {{{u"id", ftInteger, 0, waybill_header_id},
           {u"native_id", ftString, 20, waybill_number},
           {u"date", ftDate, 0, document_date},
           {u"suppliers_id", ftInteger, 0, header_supplier},
           {u"orderdescr", ftString, 100, description}},
          headers_for(lines, kLinesPerWaybill),
          locate_waybill};
}

SyntheticTable waybill_line_table(int64_t lines) {
  return {{{u"waybillheads_id", ftInteger, 0, waybill_id},
           {u"price", ftFloat, 0, small_price},
           {u"qty", ftFloat, 0, small_qty},
           {u"nds", ftFloat, 0, vat_rate},
           {u"art_id", ftInteger, 0, article_id},
           {u"art_name", ftString, 80, article_name},
           {u"maker", ftString, 40, maker},
           {u"country", ftString, 15, country},
           {u"box", ftFloat, 0, box},
           {u"serial", ftString, 20, serial},
           {u"dateworkfirst", ftDate, 0, made},
           {u"dateworklast", ftDate, 0, expires},
           {u"gtd", ftString, 30, customs},
           {u"sertname", ftString, 80, certificate},
           {u"datesertlast", ftDate, 0, certificate_ends},
           {u"ean13", ftString, 13, barcode}},
          lines};
}

std::string first_waybill_number() {
  return std::to_string(kFirstWaybillNumber);
}

}  // namespace pharmex::bench
