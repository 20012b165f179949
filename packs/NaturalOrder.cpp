#include "packs/NaturalOrder.h"

namespace plinkum {

namespace {

QLocale collationLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

// The run starting at `from`: all digits or no digit at all.
qsizetype runEnd(QStringView s, qsizetype from)
{
    const bool digits = s[from].isDigit();
    qsizetype end = from + 1;
    while (end < s.size() && s[end].isDigit() == digits)
        ++end;
    return end;
}

// Compares two digit runs by value, for any length: without leading zeros, the longer number is
// the larger; of equal length, the first differing digit decides.
int compareNumbers(QStringView a, QStringView b)
{
    auto stripZeros = [](QStringView s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i].digitValue() == 0)
            ++i;
        return s.mid(i);
    };
    const QStringView x = stripZeros(a);
    const QStringView y = stripZeros(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    for (qsizetype i = 0; i < x.size(); ++i) {
        const int dx = x[i].digitValue();
        const int dy = y[i].digitValue();
        if (dx != dy)
            return dx < dy ? -1 : 1;
    }
    return 0;
}

} // namespace

NaturalOrder::NaturalOrder() : NaturalOrder(QLocale()) {}

NaturalOrder::NaturalOrder(const QLocale &locale) : m_collator(collationLocale(locale))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Digits are compared here, run by run; the collator only ever sees text between them.
    m_collator.setNumericMode(false);
}

int NaturalOrder::compare(QStringView a, QStringView b) const
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const qsizetype endA = runEnd(a, i);
        const qsizetype endB = runEnd(b, j);
        const QStringView runA = a.sliced(i, endA - i);
        const QStringView runB = b.sliced(j, endB - j);
        const int order = runA[0].isDigit() && runB[0].isDigit() ? compareNumbers(runA, runB)
                                                                 : m_collator.compare(runA, runB);
        if (order != 0)
            return order < 0 ? -1 : 1;
        i = endA;
        j = endB;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

} // namespace plinkum
