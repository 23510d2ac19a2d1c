#pragma once
// Whole files in and out, shared by the data and model files: a file is read in
// one piece with a size limit, and written beside the old one and renamed over it
// only once it is complete, so that a failed save never destroys what was there.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kivra {

// Reads the whole file into out. On failure shows "Unable to open file" or "File
// too large" (caption "File Read Error") and returns false.
bool LoadFileText(const std::string& fileName, std::string& out);

// A file written through a temporary beside it.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();  // a temporary that was not committed goes
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary for fileName with the old file's permission bits and
    // group; a link is followed, so that the file it points to is replaced and the
    // link stays. False after "Unable to open file".
    bool Open(const std::string& fileName);
    // Appends text; a failure is kept for Commit to report.
    void Write(std::string_view text);
    // Completes the temporary and renames it over the old file. False after
    // "Unable to write file"; the old file is then as it was.
    bool Commit();

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> out_;
    std::string target_, temp_;
    bool ok_ = true;
};

} // namespace kivra
