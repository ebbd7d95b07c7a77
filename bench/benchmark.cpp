#include "benchmark.h"

#include <algorithm>

QString benchPlanName(int index)
{
    return QStringLiteral("ORCL_no_Evo_no_Sum_%1.txt").arg(index, 6, 10, QLatin1Char('0'));
}

QByteArray libraryWithPlans(int plans)
{
    QByteArray text = QByteArrayLiteral("# query engine library\r\nNumberOfQueriesInLibrary=");
    text += QByteArray::number(plans);
    for (int i = 0; i < plans; ++i)
        text += "\r\n" + benchPlanName(i).toLatin1();
    return text;
}

Summary summarize(std::vector<double> ms, bool ok)
{
    Summary summary;
    summary.ok = ok && !ms.empty();
    if (ms.empty())
        return summary;
    std::sort(ms.begin(), ms.end());
    const size_t mid = ms.size() / 2;
    summary.medianMs = ms.size() % 2 ? ms[mid] : (ms[mid - 1] + ms[mid]) / 2;
    summary.worstMs = ms.back();
    return summary;
}
