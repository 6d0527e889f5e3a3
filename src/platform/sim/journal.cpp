#include "platform/sim/journal.h"

#include <stdexcept>

namespace ortavia::sim {

std::string escapeJournalField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            default: out += c; break;
        }
    }
    return out;
}

std::string journalLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        line += escapeJournalField(fields[i]);
    }
    return line;
}

Journal::Journal(const std::filesystem::path& file) : path_(file) {
    file_ = std::fopen(file.c_str(), "ab");
    if (file_ == nullptr) throw std::runtime_error("cannot open the journal " + file.string());
}

Journal::~Journal() {
    if (file_ != nullptr) std::fclose(file_);
}

void Journal::write(const std::vector<std::string>& fields) {
    const std::string line = journalLine(fields) + "\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        throw std::runtime_error("cannot write the journal " + path_.string());
    }
}

}  // namespace ortavia::sim
