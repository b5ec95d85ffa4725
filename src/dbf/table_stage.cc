#include "dbf/table_stage.h"

#include <utility>
#include <vector>

#include "core/error.h"

namespace pharmex::dbf {

namespace {

// The renames of a commit so far, undone in reverse when a later one fails.
class Moves {
 public:
  explicit Moves(platform::FileSystem& files) : files_(files) {}

  // Renames `from` to `to`; `unused`: only while nobody has it open. On
  // failure the moves before are undone and "Error on Rename of file %s"
  // names `shown`.
  void Move(const std::string& from, const std::string& to, const std::string& shown,
            bool unused = false) {
    const bool moved = unused ? files_.rename_if_unused(from, to) : files_.rename(from, to);
    if (!moved) {
      Undo();
      raise<DbfError>("Error on Rename of file %s", {shown});
    }
    done_.emplace_back(from, to);
  }

 private:
  void Undo() {
    // Should one fail, the file stays under the stage's name, for the next
    // run into the folder to clear: the first failure is the one reported.
    for (auto it = done_.rbegin(); it != done_.rend(); ++it)
      files_.rename(it->second, it->first);
  }

  platform::FileSystem& files_;
  std::vector<std::pair<std::string, std::string>> done_;
};

}  // namespace

TTableStage::TTableStage(std::string table_path, std::string memo_path,
                         std::shared_ptr<platform::FileSystem> file_system)
    : files_(std::move(file_system)),
      table_path_(std::move(table_path)),
      memo_path_(std::move(memo_path)) {
  platform::FileSystem& files = *files_;
  if (!platform::StagedFiles::may_replace(files, table_path_)) {
    raise<DbfError>("Could not create file %s", {table_path_});
  }
  if (!memo_path_.empty() && !platform::StagedFiles::may_replace(files, memo_path_)) {
    raise<DbfError>("Could not create file %s", {memo_path_});
  }
  staged_ = platform::StagedFiles::claim_beside(files, table_path_);
  if (!staged_) raise<DbfError>("Could not create file %s", {table_path_});
  table_file_ = staged_->path("table");
  if (!memo_path_.empty()) memo_file_ = staged_->path("memo");
}

TTableStage::~TTableStage() = default;

void TTableStage::Commit() {
  platform::FileSystem& files = *files_;
  if (!staged_->lock_folder()) raise<DbfError>("Can not Lock file %s", {table_path_});
  try {
    Moves moves(files);
    if (!memo_path_.empty()) {
      // Whoever has the old table open (a reader that may still open its
      // memo file) keeps the old pair: refused before anything moved.
      if (files.exists(table_path_)) {
        moves.Move(table_path_, staged_->path("oldtable"), table_path_, true);
      }
      if (files.exists(memo_path_)) moves.Move(memo_path_, staged_->path("oldmemo"), memo_path_);
      moves.Move(memo_file_, memo_path_, memo_path_);
      moves.Move(table_file_, table_path_, table_path_);
    } else {
      // Refused while the old table is open, as on Windows: its reader may
      // still open the memo file it had, which a later pair would replace.
      moves.Move(table_file_, table_path_, table_path_, true);
    }
  } catch (...) {
    staged_->unlock_folder();
    throw;
  }
  staged_->unlock_folder();
}

}  // namespace pharmex::dbf
