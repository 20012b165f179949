#pragma once

#include <QString>

#include <stdexcept>

namespace plinkum {

// Why an audio file gave no samples. The kind lets a pack author's report say what went wrong;
// the message is for people.
class DecodeError : public std::runtime_error {
public:
    enum class Kind { Missing, Unreadable, NotAudio, TooLong };

    DecodeError(Kind kind, const QString &message);

    Kind kind() const { return m_kind; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    Kind m_kind;
};

} // namespace plinkum
