#include "packs/NameRules.h"

#include <QList>

#include <algorithm>

namespace plinkum {

bool NameRules::refused(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f
           || (c >= 0x2028 && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

bool NameRules::acceptable(const QString &name)
{
    const QList<uint> code = name.toUcs4();
    return std::none_of(code.begin(), code.end(), [](uint c) { return refused(c); });
}

QString NameRules::quoted(const QString &name)
{
    QList<uint> code = name.toUcs4();
    const bool cut = code.size() > maxQuoted;
    code.resize(std::min(code.size(), maxQuoted));
    std::replace_if(code.begin(), code.end(), [](uint c) { return refused(c); }, uint{0xfffd});
    const QString shown = QString::fromUcs4(reinterpret_cast<const char32_t *>(code.constData()), code.size());
    return cut ? shown + u'…' : shown;
}

} // namespace plinkum
