#include "dbf/create_dbf_dataset.h"

#include <utility>

#include "core/error.h"
#include "dbf/dbf4_builder.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_table.h"
#include "dbf/field_spec.h"
#include "dbf/fox_builder.h"

namespace pharmex::dbf {

TCreateDbfDataSet::TCreateDbfDataSet(EngineOptions options) : options_(std::move(options)) {}

std::unique_ptr<TDbfBuilder> TCreateDbfDataSet::NewBuilder(TDbfTypes type, std::string_view path,
                                                           platform::FileSystem& file_system,
                                                           const platform::Clock& clock) {
  switch (type) {
    case TDbfTypes::DBaseIV:
      return std::make_unique<TDbf4Builder>(path, file_system, clock);
    case TDbfTypes::FoxPro2:
      return std::make_unique<TFoxBuilder>(path, file_system, clock);
    case TDbfTypes::Clipper:
    case TDbfTypes::DBaseIII:
      break;
  }
  return std::make_unique<TDbfBuilder>(path, file_system, clock);
}

bool TCreateDbfDataSet::CreateTable() {
  if (!table_) raise<DatabaseError>("A table is not assigned to this object");
  if (table_->Active()) raise<DatabaseError>("Cannot perform this operation on an open table");
  // The file that will be written, and opened afterwards: the dataset adds
  // ".DBF" the same way.
  const std::string path = TDbfTable::TablePath(table_->TablePath());
  if (!auto_overwrite_ && options_.file_system->exists(TDiskFile::FullPath(path))) {
    if (!ask_ || !ask_(path)) return false;
  }
  std::optional<std::vector<TFieldSpec>> specs = ParseFieldList(create_fields_);
  if (!specs) raise<DatabaseError>("Field list is invalid");

  // Declared first, gone last: the builder's files are closed before a
  // stage that was not handed on removes them.
  std::unique_ptr<TTableStage> stage;
  std::unique_ptr<TDbfBuilder> builder =
      NewBuilder(type_, path, *options_.file_system, *options_.clock);
  for (const TFieldSpec& spec : *specs)
    builder->AddField(spec.name, spec.type, spec.length, spec.decimals);
  if (write_aside_) {
    stage = std::make_unique<TTableStage>(
        TDiskFile::FullPath(builder->Path()),
        builder->HasMemo() ? TDiskFile::FullPath(builder->MemoPath()) : std::string(),
        options_.file_system);
    builder->WriteAside(stage->TableFile(), stage->MemoFile());
  }
  builder->CreateFiles();
  // The new files stay ours until the dataset has them open: another export
  // to the same path cannot create them anew (cutting them under us) in
  // between, it is refused. A dataset that opens exclusively cannot join
  // the builder's claim; the files are handed over by closing and opening.
  if (table_->Exclusive()) {
    builder->CloseFiles();
  } else {
    builder->ShareFiles();
  }
  if (stage) table_->WriteAside(std::move(stage));
  try {
    table_->Open();
    TDbfFieldLayer& table = *table_->DBFObject();
    if (table.HasMemo()) table.OpenMemoAsCreated();
  } catch (...) {
    builder.reset();
    try {
      table_->Close();  // a table written aside goes with it
    } catch (...) {
      // The opening's failure is the one to report.
    }
    throw;
  }
  return true;
}

}  // namespace pharmex::dbf
