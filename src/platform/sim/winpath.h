// Windows path and name rules, as small pure functions: the simulated machine
// decides every path question here so that the rules can be tested alone.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ortavia::sim {

// ASCII case folding: Windows compares file and registry names without case
// (for the ANSI range the setup uses) and keeps the case a name was created with.
char upperAscii(char c);
std::string upperAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);

// A fully resolved path: a drive letter (upper case) and the names below its
// root, in the case they were written.  No part is empty, "." or "..".
struct WinPath {
    char drive = 0;
    std::vector<std::string> parts;

    bool isRoot() const { return parts.empty(); }
    // "C:\" for a root, otherwise "C:\a\b" without a trailing backslash.
    std::string str() const;
    // The comparison key: the same for every spelling of the same path.
    std::string key() const;
    WinPath parent() const;
    WinPath child(const std::string& name) const;
    // Is this path `other` or somewhere below it?
    bool within(const WinPath& other) const;
};

// The current drive and the current folder of each drive, as a process keeps
// them.  An empty folder stands for the drive's root.
struct CurrentFolders {
    char drive = 'C';
    std::array<std::string, 26> folders{};
    const std::string& of(char letter) const;
};

// May this text be one name inside a path?  Windows refuses < > : " | ? * and
// control characters.
bool validName(std::string_view name);

// Resolves a file path the way Win32 does:
// - "/" is a separator too, and a run of separators is one;
// - "X:\..." is absolute, "X:foo" is relative to drive X's own current folder,
//   "\foo" is rooted on the current drive, anything else is relative to the
//   current drive's current folder;
// - "." is dropped, ".." goes up (never above the root);
// - trailing dots and blanks of a name are dropped ("foo." names "foo").
// Empty text, UNC paths and invalid names give nothing.
std::optional<WinPath> resolvePath(std::string_view path, const CurrentFolders& current);

// An absolute path ("X:\..." only), as machine files write them.
std::optional<WinPath> parseAbsolutePath(std::string_view path);

// The names of a registry key path: a run of backslashes is one separator and
// leading or trailing backslashes name nothing.
std::vector<std::string> splitKeyPath(std::string_view path);

// The first token of a command line and the rest: a quoted token runs to the
// closing quote, an unquoted one to the first blank.
struct CommandLine {
    std::string program;
    std::string arguments;
    bool quoted = false;
};
CommandLine splitCommandLine(std::string_view commandLine);

}  // namespace ortavia::sim
