#include "interchange/task_list_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace mapolt {

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        error = "Could not write \"" + path.string() + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::filesystem::path TaskListWriter::fileFor(const std::string& name,
                                              std::string_view suffix) const {
    std::string file;
    for (const char c : name)
        file += c == '/' || c == '\0' ? '_' : c;
    file.append(suffix);
    return path_ / file;
}

void TaskListWriter::endResource() {
    if (fname_.empty())
        return;
    std::string error;
    fileWriter_(fname_, data_, error);
}

} // namespace mapolt
