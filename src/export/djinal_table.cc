#include "export/djinal_table.h"

#include <string>
#include <vector>

#include "core/regional_settings.h"
#include "export/waybill_amounts.h"

namespace pharmex::exporting {

namespace {

// In table order, each with the offset of its first byte in the record (byte 0
// is the deletion flag); 713 bytes in all. Fields the routine never assigns
// keep the value of a new record: blanks, and 0 in the numeric fields.
std::vector<std::string> field_specifications() {
  return {
      "NDOC;C;20;0",     // 1
      "DATEDOC;D;0;0",   // 21
      "CODEPST;C;12;0",  // 29
      "EAN13;C;13;0",    // 41
      "PRICE1;N;9;2",    // 54
      "PRICE2;N;9;2",    // 63
      "PRICE2N;N;9;2",   // 72
      "PRCIMP;N;9;2",    // 81
      "PRCOPT;N;9;2",    // 90
      "QNT;N;9;2",       // 99
      "SER;C;20;0",      // 108
      "GDATE;D;0;0",     // 128
      "DateMade;D;0;0",  // 136
      "NAME;C;80;0",     // 144
      "CNTR;C;15;0",     // 224
      "FIRM;C;40;0",     // 239
      "QNTPACK;N;8;0",   // 279
      "NDS;N;9;2",       // 287
      "NSP;N;9;2",       // 296
      "GNVLS;N;1;0",     // 305
      "REGPRC;N;9;2",    // 306
      "DATEPRC;D;0;0",   // 315
      "NUMGTD;C;30;0",   // 323
      "SERTIF;C;80;0",   // 353
      "SERTDATE;D;0;0",  // 433
      "SERTORG;C;80;0",  // 441
      "SUMPAY;N;9;2",    // 521
      "SUMNDS10;N;9;2",  // 530
      "SUMNDS20;N;9;2",  // 539
      "SUM10;N;9;2",     // 548
      "SUM20;N;9;2",     // 557
      "SUM0;N;9;2",      // 566
      "EXCHCODE;N;1;0",  // 575
      "ERATE;N;9;2",     // 576
      "PODRCD;C;12;0",   // 585
      "NUMZ;N;8;0",      // 597
      "DATEZ;D;0;0",     // 605
      "DESCR;C;100;0"    // 613
  };
}

// The host columns the table reads, looked up once per run.
struct Columns {
  explicit Columns(const WaybillLines& waybill)
      : native_id(waybill.header_column("native_id")),
        date(waybill.header_column("date")),
        orderdescr(waybill.header_column("orderdescr")),
        price(waybill.line_column("price")),
        qty(waybill.line_column("qty")),
        nds(waybill.line_column("nds")),
        art_id(waybill.line_column("art_id")),
        ean13(waybill.line_column("ean13")),
        serial(waybill.line_column("serial")),
        dateworklast(waybill.line_column("dateworklast")),
        dateworkfirst(waybill.line_column("dateworkfirst")),
        art_name(waybill.line_column("art_name")),
        country(waybill.line_column("country")),
        maker(waybill.line_column("maker")),
        box(waybill.line_column("box")),
        gtd(waybill.line_column("gtd")),
        sertname(waybill.line_column("sertname")),
        datesertlast(waybill.line_column("datesertlast")) {}

  host::HostField native_id, date, orderdescr;
  host::HostField price, qty, nds, art_id, ean13, serial, dateworklast, dateworkfirst, art_name,
      country, maker, box, gtd, sertname, datesertlast;
};

// The table fields the routine assigns, looked up once per run.
struct Fields {
  explicit Fields(dbf::TDbfDataSet& table)
      : ndoc(&table.FieldByName("NDOC")),
        datedoc(&table.FieldByName("DATEDOC")),
        codepst(&table.FieldByName("CODEPST")),
        ean13(&table.FieldByName("EAN13")),
        price2(&table.FieldByName("PRICE2")),
        price2n(&table.FieldByName("PRICE2N")),
        qnt(&table.FieldByName("QNT")),
        ser(&table.FieldByName("SER")),
        gdate(&table.FieldByName("GDATE")),
        datemade(&table.FieldByName("DateMade")),
        name(&table.FieldByName("NAME")),
        cntr(&table.FieldByName("CNTR")),
        firm(&table.FieldByName("FIRM")),
        descr(&table.FieldByName("DESCR")),
        qntpack(&table.FieldByName("QNTPACK")),
        nds(&table.FieldByName("NDS")),
        numgtd(&table.FieldByName("NUMGTD")),
        sertif(&table.FieldByName("SERTIF")),
        sertdate(&table.FieldByName("SERTDATE")),
        sumpay(&table.FieldByName("SUMPAY")),
        sumnds10(&table.FieldByName("SUMNDS10")),
        sumnds20(&table.FieldByName("SUMNDS20")),
        sum10(&table.FieldByName("SUM10")),
        sum20(&table.FieldByName("SUM20")) {}

