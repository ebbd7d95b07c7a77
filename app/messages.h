#pragma once

// Every title and text that the panel shows in a message box, in one place.
// The spelling is the panel's own and is relied upon by operators' notes;
// keep it exactly as written.

#include <QString>

namespace Msg {

// Plan name check
inline const QString namingErrorTitle = QStringLiteral("File Naming Error!");
inline const QString namingErrorText =
    QStringLiteral("Please remove special characters !@#$%^&* and white spaces!");
inline const QString plainNameText =
    QStringLiteral("Please use a plain file name: no / or \\ and only Latin-1 characters!");

// Plan template
inline const QString fileMissingTitle = QStringLiteral("File Missing");
inline const QString templateMissingText = QStringLiteral("cannot locate installed file.");
inline const QString templateOpenFailedText = QStringLiteral("cannot locate installed file:\r\n");
inline const QString fileReadingErrorTitle = QStringLiteral("File Reading Error");
// Only regular files of a sane size are read as templates.
inline const QString notRegularFileText = QStringLiteral("not a regular file");
inline const QString templateTooLargeText =
    QStringLiteral("The plan template is larger than 16 MiB and cannot be a plan template.");
inline QString placeholderMissingText(const QString &placeholder, const QString &templatePath)
{
    return QStringLiteral("The plan template %1 lacks the placeholder %2.")
        .arg(templatePath, placeholder);
}
inline QString placeholderJoinedText(const QString &placeholder, const QString &templatePath)
{
    return QStringLiteral("In the plan template %1 a filled-in value joins the text beside it "
                          "into another %2, so the template cannot be filled in safely.")
        .arg(templatePath, placeholder);
}

// Parameter checks, in the order they run
inline const QString parameterErrorTitle = QStringLiteral("Parameter Setting Error");
inline const QString onlyNumbersText = QStringLiteral("Only numbers are allowed");
inline const QString slideBelowWindowText =
    QStringLiteral("Slide size must be smaller than window size");
inline const QString sizesPositiveText =
    QStringLiteral("window and slide size must be positive numbers");
inline const QString rangeBoundsText = QStringLiteral("Range can only be numbers between [0,1]");
inline const QString countBelowWindowText =
    QStringLiteral("Count must be smaller than window size");
inline const QString countPositiveText = QStringLiteral("Count must be a positive number");

// Plan file
inline const QString fileExistsTitle = QStringLiteral("File Exists");
inline const QString fileExistsText = QStringLiteral("File already exists");
inline const QString fileOpenFailedTitle = QStringLiteral("File Open Failed");
inline const QString fileWriteFailedTitle = QStringLiteral("File write Failed");

// Library configuration file
inline const QString libraryOpenErrorTitle = QStringLiteral("File Open Error!");
inline const QString libraryWriteErrorTitle = QStringLiteral("File Write Error!");
// Save after the library file could not be read at start: no plan is written.
inline const QString libraryNotLoadedText =
    QStringLiteral("The library configuration file could not be read when the panel started, "
                   "so no plan can be registered. Fix the file and restart the panel.");
// Library files that are read as failed loads.
inline const QString libraryNotRegularText =
    QStringLiteral("The library configuration file is not a regular file.");
inline const QString libraryTooLargeText =
    QStringLiteral("The library configuration file is larger than 16 MiB.");
inline const QString libraryNoKeyText =
    QStringLiteral("The library configuration file has no NumberOfQueriesInLibrary line.");
inline const QString libraryNoSeparatorText = QStringLiteral(
    "The NumberOfQueriesInLibrary line of the library configuration file has no \"=\".");
inline const QString libraryBareLineFeedText = QStringLiteral(
    "The lines of the library configuration file from NumberOfQueriesInLibrary on must end "
    "in a carriage return and a line feed; some end in a line feed alone.");

// Engine launch
inline const QString launchFailedTitle = QStringLiteral("Launch Failed");
inline QString launchFailedText(const QString &program, const QString &error)
{
    return QStringLiteral("The engine program %1 could not be started:\r\n%2").arg(program, error);
}

} // namespace Msg
