#include "djinal_record.h"

#include <stdio.h>
#include <string.h>

const dj_field dj_fields[DJ_FIELD_COUNT] = {
    {"NDOC", 'C', 20, 0},    {"DATEDOC", 'D', 8, 0},  {"CODEPST", 'C', 12, 0},
    {"EAN13", 'C', 13, 0},   {"PRICE1", 'N', 9, 2},   {"PRICE2", 'N', 9, 2},
    {"PRICE2N", 'N', 9, 2},  {"PRCIMP", 'N', 9, 2},   {"PRCOPT", 'N', 9, 2},
    {"QNT", 'N', 9, 2},      {"SER", 'C', 20, 0},     {"GDATE", 'D', 8, 0},
    {"DATEMADE", 'D', 8, 0}, {"NAME", 'C', 80, 0},    {"CNTR", 'C', 15, 0},
    {"FIRM", 'C', 40, 0},    {"QNTPACK", 'N', 8, 0},  {"NDS", 'N', 9, 2},
    {"NSP", 'N', 9, 2},      {"GNVLS", 'N', 1, 0},    {"REGPRC", 'N', 9, 2},
    {"DATEPRC", 'D', 8, 0},  {"NUMGTD", 'C', 30, 0},  {"SERTIF", 'C', 80, 0},
    {"SERTDATE", 'D', 8, 0}, {"SERTORG", 'C', 80, 0}, {"SUMPAY", 'N', 9, 2},
    {"SUMNDS10", 'N', 9, 2}, {"SUMNDS20", 'N', 9, 2}, {"SUM10", 'N', 9, 2},
    {"SUM20", 'N', 9, 2},    {"SUM0", 'N', 9, 2},     {"EXCHCODE", 'N', 1, 0},
    {"ERATE", 'N', 9, 2},    {"PODRCD", 'C', 12, 0},  {"NUMZ", 'N', 8, 0},
    {"DATEZ", 'D', 8, 0},    {"DESCR", 'C', 100, 0}};

const int dj_assigned[DJ_ASSIGNED_COUNT] = {0,  1,  2,  3,  5,  6,  9,  10, 11, 12, 13, 14,
                                            15, 37, 16, 17, 22, 23, 24, 26, 27, 28, 29, 30};

static const char* const kNames[] = {
    "Парацетамол таб. 500мг №",        "Аспирин Кардио таб. 100мг №", "Нурофен таб. п/о 200мг №",
    "Бинт стерильный 7м х 14см, уп. ", "Амоксициллин капс. 500мг №",  "Но-шпа таб. 40мг №",
    "Валидол таб. подъязычные 60мг №", "Фурацилин таб. д/р-ра 20мг №"};
static const char* const kMakers[] = {"Фармстандарт-Лексредства ОАО",
                                      "Байер Консьюмер Кэр АГ",
                                      "Рекитт Бенкизер Хелскэр",
                                      "Эвтекс ООО",
                                      "Хинойн Завод Фармацевтических и Химических Продуктов",
                                      "Татхимфармпрепараты ОАО"};
static const char* const kCountries[] = {"Россия", "Германия", "Великобритания", "Венгрия",
                                         "Индия"};

/* The code-page-866 byte of a UTF-8 text's characters (Cyrillic, "№" and
 * ASCII are all these records hold). */
static void to_cp866(const char* utf8, char* out, size_t room) {
  size_t n = 0;
  const unsigned char* p = (const unsigned char*)utf8;
  while (*p != 0 && n + 1 < room) {
    unsigned code = *p++;
    if (code >= 0xC0 && code < 0xE0) {
      code = ((code & 0x1Fu) << 6) | (*p++ & 0x3Fu);
    } else if (code >= 0xE0) {
      code = ((code & 0x0Fu) << 12) | ((p[0] & 0x3Fu) << 6) | (p[1] & 0x3Fu);
      p += 2;
    }
    unsigned char byte = '?';
    if (code < 0x80) {
      byte = (unsigned char)code;
    } else if (code >= 0x410 && code <= 0x42F) {
      byte = (unsigned char)(0x80 + code - 0x410);
    } else if (code >= 0x430 && code <= 0x43F) {
      byte = (unsigned char)(0xA0 + code - 0x430);
    } else if (code >= 0x440 && code <= 0x44F) {
      byte = (unsigned char)(0xE0 + code - 0x440);
    } else if (code == 0x401) {
      byte = 0xF0;
    } else if (code == 0x451) {
      byte = 0xF1;
    } else if (code == 0x2116) {
      byte = 0xFC;
    }
    out[n++] = (char)byte;
  }
  out[n] = 0;
}