  dbf::TDbfField *ndoc, *datedoc, *codepst, *ean13, *price2, *price2n, *qnt, *ser, *gdate,
      *datemade, *name, *cntr, *firm, *descr, *qntpack, *nds, *numgtd, *sertif, *sertdate, *sumpay,
      *sumnds10, *sumnds20, *sum10, *sum20;
};

// The waybill totals: the amount ("price" x "qty") of all lines and of the
// 10 and 20 per cent lines, and the VAT in one unit (not multiplied by
// "qty") summed over the 10 and 20 per cent lines. Partner systems read the
// VAT sums as they are, per unit.
struct Totals {
  double amount = 0;
  double amount10 = 0;
  double amount20 = 0;
  double vat10 = 0;
  double vat20 = 0;
};

// The first pass: every line of the lines dataset, with no filter.
Totals sum_totals(host::HostDataSet& lines, const Columns& c, const RegionalSettings& settings) {
  Totals totals;
  lines.first();
  while (!lines.eof()) {
    Variant price = c.price.value();
    Variant nds = c.nds.value();
    Variant amount = multiply(price, c.qty.value(), settings);
    bool ten = vat_rate_is(nds, 10, settings);
    bool twenty = vat_rate_is(nds, 20, settings);
    if (ten) totals.amount10 = add_to_total(totals.amount10, amount, settings);
    if (twenty) totals.amount20 = add_to_total(totals.amount20, amount, settings);
    if (ten) totals.vat10 = add_to_total(totals.vat10, unit_vat(price, nds, settings), settings);
    if (twenty) totals.vat20 = add_to_total(totals.vat20, unit_vat(price, nds, settings), settings);
    totals.amount = add_to_total(totals.amount, amount, settings);
    lines.next();
  }
  return totals;
}

// "box" as a whole number, halves to the even neighbour; an empty one fails.
Variant whole_box(const Variant& box, const RegionalSettings& settings) {
  return Variant::integer(box.to_int32(settings));
}

// The record of the current line, in the order the fields are assigned (a
// failure names the first field that cannot take its value).
void fill_record(const Fields& f, const Columns& c, const Totals& totals,
                 const RegionalSettings& settings) {
  Variant price = c.price.value();
  Variant nds = c.nds.value();
  f.ndoc->SetValue(c.native_id.value());
  f.datedoc->SetValue(c.date.value());
  f.codepst->SetValue(c.art_id.value());
  f.ean13->SetValue(c.ean13.value());
  f.price2->SetValue(price);
  f.price2n->SetValue(price_without_vat(price, nds, settings));
  f.qnt->SetValue(c.qty.value());
  f.ser->SetValue(c.serial.value());
  f.gdate->SetValue(c.dateworklast.value());
  f.datemade->SetValue(c.dateworkfirst.value());
  f.name->SetValue(c.art_name.value());
  f.cntr->SetValue(c.country.value());
  f.firm->SetValue(c.maker.value());
  f.descr->SetValue(c.orderdescr.value());
  f.qntpack->SetValue(whole_box(c.box.value(), settings));
  f.nds->SetValue(nds);
  f.numgtd->SetValue(c.gtd.value());
  f.sertif->SetValue(c.sertname.value());
  f.sertdate->SetValue(c.datesertlast.value());
  f.sumpay->SetValue(Variant::real(totals.amount));
  f.sumnds10->SetValue(Variant::real(totals.amount10));
  f.sumnds20->SetValue(Variant::real(totals.amount20));
  f.sum10->SetValue(Variant::real(totals.vat10));
  f.sum20->SetValue(Variant::real(totals.vat20));
}

}  // namespace

void write_djinal_table(TableRun& run, WaybillLines& waybill) {
  run.create(field_specifications());
  // Host values are combined, and the table's fields convert them, by the
  // process-wide settings.
  const RegionalSettings settings = regional_settings();
  const Columns columns(waybill);
  const Fields fields(run.table());
  host::HostDataSet& lines = waybill.lines();
  host::ProgressReporter progress = run.progress(lines.record_count());
  const Totals totals = sum_totals(lines, columns, settings);
  lines.first();
  while (!lines.eof()) {
    if (waybill.current_line_passes(settings)) {
      run.table().Append();
      fill_record(fields, columns, totals, settings);
      run.table().Post();
      progress.row_done();
    }
    lines.next();
  }
  progress.finish();
}

}  // namespace pharmex::exporting
