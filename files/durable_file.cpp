#include "files/durable_file.h"

namespace bayhaul {

FileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    FileResult result;
    auto file = DurableFile::Create(path, result);
    if (!file) return result;
    if (!file->Append(content.data(), content.size())) return file->LastFailure();
    return file->Commit();
}

}  // namespace bayhaul
