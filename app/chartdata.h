#pragma once

#include <QString>
#include <vector>

// What a pie chart shows: one slice per subfolder, in list order. Every operation costs the
// same whatever the number of slices (resizing: per slice added or dropped).
class ChartData {
public:
    struct Slice {
        QString label;
        QString valueText = QStringLiteral("0"); // decimal text, as it was given
        double value = 0;                        // the share drawn: never below 0
        QString name;                            // the subfolder's whole name, when known
        QString path;                            // the subfolder's path, when known
    };

    int count() const { return int(m_slices.size()); }
    const Slice &at(int index) const { return m_slices.at(std::size_t(index)); }
    // Sum of every slice's value.
    double total() const { return m_total; }

    // Slices added start with an empty label and the value 0.
    void resize(int count);
    void append(const QString &label, const QString &valueText);
    void setLabel(int index, const QString &label);
    // False, changing nothing, when text is not a finite decimal number.
    bool setValue(int index, const QString &text);
    void setFolder(int index, const QString &name, const QString &path);

private:
    std::vector<Slice> m_slices;
    double m_total = 0;
};
