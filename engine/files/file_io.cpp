#include "engine/files/file_io.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr std::size_t MaxFileSize = std::size_t(1) << 30;

enum class ReadResult { Ok, CannotOpen, TooLarge };

ReadResult ReadWholeFile(const std::string& name, std::string& out) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> fp(std::fopen(name.c_str(), "rb"));
    if (!fp) return ReadResult::CannotOpen;
    std::error_code ec;
    const auto size = std::filesystem::file_size(name, ec);
    if (!ec && size > MaxFileSize) return ReadResult::TooLarge;
    if (!ec) out.reserve(static_cast<std::size_t>(size));
    char buf[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, fp.get());
        if (out.size() + n > MaxFileSize) return ReadResult::TooLarge;
        out.append(buf, n);
        if (n < sizeof buf) break;
    }
    return std::ferror(fp.get()) ? ReadResult::CannotOpen : ReadResult::Ok;
}

} // namespace

bool LoadFileText(const std::string& fileName, std::string& out) {
    ReadResult read = ReadResult::TooLarge;
    try {
        read = ReadWholeFile(fileName, out);
    } catch (const std::bad_alloc&) {
        // No room for the text: as good as too large.
    }
    switch (read) {
    case ReadResult::CannotOpen:
        ShowMessage("Unable to open file", "File Read Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    case ReadResult::TooLarge:
        out.clear();
        ShowMessage("File too large", "File Read Error");
        return false;
    case ReadResult::Ok: break;
    }
    return true;
}

ReplacingFile::~ReplacingFile() {
    if (out_) {
        out_.reset();
        std::remove(temp_.c_str());
    }
}

bool ReplacingFile::Open(const std::string& fileName) {
    target_ = fileName;
    std::error_code ec;
    if (std::filesystem::is_symlink(fileName, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(fileName, ec);
        if (!ec) target_ = resolved.string();
    }
    for (int attempt = 0; attempt < 100 && !out_; ++attempt) {
        temp_ = target_ + ".tmp" + (attempt ? std::to_string(attempt) : std::string());
        out_.reset(std::fopen(temp_.c_str(), "wbx"));
        if (!out_ && errno != EEXIST) break;
    }
    if (!out_) {
        ShowMessage("Unable to open file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    ok_ = true;
    return true;
}

void ReplacingFile::Write(std::string_view text) {
    if (ok_ && out_ && !text.empty() && std::fwrite(text.data(), 1, text.size(), out_.get()) != text.size())
        ok_ = false;
}

bool ReplacingFile::Commit() {
    if (!out_) return false;
    if (std::fclose(out_.release()) != 0) ok_ = false;
    std::error_code ec;
    if (ok_) {
        // A private file stays private: the new one takes the old one's bits.
        std::error_code missing;
        const auto old = std::filesystem::status(target_, missing);
        if (!missing && std::filesystem::exists(old))
            std::filesystem::permissions(temp_, old.permissions(), std::filesystem::perm_options::replace, ec);
        if (!ec) std::filesystem::rename(temp_, target_, ec);
    }
    if (!ok_ || ec) {
        std::remove(temp_.c_str());
        ShowMessage("Unable to write file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace kivra
