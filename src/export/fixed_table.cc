#include "export/fixed_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/regional_settings.h"

namespace pharmex::exporting {

namespace {

// One assignment of a record, resolved for the run.
struct Step {
  int order;
  dbf::TDbfField* field;
  FixedValue value;
  size_t slot;  // the column's place in the row, for column and header
};

std::vector<std::string> specifications(std::span<const FixedField> fields) {
  std::vector<std::string> result;
  result.reserve(fields.size());
  for (const FixedField& field : fields)
    result.emplace_back(field.specification);
  return result;
}

std::string_view field_name(std::string_view specification) {
  return specification.substr(0, specification.find(';'));
}

std::vector<Step> plan(dbf::TDbfDataSet& table, FixedRow& row, std::span<const FixedField> fields) {
  std::vector<Step> steps;
  for (const FixedField& field : fields) {
    if (field.value.kind == FixedValue::Kind::not_assigned) continue;
    Step step{field.fill_step, &table.FieldByName(field_name(field.specification)), field.value, 0};
    if (field.value.kind == FixedValue::Kind::column) {
      step.slot = row.column_slot(field.value.column);
    } else if (field.value.kind == FixedValue::Kind::header) {
      step.slot = row.header_slot(field.value.column);
    }
    steps.push_back(step);
  }
  std::sort(steps.begin(), steps.end(),
            [](const Step& a, const Step& b) { return a.order < b.order; });
  return steps;
}

void fill(const std::vector<Step>& steps, FixedRow& row) {
  row.next_row();
  for (const Step& step : steps) {
    switch (step.value.kind) {
      case FixedValue::Kind::null:
        step.field->Clear();
        break;
      case FixedValue::Kind::column:
        if (step.value.convert != nullptr) {
          step.field->SetValue(step.value.convert(row.value(step.slot), row.settings()));
          break;
        }
        [[fallthrough]];
      case FixedValue::Kind::header:
        row.copy_value(step.slot, *step.field);
        break;
      case FixedValue::Kind::total:
        step.field->SetReal(row.total(step.value.total));
        break;
      case FixedValue::Kind::computed:
        step.value.compute(row, *step.field);
        break;
      case FixedValue::Kind::not_assigned:
        break;
    }
  }
}

}  // namespace

void write_fixed_table(TableRun& run, const FixedLayout& layout, const FixedInput& input) {
  run.create(specifications(layout.fields));
  FixedRow row(input.walked, input.headers, input.settings, layout.total_count, input.header_moves);
  const std::vector<Step> steps = plan(run.table(), row, layout.fields);
  RowSum sum;
  if (layout.sum != nullptr) {
    sum = [&row, &layout] {
      row.next_row();
      layout.sum(row);
    };
  }
  write_rows(
      run, input.walked, input.passes, [&steps, &row] { fill(steps, row); }, sum);
}

void write_fixed_waybill_table(TableRun& run, WaybillLines& waybill, const FixedLayout& layout) {
  const RegionalSettings& settings = run.settings();
  write_fixed_table(run, layout,
                    {waybill.lines(), &waybill.headers(), settings,
                     [&waybill, &settings] { return waybill.current_line_passes(settings); },
                     &waybill.header_moves()});
}

}  // namespace pharmex::exporting
