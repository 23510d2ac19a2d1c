#pragma once
// What the data file readers and writer share: the file's text with a read
// position, the number conversions (always with "."), and the checks and
// messages every form uses.
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/dataset/senstab_core.h"

namespace kivra {

// Reads a number as formatted input does: blanks before it skipped (never past a
// line end), an optional sign, digits with an optional point and exponent. Returns
// the position just after the number, or null when there is no finite number there.
const char* ScanNumber(const char* p, const char* end, double& value);

// Only blanks (no line end) between b and e.
bool IsBlankText(const char* b, const char* e);
inline bool IsBlankText(std::string_view s) { return IsBlankText(s.data(), s.data() + s.size()); }

// Appends value in general notation with 6 significant digits, whatever the locale.
void AppendNumber(std::string& out, double value);

// Appends a number with the fewest digits that read back as the same double,
// whatever the locale; every reader of AppendNumber's texts reads these too.
void AppendExact(std::string& out, double value);
// A time (s) keeps every bit: six digits would merge the times of 20 Hz data
// past 10 000 s, which the program then refuses.
inline void AppendTime(std::string& out, double seconds) { AppendExact(out, seconds); }

class TSensTabCore::FileText {
public:
    // Takes the file's bytes; a UTF-8 byte-order mark goes, CR LF line ends become LF.
    explicit FileText(std::string text);

    std::size_t Tell() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t Size() const { return text_.size(); }
    // The whole text (line ends as LF).
    std::string_view View() const { return text_; }
    // The characters from pos up to the next line end (excluded) or the end of the text.
    std::string_view LineAt(std::size_t pos) const;
    std::string_view Line() const { return LineAt(pos_); }
    // Whether the line at the position has a line end in the file.
    bool LineEnded() const;
    // A last line without a line end is still a line, as many editors and tools
    // write it: it gets one here, so that every count of lines counts it, while
    // LineEnded still tells that the file ended there. A last line of blanks
    // stays as it was and adds nothing.
    void EndLastLine();
    // Moves past the next line end; false (and at the end) when the text ends first.
    bool NextLine();
    // Line ends from the position to the end of the text.
    std::size_t CountLineEnds() const;
    // Shows the warning about commas, once per file.
    void WarnCommas();

private:
    std::string text_;
    std::size_t pos_ = 0;
    std::size_t addedEnd_ = std::string::npos;
    bool warned_ = false;
};

// "Unreadable format" / "File Read Error". Returns false for the caller to pass on.
bool UnreadableFormat();
// "Poorly formated file" / "Load Error". Returns false.
bool PoorlyFormatted();

// A data set of curves x points fits the limits of the page and is not out of all
// proportion to a file of fileSize bytes; otherwise the message above. Checked
// before anything is allocated.
bool SaneDataSize(long long curves, long long points, std::size_t fileSize);

// Makes the page's set for what a reader counted (after the checks above) and sets
// its counts. False after a message.
bool MakeReadSet(TSensTabCore& page, long long curves, long long points, std::size_t fileSize);

// Data rows: `rows` line reads from the position, each holding per curve a group of
// `width` cells (time first) separated by TAB or comma. The cell `keep` of each group
// (1 .. width - 1) is the value; a group whose time or value does not convert adds
// no point. With width 2 the group is a time and value pair, at most 78 characters,
// and a comma inside the pair makes it no point; otherwise every cell is at most 78
// characters. A blank line adds nothing; a line that ends early leaves the later
// curves without a point, and one with more cells that are not blank is refused.
// Values go to Data, and to Sim when toSim.
bool ReadDataRows(TSensTabCore& page, TSensTabCore::FileText& f, long long rows, int width,
                  int keep, bool toSim);

} // namespace kivra
