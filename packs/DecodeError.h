#pragma once

#include <QString>

#include <stdexcept>

namespace plinkum {

// Why an audio file gave no samples. The kind lets a pack author's report say what went wrong;
// the message is for people. TooLarge: it would decode to more than the caller can still take.
// Cancelled: the caller asked the decode to stop; it says nothing about the file.
class DecodeError : public std::runtime_error {
public:
    enum class Kind { Missing, Unreadable, NotAudio, TooLong, TooLarge, Cancelled };

    DecodeError(Kind kind, const QString &message);

    Kind kind() const { return m_kind; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    Kind m_kind;
};

} // namespace plinkum
