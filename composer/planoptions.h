#pragma once

// The operator's non-numeric plan choices: the data source, evolution and
// summarization, and the plan file name suggested from them.

#include <QString>

#include <optional>

struct DataSource
{
    QString debugWord;  // written to the debug output when chosen
    QString sourceName; // first part of the suggested file name
    QString sourceRef;  // put into the plan for "??SourceName"
};

// The data source at a position of the data-source combo box; none for an
// index outside the table (for example -1 when the box is emptied).
std::optional<DataSource> dataSourceAt(int index);

// sourceName "_" Evo|no_Evo "_" with_Sum|no_Sum ".txt"
QString suggestedPlanFileName(const QString &sourceName, bool withEvo, bool withSum);
