// The machine's journal (events.log): one event a line, fields joined by TAB.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ortavia::sim {

// CR, LF, TAB and backslash written as \r \n \t \\ so that one event stays on
// one line and its fields stay apart.
std::string escapeJournalField(std::string_view field);
std::string journalLine(const std::vector<std::string>& fields);

class Journal {
public:
    explicit Journal(const std::filesystem::path& file);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Appended and flushed at once: a crash or an end of the program right
    // after an event still leaves it in the file.
    void write(const std::vector<std::string>& fields);

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
};

}  // namespace ortavia::sim
