#pragma once

#include <QCollator>
#include <QStringView>

namespace plinkum {

// Orders names the way file managers show them: runs of digits compare by their value, the text
// between them by the user's collation without regard to case. Works in the C locale too, where
// QCollator's own numeric mode is silently ignored.
class NaturalOrder {
public:
    // The user's locale, or English when the process runs in the C/POSIX locale.
    NaturalOrder();
    explicit NaturalOrder(const QLocale &locale);

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(QStringView a, QStringView b) const;
    bool operator()(QStringView a, QStringView b) const { return compare(a, b) < 0; }

private:
    QCollator m_collator;
};

} // namespace plinkum
