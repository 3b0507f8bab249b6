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
// current directory.  Lines missing at the end of the file read as empty, so
// blank lines after the last item make another item whose names are empty.
#include "io/batch_file.h"

#include "core/number_text.h"

namespace vantrel {

namespace {

// A 255-character line is at most this many bytes of UTF-8.
constexpr std::size_t LineByteLimit = ShortTextLimit * 4;

}  // namespace

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
    return !file_.Failed();
}

}  // namespace vantrel
