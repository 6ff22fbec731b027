#include "host/picture/panel_backgrounds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace panelhost {

namespace {

// Background bitmap files larger than this are not read.
constexpr std::size_t maxBitmapFileBytes = std::size_t(64) << 20;

// The file beside the configuration; on a machine whose files are named
// with regard to case, a name written in another case is found too.
std::filesystem::path FindBeside(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    std::string wanted = name;
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    const fs::path exact = base / wanted;
    std::error_code problem;
    if (fs::is_regular_file(exact, problem)) return exact;
    const fs::path parent = exact.parent_path();
    for (fs::directory_iterator it(parent, problem), end; !problem && it != end; it.increment(problem)) {
        if (SameWord(it->path().filename().string(), exact.filename().string())) return it->path();
    }
    return exact;
}

// The whole file, no more than `limit` bytes; a failed read (a device, a
// file of the system that cannot be read) is a reason, never an exception.
bool ReadBounded(const std::filesystem::path& path, std::size_t limit, std::vector<char>& bytes, std::string& why) {
    std::error_code problem;
    if (!std::filesystem::is_regular_file(path, problem)) {
        why = std::filesystem::exists(path, problem) ? "not a regular file" : "no such file beside the panel configuration";
        return false;
    }
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) {
        why = "cannot be opened";
        return false;
    }
    bytes.clear();
    char chunk[1 << 16];
    bool failed = false;
    while (bytes.size() <= limit) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            failed = std::ferror(file) != 0;
            break;
        }
    }
    std::fclose(file);
    if (failed) {
        why = "cannot be read";
        return false;
    }
    if (bytes.size() > limit) {
        // Built in steps: mingw-w64's g++ 12 warns falsely (-Wrestrict) on
        // the same text joined in one expression.
        why = "larger than ";
        why += std::to_string(limit >> 20);
        why += " MiB";
        return false;
    }
    return true;
}

}  // namespace

// --- Backgrounds -------------------------------------------------------------

const Picture* PanelBackgrounds::Of(const PanelWindow& window, std::string* why) {
    auto named = paths_.find(window.file);
    if (named == paths_.end()) named = paths_.emplace(window.file, FindBeside(folder_, window.file).string()).first;
    const std::string& path = named->second;
    auto found = files_.find(path);
    if (found == files_.end()) {
        File file;
        std::vector<char> bytes;
        auto picture = std::make_unique<Picture>();
        if (ReadBounded(path, maxBitmapFileBytes, bytes, file.why)) {
            // Found, but not a bitmap the host reads: said as such, never as missing.
            if (DecodeDib(bytes.data(), bytes.size(), *picture, &file.why)) {
                file.picture = std::move(picture);
            } else {
                file.why = "found, but " + file.why;
            }
        }
        found = files_.emplace(path, std::move(file)).first;
    }
    if (why) *why = found->second.why;
    const Picture* picture = found->second.picture.get();
    sections_[window.section] = picture;
    return picture;
}

const Picture* PanelBackgrounds::Section(const std::string& section) const {
    const auto found = sections_.find(section);
    return found == sections_.end() ? nullptr : found->second;
}

}  // namespace panelhost
