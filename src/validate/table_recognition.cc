#include "validate/table_recognition.h"

#include <algorithm>
#include <vector>

#include "validate/layout_catalogue.h"

namespace pharmex::validate {

namespace {

// Below this a layout explains too little of the file to be taken for it.
constexpr double kLeastScore = 0.5;

std::vector<std::string> layout_names(const TableLayout& layout) {
  if (layout.form == TableForm::generic) return layout.names;
  std::vector<std::string> names;
  for (const ExpectedField& field : layout.fields)
    names.push_back(field.name);
  return names;
}

size_t shared(const TableStructure& table, const std::vector<std::string>& names) {
  return static_cast<size_t>(
      std::count_if(table.fields.begin(), table.fields.end(), [&](const Descriptor& field) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& name) { return field.named(name); });
      }));
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names)
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

}  // namespace

std::optional<Recognition> recognise_table(const TableStructure& table, bool order_files_only) {
  std::optional<Recognition> best;
  std::pair<double, double> best_score{0, 0};
  for (const TableLayout& layout : LayoutCatalogue::instance().tables()) {
    const bool order_file = layout.form == TableForm::order_file;
    if (order_files_only && !order_file) continue;
    const std::vector<std::string> names = layout_names(layout);
    const size_t common = shared(table, names);
    if (common == 0) continue;
    const double of_file = static_cast<double>(common) / static_cast<double>(table.fields.size());
    const double of_layout = static_cast<double>(common) / static_cast<double>(names.size());
    double score = 0;
    switch (layout.form) {
      case TableForm::fixed:  // the shared names over all names of both
        score = static_cast<double>(common) /
                static_cast<double>(table.fields.size() + names.size() - common);
        break;
      case TableForm::generic:  // a generic table has some of its columns
        score = of_file;
        break;
      case TableForm::order_file:  // the fields the import reads, among the partner's
        score = common == names.size() ? 0.5 + 0.5 * of_file : 0.5 * of_layout;
        break;
    }
    const std::pair<double, double> ranked{score, of_layout};
    if (score < kLeastScore || ranked <= best_score) continue;
    best_score = ranked;
    std::string reason;
    if (order_file && common == names.size()) {
      reason = "it has the fields its import reads (" + joined(names) + ")";
    } else if (common == table.fields.size() && common == names.size()) {
      reason = "its " + std::to_string(common) + " fields are those of the layout";
    } else {
      reason = std::to_string(common) + " of its " + std::to_string(table.fields.size()) +
               " fields are among the layout's " + std::to_string(names.size());
    }
    best = Recognition{&layout, std::move(reason)};
  }
  return best;
}

}  // namespace pharmex::validate
