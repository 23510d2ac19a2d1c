#pragma once
// What the model file's reader and writers share: reading fields as formatted
// input does, with every failure a ModelFileError at the line it met, and the
// counted texts and whole lines of the file in both directions.
#include <string>
#include <string_view>

#include "engine/dataset/senstab_core.h"

namespace kivra {

// A field that is missing, not a number, or out of its range.
struct ModelFileError {
    std::size_t Pos;     // where the reading stood
    std::string Reason;  // what was wrong, for the message
};

// "Unreadable model file, line n:\n<reason>" (caption "File Read Error").
void ShowModelFileError(TSensTabCore::FileText& f, const ModelFileError& e);

// Reads fields from the current position of a model file. Numbers, words and
// counted texts skip white space and line ends before them, as formatted input
// does, and must end at white space; whole lines are read where the file is
// line-structured. Every failure throws ModelFileError.
class ModelReader {
public:
    explicit ModelReader(TSensTabCore::FileText& f) : f_(f) {}

    int Int();
    // A whole number in lo..hi.
    int IntIn(int lo, int hi, const char* what);
    bool Flag() { return Int() != 0; }
    // A number; "inf" and "nan" read as they are written, so that whatever the
    // writer wrote reads back.
    double Double();
    // A counted text: its byte length, one blank and the bytes; when the length does
    // not match what stands there, the next word.
    std::string Counted();
    // The next line: first the end of the line the last field was on (which must
    // hold nothing more), then one whole line. The end of the text throws.
    std::string WholeLine();
    // The next field is the word "end"; it is then consumed.
    bool TakeEnd();
    // Lines up to and including one that reads "end".
    void SkipPastEnd();
    // The line the next field would come from, without reading it; empty at the end.
    std::string_view PeekLine() const;
    // The rest of the current line and the two lines after it, without reading
    // them; false when the text ends first.
    bool PeekThreeLines(std::string_view lines[3]) const;
    bool AtEnd() const;

    [[noreturn]] void Fail(std::string reason) const;

private:
    std::string_view Token();
    template <class T>
    T Field(const char* kind);
    bool AtLineStart() const;
    TSensTabCore::FileText& f_;
    std::size_t last_ = 0;  // where the last field began
};

// Whole numbers and counted texts as the writer puts them.
void AppendInt(std::string& out, long long value);
// length, blank, text; TABs and line ends in the text become blanks, so that the
// line keeps its place in the file's structure.
void AppendCounted(std::string& out, const std::string& text);
// The text and a line end; line ends in the text become blanks.
void AppendLine(std::string& out, const std::string& text);

// Bytes read from a file as text: UTF-8 when they are valid UTF-8, otherwise
// Windows-1252 (files of older Windows programs), converted to UTF-8.
std::string DecodeText(std::string_view bytes);

} // namespace kivra
