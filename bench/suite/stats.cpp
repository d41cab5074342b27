// SPDX-License-Identifier: MIT
#include "stats.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

namespace {

std::vector<double> finite(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    std::sort(values.begin(), values.end());
    return values;
}

}  // namespace

double median(std::vector<double> values) {
    values = finite(std::move(values));
    const std::size_t n = values.size();
    if (n == 0) {
        return NAN;
    }
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

Summary summarise(std::vector<double> values) {
    values = finite(std::move(values));
    Summary s;
    s.runs = static_cast<int>(values.size());
    if (values.empty()) {
        s.median = s.p90 = s.max = NAN;
        return s;
    }
    s.median = median(values);
    // Nearest rank: the smallest value at or above 90 % of the runs.
    const auto rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(values.size())));
    s.p90 = values[std::max<std::size_t>(rank, 1) - 1];
    s.max = values.back();
    return s;
}

double medianRatio(const std::vector<double>& mine, const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(mine.size(), floor.size()); ++i) {
        if (std::isfinite(mine[i]) && std::isfinite(floor[i]) && floor[i] > 0) {
            ratios.push_back(mine[i] / floor[i]);
        }
    }
    return median(ratios);
}

QString number(double value, const QString& unit, int decimals) {
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    return QString::number(value, 'f', decimals) + u' ' + unit;
}

QString difference(const Summary& mine, const Summary& floor, const QString& unit) {
    if (!std::isfinite(mine.median) || !std::isfinite(floor.median)) {
        return QStringLiteral("-");
    }
    const double d = mine.median - floor.median;
    return (d >= 0 ? QStringLiteral("+") : QString()) + number(d, unit);
}

Table::Table(QString title, QStringList headers) : m_title(std::move(title)) {
    m_rows.push_back(std::move(headers));
}

Table::Table(QString title)
    : Table(std::move(title),
            {QStringLiteral("measure"), QStringLiteral("runs"), QStringLiteral("median"),
             QStringLiteral("p90"), QStringLiteral("floor median"), QStringLiteral("floor p90"),
             QStringLiteral("difference/ratio")}) {}

void Table::add(const QString& name, const Summary& mine, const std::optional<Summary>& floor,
                const QString& comparison, const QString& unit) {
    const int decimals = unit == QLatin1String("MiB") ? 2 : 1;
    m_rows.push_back({name, QString::number(mine.runs), number(mine.median, unit, decimals),
                      number(mine.p90, unit, decimals),
                      floor ? number(floor->median, unit, decimals) : QStringLiteral("-"),
                      floor ? number(floor->p90, unit, decimals) : QStringLiteral("-"),
                      comparison});
}

void Table::print() const {
    std::vector<qsizetype> widths(m_rows.front().size(), 0);
    for (const QStringList& row : m_rows) {
        for (qsizetype i = 0; i < std::min(row.size(), m_rows.front().size()); ++i) {
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], row[i].size());
        }
    }
    std::printf("\n== %s\n", qPrintable(m_title));
    for (const QStringList& row : m_rows) {
        QString line;
        for (qsizetype i = 0; i < std::min(row.size(), m_rows.front().size()); ++i) {
            const auto w = static_cast<int>(widths[static_cast<std::size_t>(i)]);
            // The measure's name to the left, the figures to the right.
            line += (i == 0 ? row[i].leftJustified(w) : row[i].rightJustified(w + 2));
        }
        std::printf("%s\n", qPrintable(line));
    }
    for (const QString& note : m_notes) {
        std::printf("  %s\n", qPrintable(note));
    }
    std::fflush(stdout);
}

void progress(const QString& label, int done, int total) {
    if (::isatty(STDERR_FILENO) == 1) {
        std::fprintf(stderr, "\r%s: %d of %d%s", qPrintable(label), done, total,
                     done == total ? "\n" : "");
    }
}

}  // namespace bench
