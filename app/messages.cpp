#include "app/messages.h"

#include "workspace/files.h"

namespace Msg {

QString templateTooLargeText()
{
    return QStringLiteral("The plan template is larger than ") + Files::maxFileSizeText()
        + QStringLiteral(" and cannot be a plan template.");
}

QString placeholderMissingText(const QByteArray &placeholder, const QString &templatePath)
{
    return QStringLiteral("The plan template ") + templatePath
        + QStringLiteral(" lacks the placeholder ") + QString::fromLatin1(placeholder) + u'.';
}

QString placeholderJoinedText(const QByteArray &placeholder, const QString &templatePath)
{
    return QStringLiteral("In the plan template ") + templatePath
        + QStringLiteral(" a filled-in value joins the text beside it into another ")
        + QString::fromLatin1(placeholder)
        + QStringLiteral(", so the template cannot be filled in safely.");
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
    return QStringLiteral("The library configuration file is larger than ")
        + Files::maxFileSizeText() + u'.';
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
    return QStringLiteral("The engine program ") + program
        + QStringLiteral(" could not be started:\r\n") + error;
}

} // namespace Msg
