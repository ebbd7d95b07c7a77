#include "app/messages.h"

#include "workspace/files.h"

namespace Msg {

QString templateTooLargeText()
{
    return QStringLiteral("The plan template is larger than %1 and cannot be a plan template.")
        .arg(Files::maxFileSizeText());
}

QString placeholderMissingText(const QByteArray &placeholder, const QString &templatePath)
{
    return QStringLiteral("The plan template %1 lacks the placeholder %2.")
        .arg(templatePath, QString::fromLatin1(placeholder));
}

QString placeholderJoinedText(const QByteArray &placeholder, const QString &templatePath)
{
    return QStringLiteral("In the plan template %1 a filled-in value joins the text beside it "
                          "into another %2, so the template cannot be filled in safely.")
        .arg(templatePath, QString::fromLatin1(placeholder));
}

QString parameterProblemText(ParameterProblem problem)
{
    switch (problem) {
    case ParameterProblem::NotNumbers:
        return QStringLiteral("Only numbers are allowed");
    case ParameterProblem::SlideNotBelowWindow:
        return QStringLiteral("Slide size must be smaller than window size");
    case ParameterProblem::SizesNotPositive:
        return QStringLiteral("window and slide size must be positive numbers");
    case ParameterProblem::RangeOutOfBounds:
        return QStringLiteral("Range can only be numbers between [0,1]");
    case ParameterProblem::CountNotBelowWindow:
        return QStringLiteral("Count must be smaller than window size");
    case ParameterProblem::CountNotPositive:
        return QStringLiteral("Count must be a positive number");
    }
    return {};
}

QString libraryTooLargeText()
{
    return QStringLiteral("The library configuration file is larger than %1.")
        .arg(Files::maxFileSizeText());
}

QString layoutProblemText(LibraryText::LayoutProblem problem)
{
    switch (problem) {
    case LibraryText::LayoutProblem::NoKey:
        return QStringLiteral(
            "The library configuration file has no NumberOfQueriesInLibrary line.");
    case LibraryText::LayoutProblem::NoSeparator:
        return QStringLiteral("The NumberOfQueriesInLibrary line of the library configuration "
                              "file has no \"=\".");
    case LibraryText::LayoutProblem::BareLineFeed:
        return QStringLiteral(
            "The lines of the library configuration file from NumberOfQueriesInLibrary on must "
            "end in a carriage return and a line feed; some end in a line feed alone.");
    case LibraryText::LayoutProblem::None:
        break;
    }
    return {};
}

QString launchFailedText(const QString &program, const QString &error)
{
    return QStringLiteral("The engine program %1 could not be started:\r\n%2").arg(program, error);
}

} // namespace Msg