static void date_text(double days_after_2025, char* out) {
  /* Days from 2025-01-01, within a few years: walk the calendar. */
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  long days = (long)days_after_2025;
  int year = 2025;
  int month = 0;
  while (days < 0) {
    --year;
    days += (year % 4 == 0) ? 366 : 365;
  }
  for (;;) {
    int length = (year % 4 == 0) ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++year;
  }
  for (;;) {
    int length = kMonthDays[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
    if (days < length) break;
    days -= length;
    ++month;
  }
  int parts[3] = {year, month + 1, (int)days + 1};
  int widths[3] = {4, 2, 2};
  for (int p = 0, at = 0; p < 3; at += widths[p], ++p) {
    for (int i = widths[p] - 1, value = parts[p]; i >= 0; --i, value /= 10)
      out[at + i] = (char)('0' + value % 10);
  }
  out[8] = 0;
}

void dj_make_values(long row, dj_values* v) {
  static const double kRates[] = {10, 20, 10, 18};
  char utf8[128];
  memset(v, 0, sizeof *v);
  long r = row % DJ_POOL_SIZE;
  double price = 0.05 + (double)(r * 37 % 100) / 100;
  double rate = kRates[r % 4];
  snprintf(v->text[0], sizeof v->text[0], "%ld", 4817 + r / 100);
  date_text((double)(r % 30), v->text[1]);
  snprintf(v->text[2], sizeof v->text[2], "%ld", 50000 + r);
  snprintf(v->text[3], sizeof v->text[3], "460%ld", 1000000000 + r);
  v->number[5] = price;
  v->number[6] = price / (1 + rate / 100);
  v->number[9] = r % 3 == 0 ? 2 : 1;
  snprintf(v->text[10], sizeof v->text[10], "S%ld", 100000 + r);
  date_text((double)(730 + r % 700), v->text[11]);
  date_text(-(double)(r % 700), v->text[12]);
  snprintf(utf8, sizeof utf8, "%s%ld", kNames[r % 8], 10 + r % 40);
  to_cp866(utf8, v->text[13], sizeof v->text[13]);
  if (r % 10 != 9) to_cp866(kCountries[r % 5], v->text[14], sizeof v->text[14]);
  to_cp866(kMakers[r % 6], v->text[15], sizeof v->text[15]);
  v->number[16] = (double)(1 + r % 40);
  v->number[17] = rate;
  snprintf(v->text[22], sizeof v->text[22], "10130032/150126/%ld", 1000000 + r);
  snprintf(utf8, sizeof utf8, "РОСС RU.ФМ01.Д%ld", 10000 + r);
  to_cp866(utf8, v->text[23], sizeof v->text[23]);
  date_text((double)(365 + r % 300), v->text[24]);
  v->number[26] = 146500.27;
  v->number[27] = 73210.5;
  v->number[28] = 36640.12;
  v->number[29] = 3401.77;
  v->number[30] = 1880.41;
  snprintf(utf8, sizeof utf8, "Поставка по заказу %ld", 77 + r / 100);
  to_cp866(utf8, v->text[37], sizeof v->text[37]);
}

void dj_format_field(const dj_values* v, int field, char* out) {
  const dj_field* f = &dj_fields[field];
  char number[64];
  memset(out, ' ', (size_t)f->length);
  if (f->type == 'N') {
    int n = snprintf(number, sizeof number, "%.*f", f->decimals, v->number[field]);
    if (n > f->length) n = f->length;
    memcpy(out + f->length - n, number, (size_t)n);
  } else {
    size_t n = strlen(v->text[field]);
    if (n > (size_t)f->length) n = (size_t)f->length;
    memcpy(out, v->text[field], n);
  }
}

void dj_format_record(const dj_values* v, char* record) {
  int offset = 1;
  record[0] = ' ';
  for (int i = 0; i < DJ_FIELD_COUNT; ++i) {
    dj_format_field(v, i, record + offset);
    offset += dj_fields[i].length;
  }
}

void dj_format_header(char* header, unsigned record_count) {
  memset(header, 0, DJ_HEADER_LENGTH);
  header[0] = 0x03;
  header[1] = 25;
  header[2] = 1;
  header[3] = 1;
  header[4] = (char)(record_count & 0xFF);
  header[5] = (char)((record_count >> 8) & 0xFF);
  header[6] = (char)((record_count >> 16) & 0xFF);
  header[7] = (char)((record_count >> 24) & 0xFF);
  header[8] = (char)(DJ_HEADER_LENGTH & 0xFF);
  header[9] = (char)(DJ_HEADER_LENGTH >> 8);
  header[10] = (char)(DJ_RECORD_LENGTH & 0xFF);
  header[11] = (char)(DJ_RECORD_LENGTH >> 8);
  for (int i = 0; i < DJ_FIELD_COUNT; ++i) {
    char* d = header + 32 + 32 * i;
    strncpy(d, dj_fields[i].name, 10);
    d[11] = dj_fields[i].type;
    d[16] = (char)dj_fields[i].length;
    d[17] = (char)dj_fields[i].decimals;
  }
  header[DJ_HEADER_LENGTH - 1] = 0x0D;
}
