#pragma once

// Every title and text that the panel shows in a message box, in one place,
// and the words for what the rules report. The spelling is the panel's own
// and is relied upon by operators' notes; keep it exactly as written.

#include "composer/planname.h"
#include "composer/plantemplate.h"
#include "library/librarytext.h"

#include <QString>

namespace Msg {

// Plan name check
QString planNameProblemText(PlanName::Problem problem);
inline const QString namingErrorTitle = QStringLiteral("File Naming Error!");
inline const QString namingErrorText =
    QStringLiteral("Please remove special characters !@#$%^&* and white spaces!");
#ifdef Q_OS_WIN
inline const QString plainNameText =
    QStringLiteral("Please use a plain file name: no / or \\ and only Latin-1 characters!");
#else
inline const QString plainNameText =
    QStringLiteral("Please use a plain file name: no / or \\ and only ASCII characters!");
#endif

// Plan template
inline const QString fileMissingTitle = QStringLiteral("File Missing");
inline const QString templateMissingText = QStringLiteral("cannot locate installed file.");
inline const QString templateOpenFailedText = QStringLiteral("cannot locate installed file:\r\n");
inline const QString fileReadingErrorTitle = QStringLiteral("File Reading Error");
inline const QString notRegularFileText = QStringLiteral("not a regular file");
QString templateTooLargeText();
QString placeholderMissingText(const QByteArray &placeholder, const QString &templatePath);
QString placeholderJoinedText(const QByteArray &placeholder, const QString &templatePath);

// Parameter checks
inline const QString parameterErrorTitle = QStringLiteral("Parameter Setting Error");
QString parameterProblemText(PlanTemplate::ParameterProblem problem);

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
inline const QString libraryNotRegularText =
    QStringLiteral("The library configuration file is not a regular file.");
QString libraryTooLargeText();
// Save and Remove write nothing over a library that changed since the panel
// last read or wrote it.
inline const QString libraryChangedText =
    QStringLiteral("The library configuration file was changed outside the panel after the "
                   "panel read it, so the panel does not overwrite it. Restart the panel to see "
                   "the change.");
// Save of a name the library lists already, under the plan file's title.
inline const QString nameListedText =
    QStringLiteral("The library already lists a plan of this name.");
// Save's text adds what to do about it.
QString libraryWouldGrowText();
QString libraryWouldGrowOnSaveText();
QString layoutProblemText(LibraryText::LayoutProblem problem);

// Engine launch
inline const QString launchFailedTitle = QStringLiteral("Launch Failed");
QString launchFailedText(const QString &program, const QString &error);

} // namespace Msg
