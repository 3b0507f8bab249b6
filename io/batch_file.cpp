// Batch definition file (*.bdf): plain text, no header, read line by line
// (CR LF, CR or LF ends a line; Ctrl-Z ends the file).  Each line is one text
// of at most 255 characters; the rest of a longer line is skipped.  One item
// is ten consecutive lines, items follow each other directly:
//
//   line  content                                   becomes
//    1    free title of the item                    window caption / console line
//    2    projectile file (*.prj)                   InputFileSet::Projectile
//    3    target file (*.trg)                       InputFileSet::Target
//    4    model file (*.mdl)                        InputFileSet::Model
//    5    run file (*.run)                          InputFileSet::Run
//    6    impact file (*.imp)                       InputFileSet::Impact
//    7    inelastic parameter file (*.inl)          InputFileSet::Inelastic
//    8    initial-conditions output file            OutputFileSet::InitialConditions
//    9    dynamical-variables output file           OutputFileSet::DynamicalVariables
//   10    inelastic-events output file              OutputFileSet::InelasticEvents
//
// Names are used as written: relative names are relative to the process's
// current directory.  The two result tables (StoreResults) have no line of
// their own: each item writes them beside its dynamical-variables file, its
// name with the extension replaced by ".results.csv" and ".sputtered.csv",
// so that the items of a batch over energies or angles keep theirs apart.  Lines missing at the end of the file read as empty, so
// blank lines after the last item make another item whose names are empty.
#include "io/batch_file.h"

#include "core/number_text.h"

namespace vantrel {

namespace {

// A 255-character line is at most this many bytes of UTF-8.
constexpr std::size_t LineByteLimit = ShortTextLimit * 4;

}  // namespace

std::string ResultTableName(std::string_view dynamicalVariables, std::string_view extension) {
    std::string name(dynamicalVariables);
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
    return name + std::string(extension);
}

BatchDefinitionFile::BatchDefinitionFile(std::string_view path) : file_(path) {}

std::string BatchDefinitionFile::ReadLine() {
    std::string line = CutText(file_.ReadString(LineByteLimit), ShortTextLimit);
    file_.SkipLine();
    return line;
}

bool BatchDefinitionFile::ReadItem(BatchItem& item) {
    item.Title = ReadLine();
    item.Inputs.Projectile = ReadLine();
    item.Inputs.Target = ReadLine();
    item.Inputs.Model = ReadLine();
    item.Inputs.Run = ReadLine();
    item.Inputs.Impact = ReadLine();
    item.Inputs.Inelastic = ReadLine();
    item.Outputs.InitialConditions = ReadLine();
    item.Outputs.DynamicalVariables = ReadLine();
    item.Outputs.InelasticEvents = ReadLine();
    item.Outputs.Results = ResultTableName(item.Outputs.DynamicalVariables, ".results.csv");
    item.Outputs.Sputtered = ResultTableName(item.Outputs.DynamicalVariables, ".sputtered.csv");
    return !file_.Failed();
}

}  // namespace vantrel
