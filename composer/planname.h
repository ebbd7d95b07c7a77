#pragma once

// The rule for a plan's file name, and what a name in the library names in
// the plan folder. Save refuses a name by the rule; Remove deletes only a
// name that names a file in the plan folder.

#include <QString>

#include <optional>

namespace PlanName {

// Why a name is refused for a new plan.
enum class Problem {
    SpecialCharacter, // white space or one of ! @ # $ % ^ & *
    NotPlain,         // leaves the plan folder, or names another file than the library says
};

// The special characters are checked first; none when the name is fine.
std::optional<Problem> problem(const QString &name);

// What a name, put after the plan folder, names.
enum class FolderEntry {
    File,         // a file directly inside the plan folder
    FolderItself, // empty, "." or "..": a folder, never a plan file
    Outside,      // a separator, NUL or (on Windows) a drive would lead elsewhere or cut the name
};

FolderEntry folderEntry(const QString &name);

} // namespace PlanName
