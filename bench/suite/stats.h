// SPDX-License-Identifier: MIT
// Medians and 90th percentiles of repeated measurements, and the table the
// benchmark prints them in: each measure beside its floor.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bench {

// The measurements of one quantity; runs that saw nothing are left out.
struct Summary {
    int runs = 0;
    double median = 0;
    double p90 = 0;
    double max = 0;
};

Summary summarise(std::vector<double> values);
double median(std::vector<double> values);

// Each measure's median over the median of the paired floor runs' ratios,
// which a noisy machine affects less than the ratio of the two medians.
double medianRatio(const std::vector<double>& mine, const std::vector<double>& floor);

// A titled table of text cells, printed with aligned columns.
class Table {
public:
    Table(QString title, QStringList headers);
    // The usual headers: a measure beside its floor.
    explicit Table(QString title);
    void addRow(QStringList cells) { m_rows.push_back(std::move(cells)); }
    // A measure, its floor when it has one, and how the two compare: the
    // difference of the medians, or the median ratio of paired runs.
    void add(const QString& name, const Summary& mine, const std::optional<Summary>& floor,
             const QString& comparison, const QString& unit = QStringLiteral("ms"));
    void addNote(const QString& note) { m_notes << note; }
    void print() const;

private:
    QString m_title;
    std::vector<QStringList> m_rows;
    QStringList m_notes;
};

// "12.3 ms" style, or "-" for no value.
QString number(double value, const QString& unit, int decimals = 1);
// "+12.3 ms" between two medians.
QString difference(const Summary& mine, const Summary& floor, const QString& unit = "ms");

// "label: 3 of 22" on a terminal's stderr, overwritten as it goes; nothing
// when stderr is a file, where it would only clutter the log.
void progress(const QString& label, int done, int total);

}  // namespace bench
