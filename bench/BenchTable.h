#pragma once

#include <QString>

#include <vector>

namespace jk::bench {

// Repeated measurements of one figure.
struct Samples {
    std::vector<double> values;
    double median() const;
    double min() const;
    double max() const;
    bool empty() const { return values.empty(); }
};

// One line of the table: a figure, optionally with the anchor it is compared to.
struct Row {
    QString name;
    QString unit;
    Samples ours;
    QString anchorName;
    Samples anchor;
    QString goal;
    QString note; // correctness or other remarks
};

// Prints the rows as a Markdown table.
void printTable(const std::vector<Row>& rows);

} // namespace jk::bench
