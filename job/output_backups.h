// How a job treats the files it writes, so that no result is lost without a
// word:
//
// - A file the job creates before its first run is set up (the
//   dynamical-variables and the inelastic-events file) is written under a
//   staging name beside its own ("dynvars.vsk.part").  A job that ends before
//   its first run is set up (a garbled input file, a declined summary)
//   deletes the staged files, so the files of the previous job stay as they
//   were.
// - Once the first run is set up the job has started: the staged files move
//   to their names.  A file of an earlier job under such a name is kept as a
//   backup ("dynvars.vsk~", replacing an older backup), and so is the
//   initial-conditions file when the job first writes it.
// - The job ends with one log line per backup made:
//   "  Previous dynvars.vsk kept as dynvars.vsk~".
//
// A folder where the staging file cannot be created (a writable file in a
// read-only folder), and a name that is no regular file (a device such as
// /dev/null), get the file written under its own name at once, as before,
// without a backup.  Files are moved while open, which POSIX allows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// "name.part": where a file waits until the job has started.
std::string StagingName(std::string_view name);
// "name~": the previous job's file under a name.
std::string BackupName(std::string_view name);
// The file part of a path, for log lines that must stay short.
std::string BareFileName(std::string_view name);

// Whether a file may be staged for name: there is nothing under the name
// yet, or a regular file.  A device or pipe ("/dev/null") is written as it
// is, never moved over.
bool CanStage(const std::string& name);
// Keeps an existing file under name as BackupName(name), replacing an older
// backup.  True when a file was kept.
bool KeepAsBackup(const std::string& name);
// Moves the staged file to name, keeping a file already there as backup.
// backedUp tells whether one was kept.  False when the move failed (the
// staged file then stays where it is).
bool PlaceStagedFile(const std::string& staged, const std::string& name, bool& backedUp);
// Deletes a staged file, if there is one.
void DiscardStagedFile(const std::string& staged);

// The log line of a backup: "  Previous <file> kept as <file>~".
std::string BackupNoteText(std::string_view name);

// One job's record of its output files' names and backups.
struct OutputBackups {
    bool Started = false;  // the first run is set up: every file is under its name
    // Files written under their staging names, to be placed or discarded.
    std::vector<std::string> Staged;      // staging names
    std::vector<std::string> StagedFor;   // their final names, in the same order
    bool InitialConditionsKept = false;   // the first initial-conditions write of the job is behind
    std::vector<std::string> BackedUp;    // final names whose previous file was kept, in order
};

// Places every staged file (the job has started).  A file that cannot be
// moved stays under its staging name; its name is returned so the job can
// say so.
std::vector<std::string> PlaceStagedFiles(OutputBackups& backups);
// Deletes every staged file (the job ends before it started).
void DiscardStagedFiles(OutputBackups& backups);

}  // namespace vantrel
