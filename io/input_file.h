// Input-file primitives shared by every reader.
//
// Files are line-oriented text: a line ends with CR LF, CR or LF; a Ctrl-Z
// (code 26) ends the file wherever it stands.  Numbers are tokens that end at
// the first character of code 32 or less:
//   integer: optional sign and decimal digits, at most 32 characters, 32-bit;
//   real:    optional sign, digits, optional "." and digits, optional exponent
//            (E or e, optional sign, digits), at most 64 characters.
// A numeric read first skips blanks, tabs and line ends; reaching the end of
// the file there gives 0 without an error.  A token that does not convert
// completely (10.0keV, 1.5 for an integer, inf, nan, hex) is a format error.
//
// A reader performs all its reads in order and tests the one accumulated
// status at the end: after the first failure every further read does
// nothing and yields 0, so a missing file and a misspelt number give the same
// report.  The place of that first failure (line and field) is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_handle.h"
#include "io/reader_messages.h"

namespace vantrel {

class InputFile {
public:
    // Opens name for reading.  A file that cannot be opened (or is a
    // directory) is recorded as a failure, not reported.
    explicit InputFile(std::string_view name);

    bool Opened() const { return opened_; }
    // True once any read has failed or the file could not be opened.
    bool Failed() const { return failed_; }

    // Where the first failure happened; Failed false while none has.
    const ReadFailure& FirstFailure() const { return failure_; }
    // The first numeric read that met the end of the file (a value the file
    // does not hold, read as 0): its field and the line where the file ends.
    // Failed false while every value was there.
    const ReadFailure& FirstMissing() const { return missing_; }

    // Skips blanks, tabs and line ends, then reads one integer token.  field
    // names the value for FirstFailure.
    std::int32_t ReadInteger(const char* field = "");
    // Skips blanks, tabs and line ends, then reads one real token.
    double ReadReal(const char* field = "");
    // The very next character, whatever it is; '\x1a' at the end of the file.
    char ReadChar();
    // Characters up to the end of the line or maxChars, whichever comes
    // first; the line end itself is not consumed.
    std::string ReadString(std::size_t maxChars);
    // Discards everything up to and including the next line end.
    void SkipLine();
    // True at the physical end of the file (or at a Ctrl-Z).
    bool AtEnd();
    // Skips blanks, tabs and line ends; true when nothing but them was left.
    bool AtEndOfData();
    // Skips blanks, tabs and line ends and takes the next token as it stands,
    // unconverted and cut to 64 characters; empty at the end of the file.
    // It never fails, so a counter can walk lines whose values it does not
    // judge.
    std::string ReadToken();

    void Close();

private:
    int Peek();
    int Get();
    // Steps over the character Peek returned, counting line ends.
    void Advance(int c);
    void Fail(const char* field, std::string_view found = {});
    void NoteMissing(const char* field);
    bool Fill();
    // Skips blanks, tabs and line ends; false at the end of the file.
    bool SkipSeparators();
    // Takes one token of at most limit characters; false when it is longer.
    bool TakeToken(std::size_t limit, std::string& token);

    FileHandle file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t length_ = 0;
    bool opened_ = false;
    bool failed_ = false;
    bool end_ = false;
    std::int32_t line_ = 1;      // physical line of the next character
    bool afterCr_ = false;       // the last character taken was a CR
    ReadFailure failure_;
    ReadFailure missing_;
};

// Token conversions, exposed for tests and the expression-free readers.
bool ParseIntegerToken(std::string_view token, std::int32_t& value);
bool ParseRealToken(std::string_view token, double& value);

}  // namespace vantrel
