#include "engine/files/model_text.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

#include "engine/files/datafile_text.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n'; }

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // range of the first continuation byte
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= s.size()) return false;
        for (int k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if (k == 1 ? (d < lo || d > hi) : (d < 0x80 || d > 0xBF)) return false;
        }
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

// Code points of Windows-1252 bytes 0x80..0x9F; the five unassigned bytes keep
// their own value.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string OneLine(const std::string& text, bool tabs) {
    std::string s = text;
    for (char& c : s)
        if (c == '\n' || c == '\r' || (tabs && c == '\t')) c = ' ';
    return s;
}

} // namespace

void ShowModelFileError(TSensTabCore::FileText& text, const ModelFileError& e) {
    // Line numbers are counted only for the message.
    const std::size_t pos = text.Tell();
    text.Seek(0);
    const std::size_t total = text.CountLineEnds();
    text.Seek(e.Pos);
    const std::size_t after = text.CountLineEnds();
    text.Seek(pos);
    ShowMessage("Unreadable model file, line " + std::to_string(total - after + 1) + ":\n" + e.Reason,
                "File Read Error");
}

void ModelReader::Fail(std::string reason) const { throw ModelFileError{f_.Tell(), std::move(reason)}; }

bool ModelReader::AtLineStart() const {
    const std::size_t pos = f_.Tell();
    return pos == 0 || f_.View()[pos - 1] == '\n';
}

std::string_view ModelReader::Token() {
    // Character by character: a line of many fields costs no more than its length.
    const std::string_view text = f_.View();
    std::size_t b = f_.Tell();
    while (b < text.size() && IsSpace(text[b])) ++b;
    f_.Seek(b);
    last_ = b;
    std::size_t e = b;
    while (e < text.size() && !IsSpace(text[e])) ++e;
    return text.substr(b, e - b);
}

template <class T>
T ModelReader::Field(const char* kind) {
    std::string_view t = Token();
    if (t.empty()) Fail("the file ends early");
    const std::size_t n = t.size();
    if (t.size() > 1 && t[0] == '+' && t[1] != '-') t.remove_prefix(1);
    T v{};
    std::from_chars_result r;
    if constexpr (std::is_floating_point_v<T>)
        r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    else
        r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        Fail("\"" + std::string(t.substr(0, 40)) + "\" is not " + kind);
    f_.Seek(f_.Tell() + n);
    return v;
}

int ModelReader::Int() { return Field<int>("a whole number"); }

double ModelReader::Double() { return Field<double>("a number"); }

int ModelReader::IntIn(int lo, int hi, const char* what) {
    const int v = Int();
    if (v < lo || v > hi) {
        f_.Seek(last_);  // the message names the line of the number
        Fail(std::string(what) + " " + std::to_string(v) + " is outside " + std::to_string(lo) + ".." +
             std::to_string(hi));
    }
    return v;
}

std::string ModelReader::Counted() {
    const int n = Int();
    if (n < 0) Fail("a text length of " + std::to_string(n));
    if (n == 0) return {};
    const std::size_t pos = f_.Tell();
    const std::string_view text = f_.View();
    const auto len = static_cast<std::size_t>(n);
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t') && text.size() - pos > len) {
        const std::string_view bytes = text.substr(pos + 1, len);
        const std::size_t after = pos + 1 + len;
        if (bytes.find('\n') == std::string_view::npos && (after == text.size() || IsSpace(text[after]))) {
            f_.Seek(after);
            return DecodeText(bytes);
        }
    }
    const std::string_view word = Token();
    if (word.empty()) Fail("the file ends early");
    f_.Seek(f_.Tell() + word.size());
    return DecodeText(word);
}

std::string ModelReader::WholeLine() {
    if (!AtLineStart()) {
        if (!IsBlankText(f_.Line())) Fail("more on the line than expected");
        if (!f_.NextLine()) Fail("the file ends early");
    }
    if (f_.AtEnd()) Fail("the file ends early");
    std::string_view line = f_.Line();
    f_.NextLine();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return DecodeText(line);
}

bool ModelReader::TakeEnd() {
    const std::size_t pos = f_.Tell();
    const std::string_view t = Token();
    if (t == "end") {
        f_.Seek(f_.Tell() + t.size());
        return true;
    }
    f_.Seek(pos);
    return false;
}

void ModelReader::SkipPastEnd() {
    while (Trimmed(WholeLine()) != "end") {
    }
}

std::string_view ModelReader::PeekLine() const {
    std::size_t pos = f_.Tell();
    if (!AtLineStart()) pos += f_.LineAt(pos).size() + 1;
    return f_.LineAt(pos);
}

bool ModelReader::AtEnd() const {
    std::size_t pos = f_.Tell();
    if (!AtLineStart()) pos += f_.LineAt(pos).size() + 1;
    return pos >= f_.Size();
}

bool ModelReader::PeekThreeLines(std::string_view lines[3]) const {
    std::size_t pos = f_.Tell();
    for (int k = 0; k < 3; ++k) {
        if (pos >= f_.Size()) return false;
        lines[k] = f_.LineAt(pos);
        pos += lines[k].size() + 1;
    }
    return true;
}

void AppendInt(std::string& out, long long value) { out += std::to_string(value); }

void AppendCounted(std::string& out, const std::string& text) {
    const std::string s = OneLine(text, true);
    AppendInt(out, static_cast<long long>(s.size()));
    out += ' ';
    out += s;
    out += '\n';
}

void AppendLine(std::string& out, const std::string& text) {
    out += OneLine(text, false);
    out += '\n';
}

std::string DecodeText(std::string_view bytes) {
    if (ValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, c >= 0x80 && c < 0xA0 ? Cp1252High[c - 0x80] : c);
    }
    return out;
}

} // namespace kivra
