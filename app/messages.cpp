#include "app/messages.h"

#include "workspace/files.h"

namespace Msg {

QString planNameProblemText(PlanName::Problem problem)
{
    switch (problem) {
    case PlanName::Problem::SpecialCharacter:
        return namingErrorText;
    case PlanName::Problem::NotPlain:
        return plainNameText;
    }
    Q_UNREACHABLE();
    return {};
}

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

QString parameterProblemText(PlanTemplate::ParameterProblem problem)
{
    using namespace Qt::StringLiterals;
    using P = PlanTemplate::ParameterProblem;
    // One line a check reads as the table it is.
    // clang-format off
    switch (problem) {
    case P::NotNumbers: return u"Only numbers are allowed"_s;
    case P::SlideNotBelowWindow: return u"Slide size must be smaller than window size"_s;
    case P::SizesNotPositive: return u"window and slide size must be positive numbers"_s;
    case P::RangeOutOfBounds: return u"Range can only be numbers between [0,1]"_s;
    case P::CountNotBelowWindow: return u"Count must be smaller than window size"_s;
    case P::CountNotPositive: return u"Count must be a positive number"_s;
    }
    // clang-format on
    Q_UNREACHABLE();
    return {};
}

QString libraryTooLargeText()
{
    return QStringLiteral("The library configuration file is larger than ")
        + Files::maxFileSizeText() + u'.';
}

QString libraryWouldGrowText()
{
    return QStringLiteral("The library configuration file would grow past ")
        + Files::maxFileSizeText() + QStringLiteral(", which the panel cannot read.");
}

QString libraryWouldGrowOnSaveText()
{
    return libraryWouldGrowText() + QStringLiteral(" Remove plans first.");
}

QString layoutProblemText(LibraryText::LayoutProblem problem)
{
    using Problem = LibraryText::LayoutProblem;
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::NoKey:
        return QStringLiteral(
            "The library configuration file has no NumberOfQueriesInLibrary line.");
    case Problem::NoSeparator:
        return QStringLiteral("The NumberOfQueriesInLibrary line of the library configuration "
                              "file has no \"=\".");
    case Problem::BareLineFeed:
    case Problem::BareCarriageReturn:
        return QStringLiteral("The lines of the library configuration file from "
                              "NumberOfQueriesInLibrary on must end in a carriage return and a "
                              "line feed; some end in a ")
            + (problem == Problem::BareLineFeed ? QStringLiteral("line feed alone.")
                                                : QStringLiteral("carriage return alone."));
    }
    Q_UNREACHABLE();
    return {};
}

QString launchFailedText(const QString &program, const QString &error)
{
    return QStringLiteral("The engine program ") + program
        + QStringLiteral(" could not be started:\r\n") + error;
}

} // namespace Msg
