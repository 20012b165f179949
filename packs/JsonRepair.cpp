#include "packs/JsonRepair.h"

#include <algorithm>

namespace plinkum::PackLoader {

JsonRepair::JsonRepair(const QByteArray &data)
{
    qsizetype i = 0;
    if (data.startsWith("\xEF\xBB\xBF")) {
        i = 3;
        m_repairs.append(QStringLiteral("a byte order mark"));
    }
    bool comments = false;
    bool commas = false;
    m_repaired.reserve(data.size() - i);
    // Where the last comma written outside strings sits, while only blanks and comments follow it.
    qsizetype pendingComma = -1;
    while (i < data.size()) {
        const char c = data[i];
        if (c == '"') {
            pendingComma = -1;
            const qsizetype start = i++;
            while (i < data.size() && data[i] != '"')
                i += data[i] == '\\' ? 2 : 1;
            i = std::min(i + 1, data.size());
            m_repaired.append(data.constData() + start, i - start);
            continue;
        }
        if (c == '/' && i + 1 < data.size() && (data[i + 1] == '/' || data[i + 1] == '*')) {
            comments = true;
            if (data[i + 1] == '/') {
                while (i < data.size() && data[i] != '\n')
                    ++i;
            } else {
                const qsizetype end = data.indexOf("*/", i + 2);
                i = end < 0 ? data.size() : end + 2;
            }
            // A comment separates tokens as a blank would.
            m_repaired.append(' ');
            continue;
        }
        if ((c == '}' || c == ']') && pendingComma >= 0) {
            m_repaired[pendingComma] = ' ';
            commas = true;
        }
        if (c == ',')
            pendingComma = m_repaired.size();
        else if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            pendingComma = -1;
        m_repaired.append(c);
        ++i;
    }
    if (comments)
        m_repairs.append(QStringLiteral("comments"));
    if (commas)
        m_repairs.append(QStringLiteral("trailing commas"));
}

} // namespace plinkum::PackLoader
