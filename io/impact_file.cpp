// Impact file (*.imp): any number of lines, each
//
//   field  kind  unit  stored as
//   1      real  A     DeltaX       aim offset in x from target atom 1
//   2      real  A     DeltaY       aim offset in y from target atom 1
//   3      real  A     StartHeight  start height above target atom 1
//   then an optional label, skipped.
//
// The run driver skips RunOffset lines, then reads one line before every
// run and goes on while the file is not at its physical end.  The numbers
// are read with the ordinary numeric reads, so a line holding only two of
// them takes the third from the next line, and a blank line after the final
// line end is one more run whose three values read as 0.
#include "io/impact_file.h"

#include <string>

namespace vantrel {

bool ImpactFile::Open(std::string_view name) {
    messages_.clear();
    file_.emplace(name);
    if (!file_->Opened()) {
        file_.reset();
        messages_.push_back(ErrorLine("  File not found: " + std::string(name)));
        return false;
    }
    return true;
}

void ImpactFile::SkipLines(std::int32_t count) {
    if (!IsOpen()) return;
    // The end test keeps a huge offset from spinning at the end of the file.
    for (std::int32_t i = 0; i < count && !file_->AtEnd(); ++i) file_->SkipLine();
}

bool ImpactFile::ReadPoint(ImpactPoint& point) {
    if (!IsOpen()) return false;
    ImpactPoint read;
    read.DeltaX = file_->ReadReal("DeltaX");
    read.DeltaY = file_->ReadReal("DeltaY");
    read.StartHeight = file_->ReadReal("StartHeight");
    file_->SkipLine();
    if (file_->Failed()) return false;
    point = read;
    return true;
}

ReadFailure ImpactFile::Failure() const {
    return file_ ? file_->FirstFailure() : ReadFailure{true, 0, "", {}};
}

bool ImpactFile::AtEnd() { return !IsOpen() || file_->AtEnd(); }

void ImpactFile::Close() {
    if (file_) file_->Close();
    file_.reset();
}

}  // namespace vantrel
