#include "files/durable_file.h"

#include <fstream>

namespace bayhaul {

FileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    FileResult result;
    auto file = DurableFile::Create(path, result);
    if (!file) return result;
    if (!file->Append(content.data(), content.size())) return file->LastFailure();
    return file->Commit();
}

FileResult CopyFileDurably(const std::string& from, const std::string& to) {
    std::ifstream source(from, std::ios::binary);
    if (!source) return {false, "cannot read " + from, FileProblem::Other};
    FileResult result;
    auto file = DurableFile::Create(to, result);
    if (!file) return result;
    char buffer[65536];
    while (source.read(buffer, sizeof buffer) || source.gcount() > 0) {
        if (!file->Append(buffer, static_cast<std::size_t>(source.gcount()))) return file->LastFailure();
    }
    if (source.bad()) return {false, "cannot read " + from, FileProblem::Other};
    return file->Commit();
}

}  // namespace bayhaul
