#include "BenchTable.h"

#include <algorithm>
#include <cstdio>

namespace jk::bench {

double Samples::median() const {
    if (values.empty())
        return 0;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double Samples::min() const {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Samples::max() const {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

namespace {

QString figure(const Samples& s, const QString& unit) {
    if (s.empty())
        return QStringLiteral("n/a");
    return QStringLiteral("%1 %4 (%2–%3, n=%5)")
        .arg(s.median(), 0, 'f', 2)
        .arg(s.min(), 0, 'f', 2)
        .arg(s.max(), 0, 'f', 2)
        .arg(unit)
        .arg(s.values.size());
}

} // namespace

void printTable(const std::vector<Row>& rows) {
    std::printf("| figure | Jeerkit: median (min–max) | anchor | anchor: median (min–max) | ratio "
                "| goal | notes |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const Row& r : rows) {
        QString ratio = QStringLiteral("–");
        if (!r.ours.empty() && !r.anchor.empty() && r.anchor.median() > 0)
            ratio = QString::number(r.ours.median() / r.anchor.median(), 'f', 2);
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", qPrintable(r.name),
                    qPrintable(figure(r.ours, r.unit)),
                    qPrintable(r.anchorName.isEmpty() ? QStringLiteral("–") : r.anchorName),
                    qPrintable(r.anchor.empty() ? QStringLiteral("–") : figure(r.anchor, r.unit)),
                    qPrintable(ratio), qPrintable(r.goal), qPrintable(r.note));
    }
    std::fflush(stdout);
}

} // namespace jk::bench
