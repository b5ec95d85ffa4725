#include "export/fixed_table.h"

#include <string>
#include <utility>
#include <vector>

#include "export/row_loop.h"

namespace pharmex::exporting {

namespace {

struct Step {
  dbf::TDbfField* field;
  bool from_host;
  host::HostField column;
  Variant (*convert)(const Variant& value);
};

std::vector<Step> resolve(dbf::TDbfDataSet& table, const host::HostDataSet& source,
                          std::span<const FixedAssignment> assignments) {
  std::vector<Step> steps;
  steps.reserve(assignments.size());
  for (const FixedAssignment& assignment : assignments) {
    Step step{
        &table.FieldByName(assignment.field), !assignment.column.empty(), {}, assignment.convert};
    if (step.from_host) step.column = source.field_by_name(assignment.column);
    steps.push_back(std::move(step));
  }
  return steps;
}

void fill(const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    if (!step.from_host) {
      step.field->Clear();
      continue;
    }
    Variant value = step.column.value();
    step.field->SetValue(step.convert != nullptr ? step.convert(value) : value);
  }
}

}  // namespace

void write_fixed_table(TableRun& run, const host::HostDataSet& source, const FixedLayout& layout) {
  run.create(std::vector<std::string>(layout.fields.begin(), layout.fields.end()));
  std::vector<Step> steps = resolve(run.table(), source, layout.assignments);
  write_rows(run, source, {}, [&steps] { fill(steps); });
}

}  // namespace pharmex::exporting
