#pragma once

// The data sources the operator chooses from, and what follows from the
// choices that are not numbers: the suggested plan file name and the plan
// template.

#include <QString>

#include <array>
#include <optional>

namespace DataSources {

// One item of the data-source combo box, by its position.
struct Source
{
    QString debugWord;     // written to the debug output when chosen
    QString sourceName;    // first part of the suggested file name
    QString sourceRef;     // put into the plan for "??SourceName"
    QString dimensionWord; // first part of the template's file name
    QString schemaId;      // put into the plan for "??SchemaId"
};

// ORCL, Traffic, Earthquake; the panel starts on the first.
const std::array<Source, 3> &all();

// The data source at a combo box position; none outside the table (for
// example -1 when the box is emptied).
const Source *at(int index);

// sourceName "_" Evo|no_Evo "_" with_Sum|no_Sum ".txt"
QString suggestedFileName(const QString &sourceName, bool withEvo, bool withSum);

// The template for a combo box position and the summarization choice.
struct TemplateChoice
{
    QString path;                    // template folder, dimension word "_" sum|no_sum ".txt"
    std::optional<QString> schemaId; // none for a position outside the table
};

TemplateChoice templateChoice(int sourceIndex, bool withSum);

} // namespace DataSources
