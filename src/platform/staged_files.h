// StagedFiles: the temporary files of one run that writes its files beside
// their targets and puts them in the targets' places only once they are
// whole (the text layouts' exporting::AtomicTextFile, the table engine's
// dbf::TTableStage). Until then the targets are untouched, so a run that
// fails, or is killed, leaves them as they were.
//
//   std::unique_ptr<StagedFiles> staged = StagedFiles::claim_beside(files, "/out/w.SST");
//   std::string temporary = staged->path("text");  // /out/.~pharmex-3f0c5a9e71d2b804.text
//   ... write it whole and close it ...
//   files.rename(temporary, "/out/w.SST");
//   staged.reset();  // removes what is left of the run's files, then its lock
//
// Names. A run's files are ".~pharmex-<id>.<role>" in the target's folder:
// <id> is 16 hexadecimal digits drawn at random for the run, <role> a word
// of lower-case letters saying what the file is ("text", "table", "memo").
// No partner takes such a file for one of its tables or waybills: the name
// ends in none of their extensions (.dbf, .dbt, .fpt, .SST, .txt, nor does
// its Windows short name), it starts with no target's name, and the leading
// dot hides it from listings that leave dot files out.
//
// Life. A run holds ".~pharmex-<id>.lock" open, exclusively, from before its
// first file until after its last one is gone. The system lets go of a
// killed run's hold together with its process: a lock nobody holds belongs
// to a run that is over, a held one to a run still writing.
//
// Left-overs. Before it claims its id, a run clears the folder of what runs
// that are over left there: for every id it finds whose lock can be removed
// (remove() refuses a file somebody holds) or is gone, the id's files are
// removed. The files of a run still writing are never touched, also when
// several runs write into one folder at once, in one process or several, on
// this machine or on another one (through a share that keeps the sharing
// modes).
//
// Several files in turn. A run that puts more than one file in place, one
// after another (a table and its memo file), holds the folder's lock
// ".~pharmex.folder" meanwhile, so that two such runs never mix their steps.
//
// One object is used by one thread; the file system must outlive it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace pharmex::platform {

class StagedFiles {
 public:
  // A new run's claim in the folder of `target` (an ANSI path), after the
  // folder's left-overs are cleared. Null when no lock file can be made
  // there (a missing or read-only folder, for one).
  static std::unique_ptr<StagedFiles> claim_beside(FileSystem& files, std::string_view target);

  // Gives up the folder's lock, removes every file of the run named by
  // path() that is still there, then the run's lock. Never throws.
  // REQUIRES: the run's files are closed.
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // The temporary path of the run's file of `role` (lower-case letters).
  std::string path(std::string_view role);

  // Waits for the folder's lock, up to about five seconds while another run
  // holds it: true when it is held. Does nothing when already held.
  bool lock_folder();
  // Gives it up (and removes its file when nobody waits for it).
  void unlock_folder();

  // True when a file may take the place of `target`: its name is one the
  // system can hold, no folder is there, and there is no file there or the
  // one there may be opened for writing (a rename would replace a read-only
  // file, or one held exclusively by its reader, as if it were free).
  static bool may_replace(FileSystem& files, std::string_view target);

  // The id of a run's file name (its 16 digits), "" when the name is none of
  // a run's.
  static std::string_view id_of(std::string_view file_name);

 private:
  StagedFiles(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {}

  void clear_left_overs();
  bool claim_id();
  std::string path_of(std::string_view id, std::string_view role) const;

  FileSystem& files_;
  std::string folder_;  // "" or ending with a separator
  std::string id_;
  std::unique_ptr<File> lock_;
  std::unique_ptr<File> folder_lock_;
  std::vector<std::string> roles_;
};

}  // namespace pharmex::platform
