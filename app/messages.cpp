#include "app/messages.h"

#include "workspace/files.h"

#include <array>

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
    // In the order of ParameterProblem.
    static const std::array<QString, 6> texts{
        QStringLiteral("Only numbers are allowed"),
        QStringLiteral("Slide size must be smaller than window size"),
        QStringLiteral("window and slide size must be positive numbers"),
        QStringLiteral("Range can only be numbers between [0,1]"),
        QStringLiteral("Count must be smaller than window size"),
        QStringLiteral("Count must be a positive number"),
    };
    return texts.at(std::size_t(problem));
}

QString libraryTooLargeText()
{
    return QStringLiteral("The library configuration file is larger than ")
        + Files::maxFileSizeText() + u'.';
}

QString layoutProblemText(LibraryText::LayoutProblem problem)
{
    // In the order of LayoutProblem.
    static const std::array<QString, 4> texts{
        QString(),
        QStringLiteral("The library configuration file has no NumberOfQueriesInLibrary line."),
        QStringLiteral("The NumberOfQueriesInLibrary line of the library configuration file has "
                       "no \"=\"."),
        QStringLiteral("The lines of the library configuration file from NumberOfQueriesInLibrary "
                       "on must end in a carriage return and a line feed; some end in a line "
                       "feed alone."),
    };
    return texts.at(std::size_t(problem));
}

QString launchFailedText(const QString &program, const QString &error)
{
    return QStringLiteral("The engine program ") + program
        + QStringLiteral(" could not be started:\r\n") + error;
}

} // namespace Msg
