#include "ui/PackOrigin.h"

#include <QCoreApplication>

namespace plinkum {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("PackOrigin", text); }

// The credit as the line, when it already starts with the word; else the word joined to it.
QString joined(const QString &word, const char *withCredit, const QString &credit)
{
    if (credit.isEmpty())
        return word;
    if (credit.startsWith(word, Qt::CaseInsensitive))
        return credit;
    return tr(withCredit).arg(credit);
}

} // namespace

QString PackOrigin::kind(const QString &source)
{
    if (source == QLatin1String("recorded"))
        return tr("Recorded");
    if (source == QLatin1String("modelled"))
        return tr("Modelled");
    if (source == QLatin1String("derived"))
        return tr("Derived");
    return {};
}

QString PackOrigin::line(const QString &source, const QString &credit)
{
    const QString shortCredit = summary(credit);
    if (source == QLatin1String("recorded"))
        return joined(kind(source), QT_TRANSLATE_NOOP("PackOrigin", "Recorded by %1"), shortCredit);
    if (source == QLatin1String("modelled"))
        return joined(kind(source), QT_TRANSLATE_NOOP("PackOrigin", "Modelled by %1"), shortCredit);
    if (source == QLatin1String("derived"))
        return joined(kind(source), QT_TRANSLATE_NOOP("PackOrigin", "Derived from %1"), shortCredit);
    return shortCredit;
}

QString PackOrigin::summary(const QString &credit)
{
    QString kept;
    int depth = 0;
    for (const QChar c : credit) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        else if (depth == 0 && c == u';')
            break;
        else if (depth == 0)
            kept += c;
    }
    kept = kept.simplified();
    kept.replace(QStringLiteral(" ,"), QStringLiteral(","));
    while (kept.endsWith(u',') || kept.endsWith(u'.'))
        kept = kept.chopped(1).trimmed();
    return kept;
}

} // namespace plinkum
