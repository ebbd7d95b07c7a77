#pragma once

// The rule for a plan's file name, and what a name stands for in the plan
// folder. Save refuses a name by the rule and never writes over what is at
// its path; Remove deletes only a name that names a plan file there.

#include <QString>
#include <QStringView>

#include <optional>

namespace PlanName {

// Why a name is refused for a new plan.
enum class Problem {
    SpecialCharacter, // white space or one of ! @ # $ % ^ & *
    NotPlain,         // leaves the plan folder, or names another file than the library says
};

// The special characters are checked first; none when the name is fine.
std::optional<Problem> problem(const QString &name);

// The path that a name gives, put directly after the plan folder.
QString path(QStringView name);

// The plan file that a name stands for, directly inside the plan folder;
// none for a name that names the folder itself ("", "." or ".."), leads out
// of it, or would name another file than the one the engines open.
std::optional<QString> planFilePath(QStringView name);

// Whether anything is at the path: a dangling symbolic link, a folder, "."
// and ".." count too.
bool taken(const QString &path);

} // namespace PlanName
