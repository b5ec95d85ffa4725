#include "export/apteka_m_table.h"

#include <string>
#include <vector>

#include "core/regional_settings.h"
#include "export/waybill_amounts.h"

namespace pharmex::exporting {

namespace {

// In table order, each with the offset of its first byte in the record (byte 0
// is the deletion flag); 319 bytes in all. "CODEPST" and "NDS" have no
// decimals and 20 digits: the table dataset holds them as 64-bit whole
// numbers. "PRPOST" is never assigned and keeps the 0.00000 of a new record.
std::vector<std::string> field_specifications() {
  return {
      "CNTR;C;20;0",       // 1
      "QNT;N;20;2",        // 21
      "FIRM;C;20;0",       // 41
      "NAME;C;50;0",       // 61
      "CODEPST;N;20;0",    // 111
      "PRICEPR;N;20;2",    // 131
      "PRICEPOST;N;20;2",  // 151
      "SERIA;C;20;0",      // 171
      "GDATE;D;0;0",       // 191
      "PRPOST;N;20;5",     // 199
      "NDS;N;20;0",        // 219
      "NUMGTD;C;20;0",     // 239
      "SERTIF;C;20;0",     // 259
      "SUMM;N;20;2",       // 279
      "SUMMNDS;N;20;2"     // 299
  };
}

// The lines-dataset columns the table reads, looked up once per run.
struct Columns {
  explicit Columns(const WaybillLines& waybill)
      : price(waybill.line_column("price")),
        qty(waybill.line_column("qty")),
        nds(waybill.line_column("nds")),
        country(waybill.line_column("country")),
        maker(waybill.line_column("maker")),
        art_name(waybill.line_column("art_name")),
        art_id(waybill.line_column("art_id")),
        serial(waybill.line_column("serial")),
        dateworklast(waybill.line_column("dateworklast")),
        gtd(waybill.line_column("gtd")),
        sertname(waybill.line_column("sertname")) {}

  host::HostField price, qty, nds, country, maker, art_name, art_id, serial, dateworklast, gtd,
      sertname;
};

// The table fields the routine assigns, looked up once per run.
struct Fields {
  explicit Fields(dbf::TDbfDataSet& table)
      : cntr(&table.FieldByName("CNTR")),
        qnt(&table.FieldByName("QNT")),
        firm(&table.FieldByName("FIRM")),
        name(&table.FieldByName("NAME")),
        codepst(&table.FieldByName("CODEPST")),
        pricepr(&table.FieldByName("PRICEPR")),
        pricepost(&table.FieldByName("PRICEPOST")),
        seria(&table.FieldByName("SERIA")),
        gdate(&table.FieldByName("GDATE")),
        nds(&table.FieldByName("NDS")),
        numgtd(&table.FieldByName("NUMGTD")),
        sertif(&table.FieldByName("SERTIF")),
        summ(&table.FieldByName("SUMM")),
        summnds(&table.FieldByName("SUMMNDS")) {}

  dbf::TDbfField *cntr, *qnt, *firm, *name, *codepst, *pricepr, *pricepost, *seria, *gdate, *nds,
      *numgtd, *sertif, *summ, *summnds;
};

// The record of the current line, in the order the fields are assigned (a
// failure names the first field that cannot take its value).
void fill_record(const Fields& f, const Columns& c, const RegionalSettings& settings) {
  Variant price = c.price.value();
  Variant qty = c.qty.value();
  Variant nds = c.nds.value();
  f.cntr->SetValue(c.country.value());
  f.qnt->SetValue(qty);
  f.firm->SetValue(c.maker.value());
  f.name->SetValue(c.art_name.value());
  f.codepst->SetValue(c.art_id.value());
  f.pricepr->SetValue(price_without_vat(price, nds, settings));
  f.pricepost->SetValue(price);
  f.seria->SetValue(c.serial.value());
  f.gdate->SetValue(c.dateworklast.value());
  f.nds->SetValue(nds);
  f.numgtd->SetValue(c.gtd.value());
  f.sertif->SetValue(c.sertname.value());
  f.summ->SetValue(multiply(price, qty, settings));
  f.summnds->SetValue(multiply(unit_vat(price, nds, settings), qty, settings));
}

}  // namespace

void write_apteka_m_table(TableRun& run, WaybillLines& waybill) {
  run.create(field_specifications());
  // Host values are combined, and the table's fields convert them, by the
  // process-wide settings.
  const RegionalSettings settings = regional_settings();
  const Columns columns(waybill);
  const Fields fields(run.table());
  host::HostDataSet& lines = waybill.lines();
  host::ProgressReporter progress = run.progress(lines.record_count());
  lines.first();
  while (!lines.eof()) {
    if (waybill.current_line_passes(settings)) {
      run.table().Append();
      fill_record(fields, columns, settings);
      run.table().Post();
      progress.row_done();
    }
    lines.next();
  }
  progress.finish();
}

}  // namespace pharmex::exporting
