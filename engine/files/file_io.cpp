#include "engine/files/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

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

// The new file of a save takes over who may read and change the old one, and its
// group where the system lets us, before anything is written into it: saving
// must not make a private file readable by others.
void TakeOverAccess(const std::string& oldFile, std::FILE* out) {
    struct stat st {};
    if (::stat(oldFile.c_str(), &st) != 0) return;  // a new file gets the usual rights
    const int fd = ::fileno(out);
    if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Not a member of that group: the file keeps ours.
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) {
        // The rights could not be set: the file keeps the usual ones.
    }
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
    TakeOverAccess(target_, out_.get());
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
    if (ok_) std::filesystem::rename(temp_, target_, ec);
    if (!ok_ || ec) {
        std::remove(temp_.c_str());
        ShowMessage("Unable to write file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace kivra
